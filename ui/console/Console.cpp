#include "ui/console/Console.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "platform/Exceptions.h"

namespace quillmere {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void NoteInterrupt(int) {
    interrupted = 1;
}

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

bool StandardOutputIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = NoteInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;  // the second Ctrl-C is not caught
    ::sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() {
    return interrupted != 0;
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
    const char* value = std::getenv(name);
    std::string secret = value ? value : "";
    ::unsetenv(name);
    return secret;
}

}  // namespace quillmere
