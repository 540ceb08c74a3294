#include "platform/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <thread>

#include "platform/Exceptions.h"

namespace quillmere {

namespace {

std::string SystemReason(int error) {
    return std::strerror(error);
}

void CloseQuietly(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

ChildExit ExitOf(int status) {
    ChildExit exit;
    if (WIFSIGNALED(status)) {
        exit.abnormal = true;
        exit.code = static_cast<unsigned long>(WTERMSIG(status));
        const char* name = ::strsignal(WTERMSIG(status));
        exit.text = "signal " + std::to_string(WTERMSIG(status)) +
                    (name ? std::string(" (") + name + ")" : std::string());
    } else {
        exit.code = static_cast<unsigned long>(WEXITSTATUS(status));
        exit.text = "exit code " + std::to_string(WEXITSTATUS(status));
    }
    return exit;
}

}  // namespace

struct ChildProcess::State {
    pid_t pid = -1;
    int toChild = -1;    // the child's standard input
    int fromChild = -1;  // the child's standard output
    std::optional<ChildExit> exit;

    // Reaps the child when it has ended; true then.
    bool reap(bool block) {
        if (exit) {
            return true;
        }
        int status = 0;
        pid_t got;
        do {
            got = ::waitpid(pid, &status, block ? 0 : WNOHANG);
        } while (got < 0 && errno == EINTR);
        if (got == pid) {
            exit = ExitOf(status);
            return true;
        }
        if (got < 0) {
            // Reaped elsewhere: nothing more can be known of it.
            exit = ChildExit{true, 0, "an end that could not be told"};
            return true;
        }
        return false;
    }
};

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments)
    : state_(std::make_unique<State>()) {
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) {
        throw Exception("Cannot start " + program + ": " + SystemReason(errno));
    }
    if (::pipe2(out, O_CLOEXEC) != 0) {
        const int error = errno;
        ::close(in[0]);
        ::close(in[1]);
        throw Exception("Cannot start " + program + ": " + SystemReason(error));
    }
    // A pipe that tells the parent why the program could not be run.
    int failure[2];
    if (::pipe2(failure, O_CLOEXEC) != 0) {
        const int error = errno;
        for (int fd : {in[0], in[1], out[0], out[1]}) {
            ::close(fd);
        }
        throw Exception("Cannot start " + program + ": " + SystemReason(error));
    }

    std::vector<std::string> texts;
    texts.push_back(program);
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();

    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls from here to exec.
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) {
            ::_exit(127);  // the parent is already gone
        }
        // The terminal's stop and interrupt keys belong to the parent.
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGTERM, SIG_DFL);
        ::signal(SIGHUP, SIG_DFL);
        ::signal(SIGPIPE, SIG_DFL);
        if (::dup2(in[0], STDIN_FILENO) < 0 || ::dup2(out[1], STDOUT_FILENO) < 0) {
            const int error = errno;
            (void)!::write(failure[1], &error, sizeof error);
            ::_exit(127);
        }
        // Nothing else of ours reaches the child (files, sockets, a window
        // system's connection that were opened without close-on-exec); the
        // failure pipe closes at the exec by itself.
        if (failure[1] > 3) {
            ::close_range(3, static_cast<unsigned>(failure[1]) - 1, 0);
        }
        ::close_range(static_cast<unsigned>(failure[1]) + 1, ~0U, 0);
        ::execv(program.c_str(), argv.data());
        const int error = errno;
        (void)!::write(failure[1], &error, sizeof error);
        ::_exit(127);
    }
    const int forkError = errno;
    ::close(in[0]);
    ::close(out[1]);
    ::close(failure[1]);
    if (pid < 0) {
        ::close(in[1]);
        ::close(out[0]);
        ::close(failure[0]);
        throw Exception("Cannot start " + program + ": " + SystemReason(forkError));
    }
    // Set here as well, so that a kill of the group right after the start
    // cannot miss a child that has not run yet.
    ::setpgid(pid, pid);
    state_->pid = pid;
    state_->toChild = in[1];
    state_->fromChild = out[0];

    int error = 0;
    ssize_t got;
    do {
        got = ::read(failure[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(failure[0]);
    if (got == static_cast<ssize_t>(sizeof error)) {
        state_->reap(true);
        CloseQuietly(state_->toChild);
        CloseQuietly(state_->fromChild);
        throw Exception("Cannot start " + program + ": " + SystemReason(error));
    }
}

ChildProcess::~ChildProcess() {
    Kill();
    CloseQuietly(state_->toChild);
    CloseQuietly(state_->fromChild);
}

void ChildProcess::Write(const void* data, std::size_t size) {
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
        if (state_->toChild < 0) {
            throw Exception("The helper process no longer reads its input");
        }
        // MSG_NOSIGNAL is for sockets; a pipe's SIGPIPE is kept off by
        // blocking it for this thread around the write.
        sigset_t pipeSignal;
        sigset_t before;
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        ::pthread_sigmask(SIG_BLOCK, &pipeSignal, &before);
        const ssize_t written = ::write(state_->toChild, at, size);
        const int error = errno;
        if (written < 0 && error == EPIPE) {
            // Take the pending SIGPIPE away before it is unblocked.
            const timespec none{0, 0};
            ::sigtimedwait(&pipeSignal, nullptr, &none);
        }
        ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
        if (written < 0) {
            if (error == EINTR) {
                continue;
            }
            throw Exception("The helper process no longer reads its input: " + SystemReason(error));
        }
        at += written;
        size -= static_cast<std::size_t>(written);
    }
}

long ChildProcess::Read(void* data, std::size_t size, std::chrono::milliseconds timeout) {
    if (state_->fromChild < 0) {
        return -1;
    }
    pollfd wanted{state_->fromChild, POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const int ready = ::poll(&wanted, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
        if (ready < 0) {
            if (errno == EINTR) {
                // A signal (Ctrl-C) wakes the wait: the caller looks at it.
                return 0;
            }
            throw Exception("Cannot read from the helper process: " + SystemReason(errno));
        }
        if (ready == 0) {
            return 0;
        }
        const ssize_t got = ::read(state_->fromChild, data, size);
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            throw Exception("Cannot read from the helper process: " + SystemReason(errno));
        }
        if (got == 0) {
            CloseQuietly(state_->fromChild);
            return -1;
        }
        return static_cast<long>(got);
    }
}

void ChildProcess::Kill(std::chrono::milliseconds grace) {
    if (state_->pid < 0 || state_->reap(false)) {
        return;
    }
    // The whole group: a driver may have started processes of its own.
    ::kill(-state_->pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + grace;
    while (std::chrono::steady_clock::now() < deadline) {
        if (state_->reap(false)) {
            ::kill(-state_->pid, SIGKILL);  // whatever it left behind
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::kill(-state_->pid, SIGKILL);
    state_->reap(true);
}

std::optional<ChildExit> ChildProcess::Wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (state_->reap(false)) {
            return state_->exit;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

long ChildProcess::Id() const {
    return static_cast<long>(state_->pid);
}

struct ParentPipes::State {
    int in = -1;
    int out = -1;
};

ParentPipes::ParentPipes() : state_(std::make_unique<State>()) {
    state_->in = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    state_->out = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (state_->in < 0 || state_->out < 0) {
        throw Exception("Cannot take over the pipes to the parent process: " + SystemReason(errno));
    }
    // Whatever else reaches standard output goes to standard error now,
    // and nothing reads the parent's input by accident.
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    const int nothing = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (nothing >= 0) {
        ::dup2(nothing, STDIN_FILENO);
        ::close(nothing);
    }
    // A parent that has gone shows as a failed write, not a signal.
    ::signal(SIGPIPE, SIG_IGN);
}

ParentPipes::~ParentPipes() {
    if (state_->in >= 0) {
        ::close(state_->in);
    }
    if (state_->out >= 0) {
        ::close(state_->out);
    }
}

bool ParentPipes::Read(void* data, std::size_t size) {
    char* at = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(state_->in, at + done, size - done);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw Exception("Cannot read from the parent process: " + SystemReason(errno));
        }
        if (got == 0) {
            if (done == 0) {
                return false;
            }
            throw Exception("The parent process closed its pipe part way through a message");
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

void ParentPipes::Write(const void* data, std::size_t size) {
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(state_->out, at, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw Exception("Cannot write to the parent process: " + SystemReason(errno));
        }
        at += written;
        size -= static_cast<std::size_t>(written);
    }
}

std::string RunningProgramPath() {
    std::string path(PATH_MAX, '\0');
    for (;;) {
        const ssize_t got = ::readlink("/proc/self/exe", path.data(), path.size());
        if (got < 0) {
            throw Exception("Cannot tell where this program is: " + SystemReason(errno));
        }
        if (static_cast<std::size_t>(got) < path.size()) {
            path.resize(static_cast<std::size_t>(got));
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace quillmere
