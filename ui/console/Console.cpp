#include "ui/console/Console.h"

#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "platform/Exceptions.h"
#include "platform/StopSignals.h"

namespace quillmere {

namespace {

// The text before the first CR or LF.
std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

std::string ReadTerminalPassword() {
    std::fputs("Sage password: ", stderr);
    std::fflush(stderr);
    termios saved{};
    const bool echoOff = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (echoOff) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    std::string line;
    std::getline(std::cin, line);
    if (echoOff) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    }
    std::fputs("\n", stderr);
    return FirstLine(line);
}

}  // namespace

bool StandardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

void InstallInterruptHandler() {
    InstallStopSignals();
}

bool InterruptRequested() {
    return StopSignalReceived();
}

std::string ReadPasswordLine(const std::string& file) {
    if (file == "-") {
        if (::isatty(STDIN_FILENO) == 1) {
            return ReadTerminalPassword();
        }
        std::string line;
        std::getline(std::cin, line);
        return FirstLine(line);
    }
    std::ifstream in(file, std::ios::binary);
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) {
        errno = EISDIR;
        in.close();
    }
    if (!in.is_open()) {
        throw Exception("Cannot read the password file " + file + ": " + std::strerror(errno));
    }
    std::string line;
    std::getline(in, line);
    if (in.bad()) {
        throw Exception("Cannot read the password file " + file);
    }
    return FirstLine(line);
}

std::string TakeEnvironmentSecret(const char* name) {
    char* value = std::getenv(name);
    std::string secret = value ? value : "";
    // unsetenv only drops the pointer: the text stays in the environment
    // block that the process started with, readable in /proc/PID/environ for
    // the whole run. Overwrite it there first.
    if (value) {
        std::memset(value, 0, std::strlen(value));
    }
    ::unsetenv(name);
    return secret;
}

std::string PasswordFileWarning(const std::string& file) {
    struct stat info {};
    if (file == "-" || ::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        (info.st_mode & (S_IRWXG | S_IRWXO)) == 0) {
        return {};
    }
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    return "warning: the password file " + file + " can be read or changed by other users (mode " +
           mode + "); make it private with: chmod 600 " + file;
}

}  // namespace quillmere
