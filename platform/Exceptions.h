#pragma once
// The error classes that the program raises. Every failure is an exception;
// the general error report of the main window shows its text, except for
// EAbort, which ends an operation silently.
#include <stdexcept>
#include <string>

namespace quillmere {

class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The silent abort: ends the running handler without any message.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
    explicit EAbort(const std::string& text) : Exception(text) {}
};

// A file input/output failure; the text is chosen by the run-time code.
class EInOutError : public Exception {
public:
    explicit EInOutError(int code);
    int code() const { return code_; }

    // The error for an errno value: the causes the run-time library names
    // (not found 2, access denied 5, too many open files 4, disk full 101,
    // ...) with their texts, any other as "I/O error <errno>".
    static EInOutError FromErrno(int err);
    static std::string TextFor(int code);

private:
    EInOutError(int code, const std::string& text) : Exception(text), code_(code) {}
    int code_;
};

// An index outside a list, e.g. the first line of an empty file.
class EListError : public Exception {
public:
    using Exception::Exception;
    static EListError IndexOutOfBounds(int index);
};

// A failure reported by the operating system, with its message text.
class EOSError : public Exception {
public:
    using Exception::Exception;
};

}  // namespace quillmere
