#include "platform/ChildProcess.h"

#include <windows.h>
// after windows.h, which they need
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "platform/Exceptions.h"
#include "platform/win32/WideText.h"

namespace quillmere {

namespace {

// Room in each pipe: the child streams tens of megabytes of lines in
// 64 KiB frames, and a large buffer keeps it writing while we pump the
// window.
constexpr DWORD kPipeBuffer = 1 << 20;
// What one read of the child's output asks for at most.
constexpr std::size_t kReadChunk = 256 * 1024;
// The exit code that Kill gives the child: the code Windows gives a console
// program ended by Ctrl+C or its console's close, i.e. ended on request.
// It is 0xC0000000 or above, so Wait reports it as abnormal (like SIGTERM on
// POSIX) with the text "exception code 0xC000013A (ended on request)". The
// child runs without a console in a process group of its own, so it never
// receives Ctrl+C: after our own Kill this code is the only way to see it.
constexpr DWORD kKilledExitCode = 0xC000013A;

std::string Hex(unsigned long code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", code);
    return text;
}

// The names of the exception codes that end a program most often.
const char* ExceptionName(unsigned long code) {
    switch (code) {
        case 0xC0000005:
            return "access violation";
        case 0xC0000006:
            return "in-page error";
        case 0xC0000017:
            return "out of memory";
        case 0xC000001D:
            return "illegal instruction";
        case 0xC0000025:
            return "noncontinuable exception";
        case 0xC000008C:
            return "array bounds exceeded";
        case 0xC000008E:
            return "floating-point division by zero";
        case 0xC0000094:
            return "integer divide by zero";
        case 0xC0000095:
            return "integer overflow";
        case 0xC0000096:
            return "privileged instruction";
        case 0xC00000FD:
            return "stack overflow";
        case 0xC0000135:
            return "DLL not found";
        case 0xC0000142:
            return "DLL initialization failed";
        case kKilledExitCode:
            return "ended on request";
        case 0xC0000374:
            return "heap corruption";
        case 0xC0000409:
            return "stack buffer overrun";
        default:
            return nullptr;
    }
}

ChildExit ExitFromCode(DWORD code) {
    ChildExit exit;
    exit.code = code;
    exit.abnormal = code >= 0xC0000000;
    if (exit.abnormal) {
        exit.text = "exception code " + Hex(code);
        if (const char* name = ExceptionName(code)) {
            exit.text += " (" + std::string(name) + ")";
        }
    } else {
        exit.text = "exit code " + std::to_string(code);
    }
    return exit;
}

// One argument as the C run-time's command-line parser splits it again:
// quoted when empty or holding blanks or quotes; a run of backslashes is
// doubled when a quote (escaped or closing) follows it, else kept as is.
void AppendQuoted(std::wstring& line, const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += argument;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            line.append(backslashes * 2 + 1, L'\\');
        } else {
            line.append(backslashes, L'\\');
        }
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

// The program's path is quoted as a whole: the run-time takes the first
// word up to the closing quote, without any backslash rule (a path holds no
// quote).
std::wstring CommandLine(const std::wstring& program, const std::vector<std::string>& arguments) {
    std::wstring line = L"\"" + program + L"\"";
    for (const std::string& argument : arguments) {
        line += L' ';
        AppendQuoted(line, win32::Wide(argument));
    }
    return line;
}

std::string LastErrorText() {
    return win32::ErrorText(GetLastError());
}

// A handle that is closed when it goes out of scope.
class Handle {
  public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : h_(other.h_) { other.h_ = nullptr; }
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Close();
            h_ = other.h_;
            other.h_ = nullptr;
        }
        return *this;
    }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void Close() {
        if (h_) {
            CloseHandle(h_);
            h_ = nullptr;
        }
    }

  private:
    HANDLE h_ = nullptr;
};

std::atomic<unsigned long> pipeCounter{0};

// The pipe of the child's output: an overlapped named pipe on our side
// (so that a read can wait with a time limit), a plain one on the child's.
// Returns our end; `childEnd` is inheritable.
Handle MakeOutputPipe(Handle& childEnd) {
    const std::wstring name = L"\\\\.\\pipe\\quillmere-child-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(pipeCounter.fetch_add(1));
    Handle ours(CreateNamedPipeW(
        name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0,
        kPipeBuffer, 0, nullptr));
    if (!ours) {
        throw Exception(LastErrorText());
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    childEnd = Handle(CreateFileW(name.c_str(), GENERIC_WRITE, 0, &inherit, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!childEnd) {
        throw Exception(LastErrorText());
    }
    return ours;
}

// The pipe of the child's input: an anonymous pipe whose read end only is
// inheritable. Returns our (write) end.
Handle MakeInputPipe(Handle& childEnd) {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    if (!CreatePipe(&read, &write, &inherit, kPipeBuffer)) {
        throw Exception(LastErrorText());
    }
    childEnd = Handle(read);
    Handle ours(write);
    SetHandleInformation(ours.get(), HANDLE_FLAG_INHERIT, 0);
    return ours;
}

// An inheritable copy of our standard error for the child, or none when we
// have none (a GUI program) or it is a console pseudo-handle of Windows 7,
// which a list of handles to inherit cannot hold and a child without a
// console could not use.
Handle ErrorHandleForChild() {
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE ||
        (reinterpret_cast<ULONG_PTR>(error) & 3) == 3) {
        return {};
    }
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), error, GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS)) {
        return {};
    }
    return Handle(copy);
}

// A job that ends its processes when our handle to it closes; none when
// Windows refuses one.
Handle MakeJob() {
    Handle job(CreateJobObjectW(nullptr, nullptr));
    if (!job) {
        return {};
    }
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits,
                                 sizeof limits)) {
        return {};
    }
    return job;
}

// Starts the process suspended with the `standard` handles (input, output,
// error; each inheritable or null) and only those inherited. Where the list
// of handles cannot be given, every inheritable handle of ours is
// inherited: our ends of the pipes are not inheritable, so the child still
// holds none of them.
bool StartSuspended(const std::wstring& program, std::wstring& commandLine,
                    const HANDLE (&standard)[3], PROCESS_INFORMATION& process) {
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = standard[0];
    startup.StartupInfo.hStdOutput = standard[1];
    startup.StartupInfo.hStdError = standard[2];
    HANDLE inherited[3];
    DWORD count = 0;
    for (const HANDLE h : standard) {
        if (h) {
            inherited[count++] = h;
        }
    }
    DWORD flags = CREATE_NO_WINDOW | CREATE_NEW_PROCESS_GROUP | CREATE_SUSPENDED;
    std::vector<char> attributeSpace;
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    if (size > 0) {
        attributeSpace.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeSpace.data());
        if (InitializeProcThreadAttributeList(list, 1, 0, &size)) {
            if (UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                          count * sizeof(HANDLE), nullptr, nullptr)) {
                startup.lpAttributeList = list;
                startup.StartupInfo.cb = sizeof startup;
                flags |= EXTENDED_STARTUPINFO_PRESENT;
            } else {
                DeleteProcThreadAttributeList(list);
            }
        }
    }
    if (!startup.lpAttributeList) {
        startup.StartupInfo.cb = sizeof startup.StartupInfo;
    }
    const BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        flags, nullptr, nullptr, &startup.StartupInfo, &process);
    const DWORD error = GetLastError();
    if (startup.lpAttributeList) {
        DeleteProcThreadAttributeList(startup.lpAttributeList);
    }
    SetLastError(error);
    return started != FALSE;
}

}  // namespace

struct ChildProcess::State {
    Handle process;
    Handle job;
    DWORD id = 0;
    Handle input;   // our end of the child's standard input
    Handle output;  // our end of the child's standard output (overlapped)
    // The read of the child's output in progress, if any: it fills `buffer`
    // and may outlast the Read that started it.
    OVERLAPPED overlapped{};
    Handle readDone;
    bool pending = false;
    std::vector<char> buffer = std::vector<char>(kReadChunk);
    std::size_t bufferStart = 0;
    std::size_t bufferEnd = 0;
    bool outputClosed = false;
    std::optional<ChildExit> exit;

    // Waits for the read in progress to end, after asking Windows to cancel
    // it, so that neither `buffer` nor `overlapped` is in use any more.
    void CancelRead() {
        if (pending) {
            CancelIoEx(output.get(), &overlapped);
            DWORD n = 0;
            GetOverlappedResult(output.get(), &overlapped, &n, TRUE);
            pending = false;
        }
    }
};

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    Handle childInput;
    Handle childOutput;
    // These ends are inheritable from now until the child has its copies:
    // another thread's CreateProcess that inherits every inheritable handle
    // could take them meanwhile. Ours passes a list of the handles to inherit.
    Handle childError;
    try {
        s.input = MakeInputPipe(childInput);
        s.output = MakeOutputPipe(childOutput);
        s.readDone = Handle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!s.readDone) {
            throw Exception(LastErrorText());
        }
        childError = ErrorHandleForChild();
    } catch (const Exception& e) {
        throw Exception("Cannot start " + program + ": " + e.what());
    }
    s.overlapped.hEvent = s.readDone.get();

    const std::wstring wideProgram = win32::Wide(program);
    std::wstring commandLine = CommandLine(wideProgram, arguments);
    const HANDLE standard[3] = {childInput.get(), childOutput.get(), childError.get()};
    PROCESS_INFORMATION info{};
    if (!StartSuspended(wideProgram, commandLine, standard, info)) {
        throw Exception("Cannot start " + program + ": " + LastErrorText());
    }
    s.process = Handle(info.hProcess);
    Handle thread(info.hThread);
    s.id = info.dwProcessId;
    // Only the child holds its ends now: when it ends, its output closes.
    childInput.Close();
    childOutput.Close();
    childError.Close();

    s.job = MakeJob();
    if (s.job && !AssignProcessToJobObject(s.job.get(), s.process.get())) {
        // Inside a job that allows no other (Windows 7): the child is ended
        // by TerminateProcess alone.
        s.job.Close();
    }
    if (ResumeThread(thread.get()) == static_cast<DWORD>(-1)) {
        const std::string reason = LastErrorText();
        Kill();
        throw Exception("Cannot start " + program + ": " + reason);
    }
}

ChildProcess::~ChildProcess() {
    Kill();
    state_->CancelRead();
}

void ChildProcess::Write(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 30));
        DWORD written = 0;
        if (!WriteFile(state_->input.get(), bytes, chunk, &written, nullptr)) {
            throw Exception("Cannot write to the child process " + std::to_string(state_->id) +
                            ": " + LastErrorText());
        }
        bytes += written;
        size -= written;
    }
}

long ChildProcess::Read(void* data, std::size_t size, std::chrono::milliseconds timeout) {
    State& s = *state_;
    const ULONGLONG deadline =
        GetTickCount64() + static_cast<ULONGLONG>(std::max<long long>(timeout.count(), 0));
    for (;;) {
        if (s.bufferStart < s.bufferEnd) {
            const std::size_t n = std::min(size, s.bufferEnd - s.bufferStart);
            std::memcpy(data, s.buffer.data() + s.bufferStart, n);
            s.bufferStart += n;
            return static_cast<long>(n);
        }
        if (s.outputClosed) {
            return -1;
        }
        DWORD got = 0;
        if (!s.pending) {
            ResetEvent(s.readDone.get());
            if (ReadFile(s.output.get(), s.buffer.data(), static_cast<DWORD>(s.buffer.size()),
                         nullptr, &s.overlapped)) {
                GetOverlappedResult(s.output.get(), &s.overlapped, &got, FALSE);
            } else if (GetLastError() == ERROR_IO_PENDING) {
                s.pending = true;
            } else if (GetLastError() == ERROR_BROKEN_PIPE) {
                s.outputClosed = true;
                continue;
            } else {
                throw Exception("Cannot read from the child process " + std::to_string(s.id) +
                                ": " + LastErrorText());
            }
        }
        if (s.pending) {
            const ULONGLONG now = GetTickCount64();
            const DWORD wait = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
            // The read's end first: what the child wrote before it ended
            // is read before its end is noticed.
            const HANDLE events[2] = {s.readDone.get(), s.process.get()};
            const DWORD woken = WaitForMultipleObjects(2, events, FALSE, wait);
            if (woken == WAIT_TIMEOUT) {
                return 0;
            }
            if (woken == WAIT_OBJECT_0 + 1) {
                // The child ended, so all it wrote is in the pipe. Its end
                // of the pipe may outlive it (under Wine a helper process
                // holds it for a moment; a process it started may hold it):
                // the output counts as closed once the pipe is empty.
                CancelIoEx(s.output.get(), &s.overlapped);
            }
            const BOOL done = GetOverlappedResult(s.output.get(), &s.overlapped, &got, TRUE);
            s.pending = false;
            if (!done) {
                const DWORD error = GetLastError();
                DWORD available = 0;
                if (error == ERROR_OPERATION_ABORTED &&
                    PeekNamedPipe(s.output.get(), nullptr, 0, nullptr, &available, nullptr) &&
                    available > 0) {
                    continue;
                }
                if (error == ERROR_BROKEN_PIPE || error == ERROR_OPERATION_ABORTED) {
                    s.outputClosed = true;
                    continue;
                }
                throw Exception("Cannot read from the child process " + std::to_string(s.id) +
                                ": " + win32::ErrorText(error));
            }
        }
        s.bufferStart = 0;
        s.bufferEnd = got;
        // A write of nothing by the child completes a read with nothing:
        // read again while time remains.
        if (got == 0 && GetTickCount64() >= deadline) {
            return 0;
        }
    }
}

void ChildProcess::Kill(std::chrono::milliseconds) {
    State& s = *state_;
    if (s.exit || !s.process) {
        return;
    }
    if (WaitForSingleObject(s.process.get(), 0) == WAIT_TIMEOUT) {
        if (!s.job || !TerminateJobObject(s.job.get(), kKilledExitCode)) {
            TerminateProcess(s.process.get(), kKilledExitCode);
        }
        WaitForSingleObject(s.process.get(), INFINITE);
    }
    Wait(std::chrono::milliseconds(0));
}

std::optional<ChildExit> ChildProcess::Wait(std::chrono::milliseconds timeout) {
    State& s = *state_;
    if (s.exit) {
        return s.exit;
    }
    const long long ms = std::clamp<long long>(timeout.count(), 0, INFINITE - 1);
    if (WaitForSingleObject(s.process.get(), static_cast<DWORD>(ms)) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(s.process.get(), &code)) {
        return std::nullopt;
    }
    s.exit = ExitFromCode(code);
    return s.exit;
}

long ChildProcess::Id() const {
    return static_cast<long>(state_->id);
}

// The child's side.

namespace {

// Points the standard stream `which` (the Windows handle and the C
// run-time's descriptor `fd`) at the run-time's descriptor `target`, or at
// NUL when there is none. Returns a copy of the original Windows handle,
// which is closed: only the copy, ours, leads to the parent.
HANDLE Redirect(DWORD which, int fd, int target, bool writing) {
    const HANDLE original = GetStdHandle(which);
    HANDLE taken = nullptr;
    if (original && original != INVALID_HANDLE_VALUE) {
        DuplicateHandle(GetCurrentProcess(), original, GetCurrentProcess(), &taken, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
    }
    const bool runtimeHoldsIt = reinterpret_cast<HANDLE>(_get_osfhandle(fd)) == original;
    int opened = -1;
    if (target < 0 || _get_osfhandle(target) == -1 || _get_osfhandle(target) == -2) {
        opened = _open("NUL", writing ? _O_WRONLY : _O_RDONLY);
        target = opened;
    }
    if (target >= 0) {
        // Closes the run-time's descriptor `fd`, and with it `original`
        // when the run-time holds it.
        _dup2(target, fd);
    }
    if (opened >= 0) {
        _close(opened);
    }
    if (original && original != INVALID_HANDLE_VALUE && !runtimeHoldsIt) {
        CloseHandle(original);
    }
    const intptr_t now = _get_osfhandle(fd);
    SetStdHandle(which, now == -1 || now == -2 ? nullptr : reinterpret_cast<HANDLE>(now));
    return taken;
}

}  // namespace

struct ParentPipes::State {
    HANDLE input = nullptr;
    HANDLE output = nullptr;
};

ParentPipes::ParentPipes() : state_(std::make_unique<State>()) {
    // A process that serves its parent has no one to show a dialog to: a
    // crash (a driver's access violation) ends it at once, which the parent
    // sees, and a missing disk fails the call instead of asking.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    std::fflush(stdout);
    std::cout.flush();
    // Standard input leads to NUL: nothing else here may take the parent's
    // bytes. Standard output leads to standard error (or NUL without one).
    state_->input = Redirect(STD_INPUT_HANDLE, 0, -1, false);
    state_->output = Redirect(STD_OUTPUT_HANDLE, 1, _fileno(stderr), true);
    if (!state_->input || !state_->output) {
        throw Exception("This process was not started with pipes to its parent");
    }
}

ParentPipes::~ParentPipes() {
    CloseHandle(state_->input);
    CloseHandle(state_->output);
}

bool ParentPipes::Read(void* data, std::size_t size) {
    char* bytes = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1 << 30));
        DWORD got = 0;
        if (!ReadFile(state_->input, bytes + done, chunk, &got, nullptr) || got == 0) {
            const DWORD error = GetLastError();
            if (got == 0 && (error == ERROR_BROKEN_PIPE || error == ERROR_SUCCESS)) {
                if (done == 0) {
                    return false;
                }
                throw Exception("The parent process closed its pipe in the middle of a message");
            }
            throw Exception("Cannot read from the parent process: " + win32::ErrorText(error));
        }
        done += got;
    }
    return true;
}

void ParentPipes::Write(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 30));
        DWORD written = 0;
        if (!WriteFile(state_->output, bytes, chunk, &written, nullptr)) {
            throw Exception("Cannot write to the parent process: " + LastErrorText());
        }
        bytes += written;
        size -= written;
    }
}

std::string RunningProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            throw EOSError("Cannot find the path of this program: " + LastErrorText());
        }
        if (n < path.size()) {
            path.resize(n);
            return win32::Utf8(path);
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace quillmere
