#include <gtest/gtest.h>

#include <cerrno>

#include "platform/Exceptions.h"
#include "support/TempDir.h"
#include "wizard/WriteLog.h"

namespace quillmere {
namespace {

using test::FileText;
using test::TempDir;

TEST(WriteLog, CreatesTheFileWithTheMessageAndCrLf) {
    TempDir dir;
    const std::string log = dir / "WizardDebug.log";
    WriteLog(log, "Using Default Home Dir");
    EXPECT_EQ(FileText(log), "Using Default Home Dir\r\n");
}

TEST(WriteLog, AppendsAfterWhatEarlierRunsWrote) {
    TempDir dir;
    const std::string log = dir.write("WizardDebug.log", "first run\r\n");
    WriteLog(log, "Path(s):/a/\r\n/b/\r\n");
    WriteLog(log, "");
    EXPECT_EQ(FileText(log), "first run\r\nPath(s):/a/\r\n/b/\r\n\r\n\r\n");
}

TEST(WriteLog, KeepsBytesAsGiven) {
    TempDir dir;
    const std::string log = dir / "WizardDebug.log";
    const std::string latin1 = "Caf\xe9 \xa3" "5";
    WriteLog(log, latin1);
    EXPECT_EQ(FileText(log), latin1 + "\r\n");
}

// Failures that hold for root too: a directory where the file should be, a
// path through a regular file, a missing directory.
TEST(WriteLog, FailureRaisesTheInputOutputErrorOfItsCause) {
    TempDir dir;
    dir.mkdir("WizardDebug.log");
    const std::string plainFile = dir.write("plain", "x");
    struct Case {
        std::string path;
        std::string text;
    } cases[] = {
        {dir / "WizardDebug.log", "File access denied"},
        {plainFile + "/WizardDebug.log", "Invalid filename"},
#ifdef _WIN32
        // Windows tells a missing directory (path not found, 3) from a missing file.
        {dir / "missing/WizardDebug.log", "Invalid filename"},
#else
        {dir / "missing/WizardDebug.log", "File not found"},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        try {
            WriteLog(c.path, "line");
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& e) {
            EXPECT_EQ(std::string(e.what()), c.text);
        }
    }
}

TEST(InOutError, TextsByErrno) {
    const std::pair<int, const char*> cases[] = {
        {ENOENT, "File not found"},    {EACCES, "File access denied"},
        {EROFS, "File access denied"}, {EMFILE, "Too many open files"},
        {ENOSPC, "Disk full"},         {EIO, "I/O error 5"},
        {EBUSY, "I/O error 16"},
    };
    for (const auto& [err, text] : cases) {
        EXPECT_EQ(std::string(EInOutError::FromErrno(err).what()), text) << err;
    }
}

}  // namespace
}  // namespace quillmere
