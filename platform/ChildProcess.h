#pragma once
// A helper process of this program, talked to through two pipes: its
// standard input (ours to write) and its standard output (ours to read).
// Its standard error is ours. The child cannot outlive us and cannot be
// reached by the terminal's Ctrl-C: on POSIX systems it runs in a process
// group of its own and dies when we die; on Windows it runs in a job object
// that kills it when our handle to the job closes, in a process group of its
// own without a console window.
//
// The child's side of the same pipes is ParentPipes.
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillmere {

// How a child process ended.
struct ChildExit {
    // Ended by a signal (POSIX) or by an exception code (Windows: an exit
    // code of 0xC0000000 or above), not by returning.
    bool abnormal = false;
    // The exit code, the signal number or the exception code.
    unsigned long code = 0;
    // "exit code 3", "signal 11 (Segmentation fault)", "exception code
    // 0xC0000005 (access violation)".
    std::string text;
};

class ChildProcess {
  public:
    // Starts `program` with `arguments` (argv[1] onward; no shell in
    // between). Raises an Exception naming the program and the system's
    // reason when it cannot be started.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments);
    // Kills the child unless it has ended, and reaps it.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Writes every byte to the child's standard input. Raises an Exception
    // when the child no longer reads it (it ended or closed it).
    void Write(const void* data, std::size_t size);

    // Reads what the child has written to its standard output: at most
    // `size` bytes, waiting at most `timeout` for the first of them. Returns
    // the number read; 0 when the time ran out with nothing to read; -1 when
    // the child's output is closed (it ended, or closed it).
    long Read(void* data, std::size_t size, std::chrono::milliseconds timeout);

    // Ends the child now and waits until it has: POSIX: SIGTERM to its
    // process group, then SIGKILL when it is still there after `grace`;
    // Windows: the job (or the process) is terminated at once. Nothing
    // happens when it has already ended.
    void Kill(std::chrono::milliseconds grace = std::chrono::milliseconds(200));

    // Waits at most `timeout` for the child to end: how it ended, or nothing
    // when it still runs. Once known, the same answer every time.
    std::optional<ChildExit> Wait(std::chrono::milliseconds timeout);

    // The process ID of the child.
    long Id() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// The child's side: the pipes of the process that started this one through
// ChildProcess, taken over from the standard input and output. The standard
// output then leads to the standard error, so that nothing else this
// process writes there (a driver's messages) can reach the parent's pipe.
// Make it once, before anything else writes to standard output.
class ParentPipes {
  public:
    ParentPipes();
    ~ParentPipes();
    ParentPipes(const ParentPipes&) = delete;
    ParentPipes& operator=(const ParentPipes&) = delete;

    // Reads exactly `size` bytes. False when the parent's end closed before
    // any of them came; an Exception when it closed part way.
    bool Read(void* data, std::size_t size);
    // Writes every byte; raises an Exception when the parent no longer
    // reads.
    void Write(const void* data, std::size_t size);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// The full path of this program's own executable.
std::string RunningProgramPath();

}  // namespace quillmere
