#include "platform/Exceptions.h"

#include <cerrno>

namespace quillmere {

EInOutError::EInOutError(int code) : Exception(TextFor(code)), code_(code) {}

namespace {

// The run-time code for an errno value, or 0 when the library has none.
int RuntimeCodeOf(int err) {
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
        case ELOOP:  // a symbolic link where a file is written
        case EROFS:
        case EISDIR:
        case ETXTBSY:
            return 5;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
        case EFBIG:
            return 101;
        default:
            return 0;
    }
}

}  // namespace

EInOutError EInOutError::FromErrno(int err) {
    const int code = RuntimeCodeOf(err);
    if (code == 0) {
        return EInOutError(err, "I/O error " + std::to_string(err));
    }
    return EInOutError(code);
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
