// The child process of the ChildProcess tests. Its first argument chooses
// what it does:
//   echo          reads messages (a 4-byte length, then the bytes) from the
//                 parent until its input closes and sends each one back
//   stdout-noise  writes to standard output in every way there is, then
//                 echoes: none of it may reach the parent's pipe
//   args          sends back each further argument as a message, then ends
//   big MIB       sends MIB mebibytes of a known pattern in 64 KiB frames
//   exit CODE     ends with CODE (decimal or 0x hexadecimal)
//   crash         ends by an access violation / SIGSEGV
//   hang          sends "ready", then sleeps until it is killed
//   stubborn      the same, but ignores SIGTERM (POSIX)
//   set-event H   (Windows) signals the event handle H if it inherited it
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/ChildProcess.h"
#include "platform/Terminal.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#include <csignal>
#endif

namespace {

using quillmere::ParentPipes;

void Send(ParentPipes& pipes, const std::string& message) {
    const auto length = static_cast<std::uint32_t>(message.size());
    pipes.Write(&length, sizeof length);
    pipes.Write(message.data(), message.size());
}

int Echo(ParentPipes& pipes) {
    std::uint32_t length = 0;
    while (pipes.Read(&length, sizeof length)) {
        std::string message(length, '\0');
        if (length > 0 && !pipes.Read(message.data(), length)) {
            return 2;
        }
        Send(pipes, message);
    }
    return 0;
}

void WriteStandardOutputNoise() {
    std::cout << "noise through std::cout" << std::endl;
    std::printf("noise through printf\n");
    std::fflush(stdout);
    const char raw[] = "noise through the system's standard output\n";
#ifdef _WIN32
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), raw, sizeof raw - 1, &written, nullptr);
#else
    [[maybe_unused]] const auto written = ::write(1, raw, sizeof raw - 1);
#endif
}

int Big(ParentPipes& pipes, unsigned long mebibytes) {
    std::vector<unsigned char> frame(64 * 1024);
    const unsigned long frames = mebibytes * 16;
    for (unsigned long i = 0; i < frames; ++i) {
        // Each frame differs, so a frame lost or repeated shows.
        for (std::size_t j = 0; j < frame.size(); ++j) {
            frame[j] = static_cast<unsigned char>((i * 31 + j) & 0xFF);
        }
        pipes.Write(frame.data(), frame.size());
    }
    return 0;
}

[[noreturn]] void Crash() {
#ifdef _WIN32
    // No crash dialog and no debugger: the parent reports the crash.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    // The exception itself rather than a bad write: how a fault is reported
    // depends on the machine (the 32-bit build under Wine in a user-mode
    // emulator reports a bad write as an illegal instruction).
    RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
#else
    // The signal itself rather than a bad write, with the default action: a
    // build with the sanitizers would catch the write (or the signal, in its
    // own handler) and end with an exit code instead.
    std::signal(SIGSEGV, SIG_DFL);
    std::raise(SIGSEGV);
#endif
    std::abort();
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args = quillmere::ProgramArguments(argc, argv);
    const std::string mode = args.size() > 1 ? args[1] : "";
    if (mode == "exit" && args.size() > 2) {
        return static_cast<int>(std::stoul(args[2], nullptr, 0));
    }
#ifdef _WIN32
    if (mode == "set-event" && args.size() > 2) {
        SetEvent(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::stoull(args[2]))));
        return 0;
    }
#endif
    ParentPipes pipes;
    if (mode == "crash") {
        Crash();
    }
    if (mode == "hang" || mode == "stubborn") {
#ifndef _WIN32
        if (mode == "stubborn") {
            std::signal(SIGTERM, SIG_IGN);
        }
#endif
        Send(pipes, "ready");
        for (;;) {
            std::this_thread::sleep_for(std::chrono::hours(1));
        }
    }
    if (mode == "echo") {
        return Echo(pipes);
    }
    if (mode == "stdout-noise") {
        WriteStandardOutputNoise();
        return Echo(pipes);
    }
    if (mode == "args") {
        for (std::size_t i = 2; i < args.size(); ++i) {
            Send(pipes, args[i]);
        }
        return 0;
    }
#ifndef _WIN32
    if (mode == "fds") {
        // What each descriptor of this process leads to, a line each, but
        // the one that lists them.
        std::string list;
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            const auto target = std::filesystem::read_symlink(entry.path(), error);
            if (!error && target.string().find("/proc/") == std::string::npos) {
                list += entry.path().filename().string() + " " + target.string() + "\n";
            }
        }
        Send(pipes, list);
        return 0;
    }
#endif
    if (mode == "big" && args.size() > 2) {
        return Big(pipes, std::stoul(args[2]));
    }
    std::cerr << "platform_child_helper: unknown mode '" << mode << "'\n";
    return 64;
}
