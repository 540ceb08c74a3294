// The wizard's page flow driven through the scripted view: guards, messages,
// log lines, button states and the home-directory defaults.
#include <gtest/gtest.h>

#include "app/ufMain.h"
#include "platform/Exceptions.h"
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

class PageFlow : public ::testing::Test {
  protected:
    TempDir exeDir;
    FakeSystem system{exeDir.path()};
    FakeView view;
    TfrmMain form{view, system};

    std::string log() const { return FileText(exeDir / "WizardDebug.log"); }
    void create() { form.Dispatch(&TfrmMain::FormCreate); }
    void next() { form.Dispatch(&TfrmMain::cmdNextClick); }
    void back() { form.Dispatch(&TfrmMain::cmdBackClick); }
    void chooseVersion(int index) {
        view.selectVersion(index);
        form.Dispatch(&TfrmMain::cboVersionChange);
    }
    // Back / Next / Finish enabled states.
    std::string buttons() const {
        std::string s;
        for (const char* b : {"cmdBack", "cmdNext", "cmdFinish"}) {
            s += view.isEnabled(b) ? '1' : '0';
        }
        return s;
    }
    // A Sage home directory with its COMPANY file; homedir.txt points at it.
    std::string makeSageHome() {
        const std::string home = exeDir.mkdir("Sage Accounts");
        exeDir.write("Sage Accounts/COMPANY", "/nowhere\r\n");
        exeDir.write("homedir.txt", home + test::NativePath("/") + "\r\nignored second line\r\n");
        return home;
    }
};

TEST_F(PageFlow, StartupHomeDirSources) {
    struct Case {
        const char* name;
        std::optional<std::string> homedirTxt;
        std::string registry;
        std::string homeDir;
        std::string log;
    } cases[] = {
        {"homedir.txt first line, unchanged", "D:\\Sage\\Accounts\\\r\nsecond", "C:\\Reg\\",
         "D:\\Sage\\Accounts\\", "<missing>"},
        {"homedir.txt with LF only", "  /srv/sage/ \nx", "", "  /srv/sage/ ", "<missing>"},
        {"registry without its last character", std::nullopt, "C:\\Sage\\Accounts\\",
         "C:\\Sage\\Accounts", "Using Home Dir from registry C:\\Sage\\Accounts\r\n"},
        {"registry value cut whatever the character", std::nullopt, "C:\\Sage", "C:\\Sag",
         "Using Home Dir from registry C:\\Sag\r\n"},
        {"fixed default", std::nullopt, "", "C:\\Program Files\\Sage\\Accounts",
         "Using Default Home Dir\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        FakeSystem sys(dir.path());
        sys.registryValue = c.registry;
        if (c.homedirTxt) {
            dir.write("homedir.txt", *c.homedirTxt);
        }
        FakeView v;
        TfrmMain f(v, sys);
        f.Dispatch(&TfrmMain::FormCreate);
        EXPECT_EQ(f.HomeDir, c.homeDir);
        EXPECT_FALSE(f.HomeDirFound);
        EXPECT_EQ(f.LogFileName, dir / "WizardDebug.log");
        EXPECT_EQ(FileText(dir / "WizardDebug.log"), c.log);
        EXPECT_TRUE(v.errorReports.empty());
        EXPECT_EQ(v.page, tabIntro);
    }
}

TEST_F(PageFlow, EmptyHomedirTxtIsReportedAndTheWindowStillOpens) {
    exeDir.write("homedir.txt", "");
    create();
    EXPECT_EQ(view.errorReports, std::vector<std::string>{"List index out of bounds (0)"});
    EXPECT_EQ(form.HomeDir, "");
    // Nothing logged before the failure, which the log now records.
    EXPECT_EQ(log(), "Failed: List index out of bounds (0)\r\n");
    EXPECT_EQ(view.page, tabIntro);
    EXPECT_EQ(form.LogFileName, exeDir / "WizardDebug.log");
}

TEST_F(PageFlow, WelcomePageLogsTheStartWithLocaleSeparators) {
    create();
    next();
    back();
    system.settings.dateSeparator = '-';
    system.settings.timeSeparator = '.';
    next();
    EXPECT_EQ(log(),
              "Using Default Home Dir\r\n"
              "Wizard Started at 09/12/25 14:05:33\r\n"
              "Wizard Started at 09-12-25 14.05.33\r\n");
    EXPECT_EQ(view.page, tabVersion);
}

TEST_F(PageFlow, VersionPageRefusesWithoutAChoice) {
    create();
    next();
    const std::string before = log();
    next();
    EXPECT_EQ(view.page, tabVersion);
    EXPECT_EQ(view.messages,
              (std::vector<ShownMessage>{{"Must select which version of Sage you are using",
                                          MsgType::Error, MsgButtons::OK}}));
    EXPECT_EQ(form.SageObj, nullptr);
    EXPECT_EQ(log(), before);
    EXPECT_EQ(buttons(), "110");
}

TEST_F(PageFlow, LeavingTheVersionPageWithTheHomeDirectoryFound) {
    const std::string home = makeSageHome();
    system.os = {6, 1};
    create();
    next();
    chooseVersion(11);  // "Sage 50 / Instant 2012"
    next();
    EXPECT_EQ(form.VersionNo, 18);
    ASSERT_NE(form.SageObj, nullptr);
    EXPECT_EQ(form.SageObj->VersionNo, 18);
    EXPECT_EQ(form.SageObj->HomeDir, home);
    EXPECT_TRUE(form.HomeDirFound);
    EXPECT_EQ(form.HomeDir, home);  // the trailing separator removed by the check
    EXPECT_EQ(view.text("HTMLabel3"), HomeDirFoundText);
    for (const char* c : {"cmdBrowse", "chkDrives", "cmdScan"}) {
        EXPECT_FALSE(view.isVisible(c)) << c;
    }
    EXPECT_EQ(log().substr(log().find("Windows")),
              "Windows version detected as:6.1\r\n"
              "Sage Object Created\r\n"
              "Current Home directory is " +
                  home + test::NativePath("/") +
                  "\r\n"
                  "Version is 18\r\n");
    EXPECT_EQ(view.page, tabLocate);
    next();
    EXPECT_EQ(view.page, tabLogin);
}

TEST_F(PageFlow, HomeDirectoryNotFoundShowsBrowseAndScanAndListsDrivesEachPass) {
    system.drives = {{"/", DriveType::Fixed},           {"/media/usb", DriveType::Removable},
                     {"/mnt/share", DriveType::Remote}, {"/cdrom", DriveType::CdRom},
                     {"/tmp", DriveType::RamDisk},      {"/proc", DriveType::Unknown}};
    create();
    next();
    chooseVersion(0);
    next();
    EXPECT_FALSE(form.HomeDirFound);
    EXPECT_EQ(view.text("HTMLabel3"), HomeDirNotFoundText);
    for (const char* c : {"cmdBrowse", "chkDrives", "cmdScan"}) {
        EXPECT_TRUE(view.isVisible(c)) << c;
    }
    EXPECT_EQ(view.page, tabLocate);
    next();
    EXPECT_EQ(view.page, tabLocate);
    EXPECT_EQ(view.messages.back(), (ShownMessage{"Sage Home Directory Has not been found.",
                                                  MsgType::Error, MsgButtons::OK}));
    back();
    next();
    const std::vector<std::pair<std::string, bool>> expected = {
        {"/", false}, {"/mnt/share", false}, {"/", false}, {"/mnt/share", false}};
    EXPECT_EQ(view.drives, expected);
}

// The fixed install locations are Windows paths: they replace the home
// directory only where the system has Windows paths.
TEST_F(PageFlow, VersionDefaultsByEntryOsVersionAndPlatform) {
    struct Case {
        int entry;
        OsVersion os;
        bool windows;
        std::string homeDir;
        std::string osLine;
    } cases[] = {
        {11, {6, 2}, true, "c:\\ProgramData\\sage\\accounts\\2012", "6.2"},
        {11,
         {5, 1},
         true,
         "c:\\documents and settings\\all users\\application data\\sage\\accounts\\2012",
         "5.1"},
        {2, {6, 1}, true, "c:\\ProgramData\\sage\\accounts\\on 9", "6.1"},
        {2, {5, 1}, true, "START", "5.1"},
        {3, {10, 0}, true, "c:\\program files\\sage\\accounts", "10.0"},
        {15, {6, 0}, true, "START", "6.0"},
        {11, {6, 2}, false, "START", "6.2"},
        {3, {6, 1}, false, "START", "6.1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.entry) + (c.windows ? " windows " : " posix ") + c.osLine);
        TempDir dir;
        dir.write("homedir.txt", "START");
        FakeSystem sys(dir.path());
        sys.os = c.os;
        sys.windows = c.windows;
        FakeView v;
        TfrmMain f(v, sys);
        f.Dispatch(&TfrmMain::FormCreate);
        v.page = tabVersion;
        v.selectVersion(c.entry);
        f.Dispatch(&TfrmMain::cboVersionChange);
        f.Dispatch(&TfrmMain::cmdNextClick);
        EXPECT_EQ(f.HomeDir, c.homeDir);
        EXPECT_EQ(f.SageObj->HomeDir, c.homeDir);
        EXPECT_EQ(FileText(dir / "WizardDebug.log"),
                  "Windows version detected as:" + c.osLine + "\r\nSage Object Created\r\n" +
                      "Current Home directory is " + c.homeDir + "\r\nVersion is " +
                      std::to_string(c.entry + 7) + "\r\n");
    }
}

TEST_F(PageFlow, ADefaultReplacesADirectoryFoundEarlier) {
    makeSageHome();
    system.windows = true;
    system.os = {6, 1};
    create();
    next();
    chooseVersion(15);
    next();
    EXPECT_EQ(form.HomeDir, "c:\\ProgramData\\sage\\accounts\\2016");
    EXPECT_FALSE(form.HomeDirFound);
}

TEST_F(PageFlow, ButtonStatesAndGuardsAcrossTheWalk) {
    makeSageHome();
    create();
    EXPECT_EQ(buttons(), "010");
    next();
    EXPECT_EQ(buttons(), "110");
    chooseVersion(5);
    next();
    EXPECT_EQ(view.page, tabLocate);
    next();
    EXPECT_EQ(view.page, tabLogin);
    next();  // not logged in
    EXPECT_EQ(view.page, tabLogin);
    EXPECT_EQ(view.messages.back(),
              (ShownMessage{"Must Connect to Sage first", MsgType::Error, MsgButtons::OK}));
    form.LoggedIn = true;
    next();
    EXPECT_EQ(view.page, tabOptions);
    EXPECT_EQ(buttons(), "101");
    next();  // Next is disabled on the last page; pressed anyway it stays there
    EXPECT_EQ(view.page, tabOptions);
    back();
    EXPECT_EQ(view.page, tabLogin);
    EXPECT_EQ(buttons(), "110");
    back();
    back();
    back();
    EXPECT_EQ(view.page, tabIntro);
    EXPECT_EQ(buttons(), "010");
    back();
    EXPECT_EQ(view.page, tabIntro);
}

TEST_F(PageFlow, PassingTheVersionPageAgainReplacesTheObjectAndClearsTheLogin) {
    makeSageHome();
    create();
    next();
    chooseVersion(5);
    next();
    TSageObject* first = form.SageObj.get();
    form.LoggedIn = true;
    form.CompanyName = "Acme";
    form.CompanyPath = "/x/ACCDATA";
    view.setVisible("lblStatus", true);
    back();
    chooseVersion(6);
    next();
    EXPECT_NE(form.SageObj.get(), first);
    EXPECT_EQ(form.SageObj->VersionNo, 13);
    EXPECT_FALSE(form.LoggedIn);
    EXPECT_FALSE(view.isVisible("lblStatus"));
    EXPECT_EQ(form.CompanyName, "Acme");
    EXPECT_EQ(form.CompanyPath, "/x/ACCDATA");
    next();
    next();
    EXPECT_EQ(view.page, tabLogin);
}

TEST_F(PageFlow, CancelAsksAndCloseReleasesTheSageObject) {
    makeSageHome();
    create();
    next();
    chooseVersion(0);
    next();
    view.messageAnswers = {MsgResult::No};
    form.Dispatch(&TfrmMain::cmdCancelClick);
    EXPECT_EQ(view.messages.back(), (ShownMessage{"Are you sure you wish to cancel?",
                                                  MsgType::Confirmation, MsgButtons::YesNo}));
    EXPECT_FALSE(view.windowClosed);
    EXPECT_NE(form.SageObj, nullptr);
    EXPECT_EQ(view.page, tabLocate);

    view.messageAnswers = {MsgResult::Yes};
    form.Dispatch(&TfrmMain::cmdCancelClick);
    EXPECT_TRUE(view.windowClosed);
    EXPECT_EQ(form.SageObj, nullptr);
}

TEST_F(PageFlow, CloseBoxAsksNothing) {
    create();
    form.RequestClose();
    EXPECT_TRUE(view.windowClosed);
    EXPECT_TRUE(view.messages.empty());
    form.RequestClose();  // a second request does nothing more
    EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "close"), 1);
}

TEST_F(PageFlow, ALogThatCannotBeWrittenStopsTheHandlerOnItsPage) {
    exeDir.mkdir("WizardDebug.log");
    create();
    // The text names the file, so the user knows which directory to fix
    // (no "." after the closing parenthesis, which sorts before it).
    const std::string denied = "File access denied (" + (exeDir / "WizardDebug.log") + ")";
    EXPECT_EQ(view.errorReports, std::vector<std::string>{denied});
    next();
    EXPECT_EQ(view.page, tabIntro);
    EXPECT_EQ(view.errorReports.size(), 2u);
    EXPECT_EQ(view.errorReports.back(), denied);
}

TEST_F(PageFlow, ShowProgressPumpsThenMovesTheBar) {
    int pumpsSeenBeforeMove = -1;
    view.onPump = [&] { pumpsSeenBeforeMove = static_cast<int>(view.progressHistory.size()); };
    form.ShowProgress(200, 1000);
    EXPECT_EQ(pumpsSeenBeforeMove, 0);
    EXPECT_EQ(view.progressMax, 1000);
    EXPECT_EQ(view.progressPosition, 200);
    form.HTTPRIO1HTTPWebNode1PostingData(32768, 65536);
    EXPECT_EQ(view.pumps, 1);  // posting data does not pump
    EXPECT_EQ(view.progressMax, 65536);
    EXPECT_EQ(view.progressPosition, 32768);
}

// A close that arrives while a run pumps messages stops the run at that pump
// and closes the window once the handler has unwound.
TEST_F(PageFlow, CloseDuringAPumpStopsTheRunThenCloses) {
    makeSageHome();
    create();
    next();
    chooseVersion(0);
    next();
    int stepsAfterClose = 0;
    view.onPump = [&] { form.RequestClose(); };
    form.Dispatch([&] {
        for (int i = 0; i < 5; ++i) {
            form.SageObj->OnProgress(i * 200, 1000);
            ++stepsAfterClose;
        }
    });
    EXPECT_EQ(stepsAfterClose, 0);
    EXPECT_TRUE(view.windowClosed);
    EXPECT_EQ(form.SageObj, nullptr);
    EXPECT_TRUE(view.errorReports.empty());
}

TEST_F(PageFlow, ErrorsAreReportedWithAFinalFullStop) {
    const std::pair<const char*, const char*> cases[] = {
        {"Disk full", "Disk full."},
        {"Sage Home Directory Has not been found.", "Sage Home Directory Has not been found."},
        {"ends in a blank ", "ends in a blank "},
        {"ends in a comma,", "ends in a comma,"},
        {"ends in a hyphen-", "ends in a hyphen-"},
        {"ends in a slash/", "ends in a slash/."},
        {"ends in a digit 5", "ends in a digit 5."},
        {"", ""},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(TfrmMain::ErrorReportText(text), shown) << text;
    }
    form.Dispatch([] { throw EAbort(); });
    EXPECT_TRUE(view.errorReports.empty());
    form.Dispatch([] { throw EInOutError(101); });
    EXPECT_EQ(view.errorReports, std::vector<std::string>{"Disk full."});
}

}  // namespace
}  // namespace quillmere
