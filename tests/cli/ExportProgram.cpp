#include "ExportProgram.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <thread>

namespace quillmere::test {

namespace {

[[noreturn]] void ExecExport(const ProgramRun& run, const std::string& inFile,
                             const std::string& outFile, const std::string* errFile) {
    for (const auto& [name, value] : run.env) {
        ::setenv(name.c_str(), value.c_str(), 1);
    }
    const int in = ::open(inFile.c_str(), O_RDONLY);
    const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(in, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    if (errFile) {
        const int err = ::open(errFile->c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(err, STDERR_FILENO);
    }
    std::vector<std::string> args = run.args;
    args.insert(args.begin(), QUILLMERE_EXPORT);
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    ::execv(QUILLMERE_EXPORT, argv.data());
    ::_exit(127);
}

int ExitStatus(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int ExitStatusAfterSignal(pid_t pid, const ProgramRun& run, double& secondsAfterSignal) {
    std::optional<std::chrono::steady_clock::time_point> sentAt;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            if (sentAt) {
                secondsAfterSignal =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - *sentAt)
                        .count();
            }
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (!sentAt && run.signalWhen(pid)) {
            ::kill(pid, run.signal);
            sentAt = std::chrono::steady_clock::now();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

ProgramResult RunExport(const ProgramRun& run) {
    TempDir io;
    const std::string inFile = io.write("in", run.input);
    const std::string outFile = io / "out";
    const std::string errFile = io / "err";
    ProgramResult result;
    if (!run.terminalStderr) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            ExecExport(run, inFile, outFile, &errFile);
        }
        if (run.signalWhen) {
            result.status = ExitStatusAfterSignal(pid, run, result.secondsAfterSignal);
        } else {
            result.status = ExitStatus(pid);
        }
        result.err = FileText(errFile);
    } else {
        // Standard error is the pseudo-terminal that forkpty makes the
        // child's; standard input and output are files again.
        int master = -1;
        const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
        if (pid < 0) {
            throw std::runtime_error("forkpty failed");
        }
        if (pid == 0) {
            ExecExport(run, inFile, outFile, nullptr);
        }
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0) {
                result.err.append(buffer, static_cast<std::size_t>(n));
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                break;  // EIO once the child has closed its side
            }
        }
        ::close(master);
        result.status = ExitStatus(pid);
    }
    result.out = FileText(outFile);
    return result;
}

std::string MakeSageHome(const TempDir& dir,
                         const std::vector<std::pair<std::string, std::string>>& companies) {
    std::string list;
    for (const auto& [name, directory] : companies) {
        const std::string path = dir / directory;
        list += path + "\r\n";
        std::string setup = "\x01\x02\x03" + name;
        setup.resize(63 + 40, ' ');
        dir.write(directory + "/ACCDATA/SETUP.DTA", setup);
    }
    dir.write("home/COMPANY", list);
    return dir / "home";
}

}  // namespace quillmere::test
