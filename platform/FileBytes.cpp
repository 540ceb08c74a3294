#include "platform/FileBytes.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Exceptions.h"
#include "platform/Files.h"

namespace quillmere {

namespace {

constexpr std::size_t BlockSize = 64 * 1024;
constexpr int DiskReadError = 100;

}  // namespace

FileBytes::FileBytes(const std::string& path) : block_(BlockSize) {
    file_.reset(OpenFile(path, "rb"));
    if (!file_) {
        throw EInOutError::FromErrno(errno);
    }
#ifdef _WIN32
    struct _stat64 st {};
    if (_fstat64(_fileno(file_.get()), &st) != 0) {
#else
    struct stat st {};
    if (::fstat(fileno(file_.get()), &st) != 0) {
#endif
        throw EInOutError::FromErrno(errno);
    }
    size_ = static_cast<std::uint64_t>(st.st_size);
    Fill();
}

// Reads the next block ahead; at the file's end it makes sure the file
// ends where its size said.
void FileBytes::Fill() {
    const std::uint64_t left = size_ - delivered_;
    // One byte more than is left: a file that grew shows here.
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left + 1, BlockSize));
    std::size_t got = 0;
    while (got < want) {
        const std::size_t n = std::fread(block_.data() + got, 1, want - got, file_.get());
        if (n == 0) {
            if (std::ferror(file_.get())) {
                throw EInOutError::FromErrno(errno);
            }
            break;
        }
        got += n;
    }
    const std::size_t expected = static_cast<std::size_t>(std::min<std::uint64_t>(left, BlockSize));
    if (got < expected || (want > left && got > left)) {
        throw EInOutError(DiskReadError);
    }
    at_ = 0;
    end_ = got;
}

std::size_t FileBytes::Read(std::uint8_t* buffer, std::size_t count) {
    std::size_t done = 0;
    while (done < count && delivered_ < size_) {
        if (at_ == end_) {
            Fill();
        }
        const std::size_t n = std::min(count - done, end_ - at_);
        std::memcpy(buffer + done, block_.data() + at_, n);
        at_ += n;
        done += n;
        delivered_ += n;
    }
    return done;
}

}  // namespace quillmere
