// File operations on Windows: UTF-8 paths become UTF-16 for the wide calls of
// the C run-time and of Windows, so any name the file system holds works.
#include "platform/Files.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cwchar>

#include "platform/Exceptions.h"
#include "platform/win32/WideText.h"

namespace quillmere {

namespace {

using win32::Wide;

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0) {
            ::_close(fd);
        }
    }
};

int OpenOrThrow(const std::string& path, int flags) {
    const int fd =
        ::_wopen(Wide(path).c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        // errno folds "path not found" (a directory missing, or a file where
        // a directory should be) into "not found"; Windows' own code tells
        // them apart.
        if (_doserrno == ERROR_PATH_NOT_FOUND) {
            throw EInOutError(3);
        }
        throw EInOutError::FromErrno(errno);
    }
    return fd;
}

void WriteAll(int fd, const std::string& bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(left, 1u << 30));
        const int n = ::_write(fd, p, chunk);
        if (n < 0) {
            throw EInOutError::FromErrno(errno);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

void CloseOrThrow(FdCloser& file) {
    const int fd = file.fd;
    file.fd = -1;
    if (::_close(fd) != 0) {
        throw EInOutError::FromErrno(errno);
    }
}

// Reads up to `count` bytes; fewer only at the end of the file.
std::size_t ReadSome(int fd, char* into, std::size_t count) {
    std::size_t got = 0;
    while (got < count) {
        const unsigned chunk = static_cast<unsigned>(std::min<std::size_t>(count - got, 1u << 30));
        const int n = ::_read(fd, into + got, chunk);
        if (n < 0) {
            throw EInOutError::FromErrno(errno);
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    return got;
}

DWORD Attributes(const std::string& path) {
    return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(Wide(path).c_str());
}

}  // namespace

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return ::_wfopen(Wide(path).c_str(), Wide(mode).c_str());
}

bool FileExists(const std::string& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    const DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> FindIgnoringCase(const std::string& dir, const std::string& name) {
    // Windows' own lookup ignores case already; the name as the directory
    // holds it is taken from the listing so the path reads as on disk.
    const std::string exact = JoinPath(dir, name);
    if (name.find_first_of("*?") != std::string::npos) {
        return std::nullopt;
    }
    WIN32_FIND_DATAW found{};
    HANDLE h = FindFirstFileW(Wide(exact).c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    FindClose(h);
    return JoinPath(dir, win32::Utf8(found.cFileName));
}

bool FileExistsIgnoringCase(const std::string& dir, const std::string& name) {
    auto found = FindIgnoringCase(dir, name);
    return found && FileExists(*found);
}

std::string ReadWholeFile(const std::string& path) {
    FdCloser file{OpenOrThrow(path, _O_RDONLY)};
    std::string data;
    char buffer[65536];
    for (;;) {
        const std::size_t n = ReadSome(file.fd, buffer, sizeof buffer);
        data.append(buffer, n);
        if (n < sizeof buffer) {
            break;
        }
    }
    return data;
}

std::string ReadFileBytesAt(const std::string& path, long offset, std::size_t count) {
    FdCloser file{OpenOrThrow(path, _O_RDONLY)};
    if (::_lseeki64(file.fd, offset, SEEK_SET) < 0) {
        throw EInOutError::FromErrno(errno);
    }
    std::string data(count, '\0');
    data.resize(ReadSome(file.fd, data.data(), count));
    return data;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    constexpr std::size_t Block = 1024;
    FdCloser file{OpenOrThrow(path, _O_RDONLY)};
    struct _stat64 st {};
    if (::_fstat64(file.fd, &st) != 0) {
        throw EInOutError::FromErrno(errno);
    }
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(st.st_size));
    std::size_t position = 0;
    std::size_t unread = buffer.size();
    std::size_t delivered = 0;
    do {
        const std::size_t request = std::min(unread, Block);
        delivered = ReadSome(file.fd, reinterpret_cast<char*>(buffer.data()) + position, request);
        position += delivered;
        unread -= delivered;
    } while (delivered == Block);
    if (unread != 0) {
        // The file shrank while it was read: a buffer padded with zeros
        // would be a corrupt archive.
        throw EInOutError(100);
    }
    return buffer;
}

void AppendToFile(const std::string& path, const std::string& bytes) {
    FdCloser file{OpenOrThrow(path, _O_WRONLY | _O_APPEND | _O_CREAT)};
    WriteAll(file.fd, bytes);
    CloseOrThrow(file);
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    FdCloser file{OpenOrThrow(path, _O_WRONLY | _O_TRUNC | _O_CREAT)};
    WriteAll(file.fd, bytes);
    CloseOrThrow(file);
}

std::FILE* CreateFileForWriting(const std::string& path) {
    // A link planted where the file goes (a symbolic link or a junction is a
    // reparse point) is refused, never written through.
    const DWORD a = Attributes(path);
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT)) {
        throw EInOutError(5);
    }
    std::FILE* file = OpenFile(path, "wb");
    if (!file) {
        throw EInOutError::FromErrno(errno);
    }
    return file;
}

bool DeleteFileAt(const std::string& path) {
    return DeleteFileW(Wide(path).c_str()) != 0;
}

void RenameFile(const std::string& from, const std::string& to) {
    if (!MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
        const DWORD error = GetLastError();
        throw EInOutError(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                                  error == ERROR_ACCESS_DENIED
                              ? static_cast<int>(error)
                              : 5);
    }
}

std::optional<std::uint64_t> FreeBytes(const std::string& dir) {
    // The bytes available to this user (quotas included), not the volume's
    // total free space.
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(Wide(dir).c_str(), &available, nullptr, nullptr)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(available.QuadPart);
}

}  // namespace quillmere
