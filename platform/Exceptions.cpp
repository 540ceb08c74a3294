#include "platform/Exceptions.h"

#include <cerrno>

namespace quillmere {

EInOutError::EInOutError(int code) : Exception(TextFor(code)), code_(code) {}

int EInOutError::CodeFromErrno(int err) {
    switch (err) {
        case ENOENT:
            return 2;
        case ENOTDIR:
        case ENAMETOOLONG:
        case EINVAL:
            return 3;
        case EMFILE:
        case ENFILE:
            return 4;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ETXTBSY:
            return 5;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return 101;
        default:
            return err;
    }
}

std::string EInOutError::TextFor(int code) {
    switch (code) {
        case 2:
            return "File not found";
        case 3:
            return "Invalid filename";
        case 4:
            return "Too many open files";
        case 5:
            return "File access denied";
        case 100:
            return "Read beyond end of file";
        case 101:
            return "Disk full";
        case 106:
            return "Invalid numeric input";
        default:
            return "I/O error " + std::to_string(code);
    }
}

EListError EListError::IndexOutOfBounds(int index) {
    return EListError("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace quillmere
