#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/Exceptions.h"

namespace quillmere {

namespace {

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

int OpenOrThrow(const std::string& path, int flags, mode_t mode = 0644) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        throw EInOutError::FromErrno(errno);
    }
    return fd;
}

void WriteAll(int fd, const std::string& bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw EInOutError::FromErrno(errno);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

void CloseOrThrow(FdCloser& file) {
    int fd = file.fd;
    file.fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        throw EInOutError::FromErrno(errno);
    }
}

}  // namespace

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::string> FindIgnoringCase(const std::string& dir, const std::string& name) {
    const std::string exact = JoinPath(dir, name);
    struct stat st {};
    if (::lstat(exact.c_str(), &st) == 0) {
        return exact;
    }
    std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(dir.empty() ? "." : dir.c_str()), ::closedir);
    if (!d) {
        return std::nullopt;
    }
    while (dirent* e = ::readdir(d.get())) {
        if (::strcasecmp(e->d_name, name.c_str()) == 0) {
            return JoinPath(dir, e->d_name);
        }
    }
    return std::nullopt;
}

bool FileExistsIgnoringCase(const std::string& dir, const std::string& name) {
    auto found = FindIgnoringCase(dir, name);
    return found && FileExists(*found);
}

std::string ReadWholeFile(const std::string& path) {
    FdCloser file{OpenOrThrow(path, O_RDONLY)};
    std::string data;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(file.fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw EInOutError::FromErrno(errno);
        }
        if (n == 0) {
            break;
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
    return data;
}

std::string ReadFileBytesAt(const std::string& path, long offset, std::size_t count) {
    FdCloser file{OpenOrThrow(path, O_RDONLY)};
    std::string data(count, '\0');
    std::size_t got = 0;
    while (got < count) {
        ssize_t n =
            ::pread(file.fd, data.data() + got, count - got, offset + static_cast<long>(got));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw EInOutError::FromErrno(errno);
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    data.resize(got);
    return data;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    constexpr std::size_t Block = 1024;
    FdCloser file{OpenOrThrow(path, O_RDONLY)};
    struct stat st {};
    if (::fstat(file.fd, &st) != 0) {
        throw EInOutError::FromErrno(errno);
    }
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(st.st_size));
    std::size_t position = 0;
    std::size_t unread = buffer.size();
    std::size_t delivered = 0;
    do {
        const std::size_t request = std::min(unread, Block);
        delivered = 0;
        while (delivered < request) {
            const ssize_t n =
                ::read(file.fd, buffer.data() + position + delivered, request - delivered);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n < 0) {
                throw EInOutError::FromErrno(errno);
            }
            if (n == 0) {
                break;
            }
            delivered += static_cast<std::size_t>(n);
        }
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
    FdCloser file{OpenOrThrow(path, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW)};
    WriteAll(file.fd, bytes);
    CloseOrThrow(file);
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    FdCloser file{OpenOrThrow(path, O_WRONLY | O_TRUNC | O_CREAT | O_NOFOLLOW)};
    WriteAll(file.fd, bytes);
    CloseOrThrow(file);
}

std::FILE* CreateFileForWriting(const std::string& path) {
    const int fd = OpenOrThrow(path, O_WRONLY | O_TRUNC | O_CREAT | O_NOFOLLOW);
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        const int err = errno;
        ::close(fd);
        throw EInOutError::FromErrno(err);
    }
    return file;
}

bool DeleteFileAt(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

void RenameFile(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        throw EInOutError::FromErrno(errno);
    }
}

std::optional<std::uint64_t> FreeBytes(const std::string& dir) {
    struct statvfs fs {};
    if (::statvfs(dir.c_str(), &fs) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
}

}  // namespace quillmere
