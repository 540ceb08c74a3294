#include "report/TextSink.h"

#include <cerrno>

#include "platform/Exceptions.h"
#include "platform/Files.h"

namespace quillmere {

FileSink::FileSink(std::string path)
    : path_(std::move(path)), partial_(path_ + ".part"), file_(CreateFileForWriting(partial_)) {}

FileSink::~FileSink() {
    if (file_ != nullptr) {
        std::fclose(file_);
        DeleteFileAt(partial_);
    }
}

void FileSink::Put(std::string_view text) {
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
        throw EInOutError::FromErrno(errno);
    }
}

void FileSink::Commit() {
    std::FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0) {
        const int error = errno;
        DeleteFileAt(partial_);
        throw EInOutError::FromErrno(error);
    }
    try {
        RenameFile(partial_, path_);
    } catch (...) {
        DeleteFileAt(partial_);
        throw;
    }
}

}  // namespace quillmere
