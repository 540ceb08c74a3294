#include "platform/Terminal.h"

#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <iostream>

namespace quillmere {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void NoteInterrupt(int) {
    interrupted = 1;
}

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

bool StandardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

bool StandardInputIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
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

std::string ReadLineWithoutEcho() {
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
    return line;
}

std::string TakeEnvironmentSecret(const char* name) {
    const char* value = std::getenv(name);
    std::string secret = value ? value : "";
    ::unsetenv(name);
    return secret;
}

}  // namespace quillmere
