// Browse and Scan on the locate page, driven through the scripted view over
// small real directory trees.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "app/ufMain.h"
#include "support/FakeSystem.h"
#include "support/FakeView.h"
#include "support/TempDir.h"

namespace quillmere {
namespace {

using test::FakeSystem;
using test::FakeView;
using test::FileText;
using test::ShownMessage;
using test::TempDir;
using Messages = std::vector<ShownMessage>;

const ShownMessage Located{"Sage Home Directory has now been located", MsgType::Information,
                           MsgButtons::OK};
const ShownMessage NoneFound{"No Sage Directory Found!", MsgType::Error, MsgButtons::OK};
const ShownMessage Incorrect{"Sage Home Directory incorrectly specified", MsgType::Error,
                             MsgButtons::OK};
const ShownMessage NoneSelected{"No Directory Selected!", MsgType::Warning, MsgButtons::OK};

class LocatePage : public ::testing::Test {
  protected:
    TempDir exeDir;
    TempDir drive;  // the tree a scan searches
    FakeSystem system{exeDir.path()};
    FakeView view;
    TfrmMain form{view, system};
    const std::string missingDir = exeDir / "no such directory";

    LocatePage() {
        form.LogFileName = exeDir / "WizardDebug.log";
        form.SageObj = std::make_unique<TSageObject>(12);
        form.HomeDir = missingDir;
        form.ScanPumpInterval = std::chrono::milliseconds(0);
    }
    std::string log() const { return FileText(form.LogFileName); }
    // A directory of the drive tree holding a COMPANY file.
    std::string sageHome(const std::string& relative) {
        drive.write(relative + "/COMPANY", "");
        return drive / relative;
    }
    void scan() { form.Dispatch(&TfrmMain::cmdScanClick); }
    void browse() { form.Dispatch(&TfrmMain::cmdBrowseClick); }
};

TEST_F(LocatePage, ScanOutcomes) {
    struct Case {
        const char* what;
        std::vector<std::string> homes;  // directories of the drive holding COMPANY
        bool ticked;
        std::optional<int> chooserAnswer;
        bool homeDirValidBefore;  // HomeDir already held COMPANY before the scan
        Messages messages;
        int expectedIndex;  // the result that becomes HomeDir; -1: HomeDir unchanged
    };
    const std::vector<Case> cases = {
        {"nothing found", {}, true, {}, false, {NoneFound, Incorrect}, -1},
        {"nothing found, but HomeDir was right", {}, true, {}, true, {NoneFound, Located}, -1},
        {"no drive ticked", {"a"}, false, {}, false, {NoneFound, Incorrect}, -1},
        {"one found", {"a"}, true, {}, false, {Located}, 0},
        {"three found, OK on the third", {"a", "a/b", "a/b/c"}, true, 2, false, {Located}, 2},
        {"three found, OK on the first", {"a", "a/b", "a/b/c"}, true, 0, false, {Located}, 0},
        {"three found, chooser closed",
         {"a", "a/b", "a/b/c"},
         true,
         std::nullopt,
         false,
         {Incorrect},
         -1},
        {"three found, chooser closed, HomeDir was right",
         {"a", "a/b", "a/b/c"},
         true,
         std::nullopt,
         true,
         {Located},
         -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir d;
        TempDir exe;
        FakeSystem sys{exe.path()};
        FakeView v;
        TfrmMain f{v, sys};
        f.LogFileName = exe / "WizardDebug.log";
        f.SageObj = std::make_unique<TSageObject>(12);
        f.ScanPumpInterval = std::chrono::milliseconds(0);
        std::vector<std::string> results;
        for (const std::string& home : c.homes) {
            d.write(home + "/COMPANY", "");
            if (c.ticked) {
                results.push_back(test::NativePath(d.path() + "/" + home + "/"));
            }
        }
        std::string before = exe / "elsewhere";
        if (c.homeDirValidBefore) {
            exe.write("elsewhere/COMPANY", "");
        }
        f.HomeDir = before;
        v.drives = {{d.path(), c.ticked}};
        if (results.size() > 1) {
            v.directoryAnswers.push_back(c.chooserAnswer);
        }

        f.Dispatch(&TfrmMain::cmdScanClick);

        EXPECT_EQ(v.messages, c.messages);
        EXPECT_TRUE(v.errorReports.empty());
        std::string expectedLog;
        if (c.ticked) {
            expectedLog += "Checking drive " + d.path() + "\r\n";
        }
        if (results.size() == 1) {
            expectedLog += "Found 1 files\r\nPath:" + results[0] + "\r\n";
        } else if (results.size() > 1) {
            expectedLog += "Found " + std::to_string(results.size()) + " files\r\nPath(s):";
            for (const std::string& r : results) {
                expectedLog += r + "\r\n";
            }
            expectedLog += "\r\n";
        }
        EXPECT_EQ(FileText(f.LogFileName), expectedLog.empty() ? "<missing>" : expectedLog);
        if (results.size() > 1) {
            EXPECT_EQ(v.directoryChoices, (std::vector<std::vector<std::string>>{results}));
        } else {
            EXPECT_TRUE(v.directoryChoices.empty());
        }
        const std::string expectedHome =
            c.expectedIndex >= 0 ? results[static_cast<std::size_t>(c.expectedIndex)] : before;
        // The check takes the trailing separator off.
        const std::string trimmed = expectedHome.back() == test::NativePath("/")[0]
                                        ? expectedHome.substr(0, expectedHome.size() - 1)
                                        : expectedHome;
        EXPECT_EQ(f.HomeDir, trimmed);
        const bool found = c.expectedIndex >= 0 || c.homeDirValidBefore;
        EXPECT_EQ(f.HomeDirFound, found);
        EXPECT_EQ(f.SageObj->HomeDir, found ? trimmed : std::string());
        // At rest again.
        EXPECT_TRUE(v.isEnabled("cmdScan"));
        EXPECT_FALSE(v.timerOn);
        EXPECT_FALSE(v.isVisible("lblScan"));
    }
}

TEST_F(LocatePage, ScanSearchesTheTickedDrivesInListOrder) {
    TempDir second;
    TempDir third;
    sageHome("skipped");
    second.write("s2/COMPANY", "");
    third.write("s3/COMPANY", "");
    view.drives = {{drive.path(), false}, {third.path(), true}, {second.path(), true}};
    view.directoryAnswers.push_back(1);

    scan();

    ASSERT_EQ(view.directoryChoices.size(), 1u);
    EXPECT_EQ(view.directoryChoices[0], (std::vector<std::string>{third / "s3/", second / "s2/"}));
    EXPECT_EQ(form.HomeDir, second / "s2");
    EXPECT_EQ(log().substr(0, log().find("Found")),
              "Checking drive " + third.path() + "\r\nChecking drive " + second.path() + "\r\n");
}

// While the search runs, Scan is disabled and the timer on; the timer's
// ticks blink the label; afterwards both are at rest and the label hidden,
// whatever the number of ticks.
TEST_F(LocatePage, DuringTheScanScanIsDisabledAndTheLabelBlinks) {
    sageHome("a");
    drive.mkdir("b/c");
    view.drives = {{drive.path(), true}};
    std::vector<bool> scanEnabled;
    std::vector<bool> timerOn;
    std::vector<bool> labelVisible;
    view.onPump = [&] {
        scanEnabled.push_back(view.isEnabled("cmdScan"));
        timerOn.push_back(view.timerOn);
        form.Dispatch(&TfrmMain::Timer1Timer);  // one tick per pump here
        labelVisible.push_back(view.isVisible("lblScan"));
    };

    scan();

    EXPECT_EQ(scanEnabled, (std::vector<bool>{false, false, false}));  // a, b/c, b
    EXPECT_EQ(timerOn, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(labelVisible, (std::vector<bool>{true, false, true}));
    EXPECT_TRUE(view.isEnabled("cmdScan"));
    EXPECT_FALSE(view.timerOn);
    EXPECT_FALSE(view.isVisible("lblScan"));
    EXPECT_EQ(view.messages, Messages{Located});
}

TEST_F(LocatePage, AnErrorEndingTheScanLeavesItsControlsAtRest) {
    sageHome("a");
    view.drives = {{drive.path(), true}};
    form.LogFileName = exeDir.path();  // a directory: the log cannot be written
    view.onPump = [&] { form.Dispatch(&TfrmMain::Timer1Timer); };

    scan();

    ASSERT_EQ(view.errorReports.size(), 1u);
    EXPECT_TRUE(view.messages.empty());  // ended before any result box
    EXPECT_EQ(form.HomeDir, missingDir);
    EXPECT_TRUE(view.isEnabled("cmdScan"));
    EXPECT_FALSE(view.timerOn);
    EXPECT_FALSE(view.isVisible("lblScan"));
}

// A close requested while the scan pumps ends the scan at that pump, shows
// nothing more, and closes the window once the handler has unwound.
TEST_F(LocatePage, ACloseDuringTheScanStopsItAndCloses) {
    for (const char* dir : {"a", "b", "c", "d"}) {
        sageHome(dir);
    }
    view.drives = {{drive.path(), true}};
    int pumpsAfterClose = -1;
    view.onPump = [&] {
        ++pumpsAfterClose;
        form.RequestClose();
    };

    scan();

    EXPECT_EQ(pumpsAfterClose, 0);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(view.directoryChoices.empty());
    EXPECT_TRUE(view.errorReports.empty());
    EXPECT_EQ(log(), "Checking drive " + drive.path() + "\r\n");
    EXPECT_TRUE(view.windowClosed);
    EXPECT_EQ(form.SageObj, nullptr);
    EXPECT_FALSE(view.timerOn);
}

// Pumping is throttled by time: after every directory when the interval is
// zero, not at all on a quick scan when it is long.
TEST_F(LocatePage, ScanPumpsNoMoreOftenThanItsInterval) {
    for (int i = 0; i < 40; ++i) {
        drive.mkdir("d" + std::to_string(i));
    }
    view.drives = {{drive.path(), true}};
    scan();
    EXPECT_EQ(view.pumps, 40);

    view.pumps = 0;
    form.ScanPumpInterval = std::chrono::hours(1);
    scan();
    EXPECT_EQ(view.pumps, 0);
}

TEST_F(LocatePage, BrowseOutcomes) {
    struct Case {
        const char* what;
        const char* homeDirBefore;          // relative to the tree; "!" the missing directory
        std::optional<std::string> picked;  // relative to the tree, nothing: cancelled
        const char* expectedStart;          // "" or relative to the tree
        Messages messages;
        const char* expectedHomeDir;  // relative to the tree, "" empty
        bool found;
    };
    const std::vector<Case> cases = {
        {"missing start, cancelled", "!", std::nullopt, "", {NoneSelected}, "", false},
        {"a file as start, cancelled", "home/COMPANY", std::nullopt, "", {NoneSelected}, "", false},
        {"existing start kept, cancelled",
         "plain/",
         std::nullopt,
         "plain/",
         {NoneSelected},
         "plain",
         false},
        {"cancelled on a right HomeDir",
         "home",
         std::nullopt,
         "home",
         {NoneSelected},
         "home",
         true},
        {"the home picked", "!", "home/", "", {Located}, "home", true},
        {"a directory in another case", "plain", "mixed", "plain", {Located}, "mixed", true},
        {"a directory without COMPANY picked", "home", "plain", "home", {}, "plain", false},
        {"a directory holding a COMPANY directory", "!", "decoy", "", {}, "decoy", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir t;
        TempDir exe;
        FakeSystem sys{exe.path()};
        FakeView v;
        TfrmMain f{v, sys};
        f.LogFileName = exe / "WizardDebug.log";
        f.SageObj = std::make_unique<TSageObject>(12);
        t.write("home/COMPANY", "");
        t.write("mixed/Company", "");
        t.mkdir("plain");
        t.mkdir("decoy/COMPANY");
        const auto inTree = [&t](const std::string& rel) { return rel.empty() ? rel : t / rel; };
        f.HomeDir = std::string(c.homeDirBefore) == "!" ? t / "missing" : t / c.homeDirBefore;
        if (c.picked) {
            v.folderAnswers.push_back(t / *c.picked);
        }

        f.Dispatch(&TfrmMain::cmdBrowseClick);

        ASSERT_EQ(v.browseStarts.size(), 1u);
        EXPECT_EQ(v.browseStarts[0], inTree(c.expectedStart));
        EXPECT_EQ(v.calls.front(), "browse Please select directory where COMPANY file is located");
        EXPECT_EQ(v.messages, c.messages);
        EXPECT_EQ(f.HomeDir, inTree(c.expectedHomeDir));
        EXPECT_EQ(f.HomeDirFound, c.found);
        // Only a picked directory that holds the file reaches the Sage object.
        EXPECT_EQ(f.SageObj->HomeDir, c.picked && c.found ? t / c.expectedHomeDir : "");
        EXPECT_EQ(FileText(f.LogFileName), "<missing>");  // Browse logs nothing
    }
}

}  // namespace
}  // namespace quillmere
