#include "platform/Terminal.h"

#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

bool StandardOutputIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

bool StandardInputIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = NoteInterrupt;
    sigemptyset(&action.sa_mask);
    // The second Ctrl-C is not caught: it ends a run that does not stop.
    action.sa_flags = SA_RESETHAND;
    ::sigaction(SIGINT, &action, nullptr);
    // A shutdown or `kill` (SIGTERM) and a terminal that went away (SIGHUP)
    // get the same clean stop.
    action.sa_flags = 0;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
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
