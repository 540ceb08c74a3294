// A child process talked to through pipes, with the helper program
// (ChildHelper.cpp) as the child: messages both ways, time limits on
// reading, how a child ended, killing it, and what must not reach the pipe.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/ChildProcess.h"
#include "platform/Exceptions.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>

#include <cerrno>
#include <csignal>
#endif

namespace quillmere {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::string Directory(const std::string& path) {
    return path.substr(0, path.find_last_of("/\\"));
}

std::string HelperPath() {
#ifdef _WIN32
    return Directory(RunningProgramPath()) + "\\" + QUILLMERE_CHILD_HELPER;
#else
    return Directory(RunningProgramPath()) + "/" + QUILLMERE_CHILD_HELPER;
#endif
}

std::unique_ptr<ChildProcess> StartHelper(const std::vector<std::string>& arguments) {
    return std::make_unique<ChildProcess>(HelperPath(), arguments);
}

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Exactly `size` bytes of the child's output, read within ten seconds.
std::string ReadExactly(ChildProcess& child, std::size_t size) {
    std::string bytes(size, '\0');
    std::size_t done = 0;
    const auto deadline = Clock::now() + 10s;
    while (done < size) {
        const long n = child.Read(bytes.data() + done, size - done, 100ms);
        if (n < 0) {
            ADD_FAILURE() << "the child's output closed after " << done << " of " << size
                          << " bytes";
            break;
        }
        if (Clock::now() > deadline) {
            ADD_FAILURE() << "only " << done << " of " << size << " bytes within 10 s";
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return bytes;
}

void SendMessage(ChildProcess& child, const std::string& message) {
    const auto length = static_cast<std::uint32_t>(message.size());
    child.Write(&length, sizeof length);
    child.Write(message.data(), message.size());
}

std::string ReceiveMessage(ChildProcess& child) {
    std::uint32_t length = 0;
    const std::string prefix = ReadExactly(child, sizeof length);
    if (prefix.size() != sizeof length) {
        return "<no message>";
    }
    std::memcpy(&length, prefix.data(), sizeof length);
    if (length > (64u << 20)) {
        ADD_FAILURE() << "a message of " << length << " bytes: not a length prefix";
        return "<no message>";
    }
    return ReadExactly(child, length);
}

// Whether the child's output closes (Read gives -1) within ten seconds,
// with nothing more to read before.
bool OutputCloses(ChildProcess& child) {
    char byte = 0;
    const auto deadline = Clock::now() + 10s;
    while (Clock::now() < deadline) {
        const long n = child.Read(&byte, 1, 100ms);
        if (n < 0) {
            return true;
        }
        if (n > 0) {
            ADD_FAILURE() << "unexpected output from the child";
            return false;
        }
    }
    return false;
}

// Whether no process (not even one that nobody reaped) has the ID.
bool ProcessIsGone(long id) {
#ifdef _WIN32
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
    if (!process) {
        return true;
    }
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
#else
    return ::kill(static_cast<pid_t>(id), 0) == -1 && errno == ESRCH;
#endif
}

std::string Pattern(std::size_t size, int seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] =
            static_cast<char>((i * 7 + static_cast<std::size_t>(seed) * 13 + i / 251) & 0xFF);
    }
    return bytes;
}

TEST(ChildProcessTest, MessagesOfEverySizeComeBackIntact) {
    // Around the 64 KiB frames, and larger than the pipes' buffers both ways.
    const std::size_t sizes[] = {0, 1, 13, 65535, 65536, 65537, (1u << 20) + 7, 5u << 20};
    auto child = StartHelper({"echo"});
    int seed = 0;
    for (const std::size_t size : sizes) {
        SCOPED_TRACE("a message of " + std::to_string(size) + " bytes");
        const std::string message = Pattern(size, ++seed);
        SendMessage(*child, message);
        EXPECT_TRUE(ReceiveMessage(*child) == message);
    }
}

TEST(ChildProcessTest, ReadsThatTimedOutLoseNothing) {
    auto child = StartHelper({"echo"});
    char byte = 0;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(child->Read(&byte, 1, 30ms), 0);
    }
    SendMessage(*child, "after waiting");
    // Read a byte at a time: what one read of the pipe brought stays for the next.
    std::uint32_t length = 0;
    std::string prefix;
    for (std::size_t i = 0; i < sizeof length; ++i) {
        prefix += ReadExactly(*child, 1);
    }
    ASSERT_EQ(prefix.size(), sizeof length);
    std::memcpy(&length, prefix.data(), sizeof length);
    EXPECT_EQ(length, 13u);
    EXPECT_EQ(ReadExactly(*child, length), "after waiting");
}

TEST(ChildProcessTest, ReadOfASilentChildReturnsNothingWhenTheTimeRunsOut) {
    auto child = StartHelper({"hang"});
    ASSERT_EQ(ReceiveMessage(*child), "ready");
    char buffer[16];
    for (const auto timeout : {0ms, 100ms, 300ms}) {
        SCOPED_TRACE("a time limit of " + std::to_string(timeout.count()) + " ms");
        const auto start = Clock::now();
        EXPECT_EQ(child->Read(buffer, sizeof buffer, timeout), 0);
        const long long elapsed = MillisecondsSince(start);
        EXPECT_GE(elapsed, timeout.count() - 20);
        EXPECT_LT(elapsed, timeout.count() + 250);
    }
}

struct ExitCase {
    const char* code;
    bool abnormal;
    unsigned long number;
    const char* text;
};

TEST(ChildProcessTest, WaitSaysHowTheChildEnded) {
    const ExitCase cases[] = {
        {"0", false, 0, "exit code 0"},
        {"3", false, 3, "exit code 3"},
        {"255", false, 255, "exit code 255"},
#ifdef _WIN32
        // An exit code of an exception is told as one, named where known.
        {"0xC00000FD", true, 0xC00000FD, "exception code 0xC00000FD (stack overflow)"},
        {"0xC0000094", true, 0xC0000094, "exception code 0xC0000094 (integer divide by zero)"},
        {"0xC0001234", true, 0xC0001234, "exception code 0xC0001234"},
        {"0xBFFFFFFF", false, 0xBFFFFFFF, "exit code 3221225471"},
#endif
    };
    for (const ExitCase& c : cases) {
        SCOPED_TRACE(std::string("exit ") + c.code);
        auto child = StartHelper({"exit", c.code});
        EXPECT_TRUE(OutputCloses(*child));
        const std::optional<ChildExit> exit = child->Wait(10s);
        ASSERT_TRUE(exit.has_value());
        EXPECT_EQ(exit->abnormal, c.abnormal);
        EXPECT_EQ(exit->code, c.number);
        EXPECT_EQ(exit->text, c.text);
        // Once known, the same answer every time.
        const std::optional<ChildExit> again = child->Wait(0ms);
        ASSERT_TRUE(again.has_value());
        EXPECT_EQ(again->text, c.text);
    }
}

TEST(ChildProcessTest, ACrashIsAnAbnormalEnd) {
    auto child = StartHelper({"crash"});
    const std::optional<ChildExit> exit = child->Wait(20s);
    ASSERT_TRUE(exit.has_value());
    EXPECT_TRUE(exit->abnormal);
#ifdef _WIN32
    EXPECT_EQ(exit->code, 0xC0000005u);
    EXPECT_EQ(exit->text, "exception code 0xC0000005 (access violation)");
#else
    EXPECT_EQ(exit->code, static_cast<unsigned long>(SIGSEGV));
    EXPECT_EQ(exit->text, "signal 11 (Segmentation fault)");
#endif
    EXPECT_TRUE(OutputCloses(*child));
}

TEST(ChildProcessTest, KillEndsAHangingChildAtOnce) {
    // "stubborn" ignores SIGTERM: Kill goes on to SIGKILL after the grace.
    for (const char* mode : {"hang", "stubborn"}) {
        SCOPED_TRACE(mode);
        auto child = StartHelper({mode});
        ASSERT_EQ(ReceiveMessage(*child), "ready");
        EXPECT_FALSE(child->Wait(0ms).has_value());
        const auto start = Clock::now();
        child->Kill(200ms);
        EXPECT_LT(MillisecondsSince(start), 700);
        const std::optional<ChildExit> exit = child->Wait(0ms);
        ASSERT_TRUE(exit.has_value());
        EXPECT_TRUE(exit->abnormal) << exit->text;
#ifdef _WIN32
        EXPECT_EQ(exit->text, "exception code 0xC000013A (ended on request)");
#endif
        EXPECT_TRUE(ProcessIsGone(child->Id()));
        EXPECT_TRUE(OutputCloses(*child));
        // An ended child is left as it is.
        child->Kill();
        EXPECT_EQ(child->Wait(0ms)->text, exit->text);
    }
}

TEST(ChildProcessTest, KillLeavesTheEndOfAnEndedChildAsItWas) {
    auto child = StartHelper({"exit", "7"});
    ASSERT_TRUE(OutputCloses(*child));
    // Ended, but not yet asked about: Kill must not make it look killed.
    std::this_thread::sleep_for(200ms);
    child->Kill();
    const std::optional<ChildExit> exit = child->Wait(10s);
    ASSERT_TRUE(exit.has_value());
    EXPECT_EQ(exit->text, "exit code 7");
}

TEST(ChildProcessTest, DestroyingTheObjectEndsTheChild) {
    long id = 0;
    const auto start = Clock::now();
    {
        auto child = StartHelper({"hang"});
        ASSERT_EQ(ReceiveMessage(*child), "ready");
        id = child->Id();
        EXPECT_FALSE(ProcessIsGone(id));
    }
    EXPECT_LT(MillisecondsSince(start), 5000);
    EXPECT_TRUE(ProcessIsGone(id));
}

TEST(ChildProcessTest, NothingElseTheChildWritesToStandardOutputReachesThePipe) {
    auto child = StartHelper({"stdout-noise"});
    SendMessage(*child, "only this");
    EXPECT_EQ(ReceiveMessage(*child), "only this");
}

TEST(ChildProcessTest, ArgumentsArriveAsGiven) {
    // Blanks, quotes and backslashes in every position the command line of
    // Windows treats differently; text beyond ASCII.
    const std::vector<std::string> arguments = {
        "plain",
        "",
        "two words",
        "tab\there",
        "quote\"inside",
        "\"",
        "\"quoted\"",
        "trailing backslash\\",
        "\\\\server\\share\\",
        "back\\\\\"slash",
        "a\\\\b c",
        "two at the end\\\\",
        "C:\\Program Files\\x\\",
        "new\nline",
        "na\xc3\xaf"
        "ve caf\xc3\xa9 \xe2\x82\xac",
        "\xe6\x97\xa5\xe6\x9c\xac",
        "-",
        "%PATH%",
    };
    std::vector<std::string> withMode = {"args"};
    withMode.insert(withMode.end(), arguments.begin(), arguments.end());
    auto child = StartHelper(withMode);
    // All it wrote is read even after it ended.
    ASSERT_TRUE(child->Wait(10s).has_value());
    for (const std::string& argument : arguments) {
        EXPECT_EQ(ReceiveMessage(*child), argument);
    }
    EXPECT_TRUE(OutputCloses(*child));
    EXPECT_EQ(child->Wait(0ms)->text, "exit code 0");
}

TEST(ChildProcessTest, AProgramThatCannotBeStartedIsNamed) {
    const std::string missing = Directory(RunningProgramPath()) + "/no-such-helper.exe";
    try {
        ChildProcess child(missing, {"echo"});
        FAIL() << "started " << missing;
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find(missing), std::string::npos) << e.what();
    }
}

TEST(ChildProcessTest, WritingToAnEndedChildRaises) {
    auto child = StartHelper({"exit", "0"});
    ASSERT_TRUE(child->Wait(10s).has_value());
    // Under Wine a helper process of Wine's may hold the child's end of the
    // pipe for a moment after the child ended: the bytes then land in the
    // pipe's buffer, far from full after these few.
    const std::string message(1000, 'x');
    bool raised = false;
    const auto deadline = Clock::now() + 5s;
    while (!raised && Clock::now() < deadline) {
        try {
            child->Write(message.data(), message.size());
            std::this_thread::sleep_for(50ms);
        } catch (const Exception&) {
            raised = true;
        }
    }
    EXPECT_TRUE(raised);
}

TEST(ChildProcessTest, ALargeOutputArrivesWholeAndInOrder) {
    const unsigned long mebibytes = 50;
    auto child = StartHelper({"big", std::to_string(mebibytes)});
    std::vector<unsigned char> buffer(256 * 1024);
    std::uint64_t total = 0;
    std::uint64_t wrong = 0;
    const auto start = Clock::now();
    const auto deadline = start + 60s;
    for (;;) {
        const long n = child->Read(buffer.data(), buffer.size(), 100ms);
        if (n < 0) {
            break;
        }
        for (long k = 0; k < n; ++k) {
            const std::uint64_t at = total + static_cast<std::uint64_t>(k);
            const std::uint64_t frame = at / (64 * 1024);
            const std::uint64_t offset = at % (64 * 1024);
            if (buffer[static_cast<std::size_t>(k)] != ((frame * 31 + offset) & 0xFF)) {
                ++wrong;
            }
        }
        total += static_cast<std::uint64_t>(n);
        ASSERT_LT(Clock::now(), deadline) << total << " bytes read";
    }
    const long long elapsed = std::max<long long>(MillisecondsSince(start), 1);
    EXPECT_EQ(total, std::uint64_t{mebibytes} << 20);
    EXPECT_EQ(wrong, 0u);
    std::printf("%lu MiB in %lld ms: %.1f MiB/s\n", mebibytes, elapsed,
                mebibytes * 1000.0 / static_cast<double>(elapsed));
    const std::optional<ChildExit> exit = child->Wait(10s);
    ASSERT_TRUE(exit.has_value());
    EXPECT_EQ(exit->text, "exit code 0");
}

#ifdef _WIN32
TEST(ChildProcessTest, TheChildInheritsNoOtherHandle) {
    // An inheritable handle of ours that is not one of the child's pipes.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE event = CreateEventW(&inherit, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    auto child =
        StartHelper({"set-event", std::to_string(reinterpret_cast<std::uintptr_t>(event))});
    const std::optional<ChildExit> exit = child->Wait(10s);
    ASSERT_TRUE(exit.has_value());
    EXPECT_EQ(exit->text, "exit code 0");
    EXPECT_EQ(WaitForSingleObject(event, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    CloseHandle(event);
}
#endif

#ifndef _WIN32
TEST(ChildProcessTest, TheChildInheritsNoOtherDescriptor) {
    // A file and a pipe of ours, opened without close-on-exec.
    const int file = ::open(RunningProgramPath().c_str(), O_RDONLY);
    ASSERT_GE(file, 0);
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const auto ours = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(pipe[0]));
    const std::string listed = ReceiveMessage(*StartHelper({"fds"}));
    ::close(file);
    ::close(pipe[0]);
    ::close(pipe[1]);
    EXPECT_NE(listed.find("0 "), std::string::npos) << listed;
    EXPECT_EQ(listed.find(RunningProgramPath()), std::string::npos) << listed;
    EXPECT_EQ(listed.find(ours.string()), std::string::npos) << ours << "\n" << listed;
}
#endif

TEST(RunningProgramPathTest, NamesThisProgramsFile) {
    const std::string path = RunningProgramPath();
    EXPECT_NE(path.find("platform_tests"), std::string::npos) << path;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    EXPECT_NE(file, nullptr) << path;
    if (file) {
        std::fclose(file);
    }
}

}  // namespace
}  // namespace quillmere
