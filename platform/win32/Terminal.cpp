#include "platform/Terminal.h"

#include <windows.h>
// after windows.h, which it needs
#include <io.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <iostream>

#include "platform/win32/WideText.h"

namespace quillmere {

namespace {

std::atomic<int> interrupts{0};

// Runs on a thread of its own. Ctrl-C and Ctrl-Break: the first is noted,
// the second ends the program as the default handler would. The console's
// close: noted, then the process has a few seconds before Windows ends it,
// so the handler waits a little for the run to stop cleanly.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            return interrupts.fetch_add(1) == 0 ? TRUE : FALSE;
        case CTRL_CLOSE_EVENT:
            interrupts.fetch_add(1);
            Sleep(4000);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) {
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(win32::Utf8(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

bool StandardErrorIsTerminal() {
    return ::_isatty(_fileno(stderr)) != 0;
}

bool StandardOutputIsTerminal() {
    return ::_isatty(_fileno(stdout)) != 0;
}

bool StandardInputIsTerminal() {
    return ::_isatty(_fileno(stdin)) != 0;
}

void InstallInterruptHandler() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool InterruptRequested() {
    return interrupts.load() != 0;
}

std::string ReadLineWithoutEcho() {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    const bool console = GetConsoleMode(in, &mode) != 0;
    if (!console) {
        std::string line;
        std::getline(std::cin, line);
        return line;
    }
    SetConsoleMode(in, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    // Read as UTF-16 from the console, so any character of the password
    // arrives as typed.
    std::wstring line;
    wchar_t c = 0;
    DWORD got = 0;
    while (ReadConsoleW(in, &c, 1, &got, nullptr) && got == 1 && c != L'\n') {
        if (c != L'\r') {
            line += c;
        }
    }
    SetConsoleMode(in, mode);
    return win32::Utf8(line);
}

std::string TakeEnvironmentSecret(const char* name) {
    const std::wstring wideName = win32::Wide(name);
    const DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    std::string secret;
    if (size > 0) {
        std::wstring value(size, L'\0');
        const DWORD n = GetEnvironmentVariableW(wideName.c_str(), value.data(), size);
        value.resize(n);
        secret = win32::Utf8(value);
    }
    SetEnvironmentVariableW(wideName.c_str(), nullptr);
    // The C run-time keeps a copy of its own.
    _wputenv_s(wideName.c_str(), L"");
    return secret;
}

// Windows guards a file with its access control list, not with mode bits;
// the user's profile, where such a file belongs, is private by default.
std::string PasswordFileWarning(const std::string&) {
    return {};
}

}  // namespace quillmere
