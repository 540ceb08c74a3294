// Finish in the native window under Wine: the demo company read through
// Wine's ODBC from the Sage stand-in, the archive uploaded to the HTTPS
// stand-in on localhost, the window closed. The Sage home directory is where
// Sage keeps it on this Windows version; the log and the archive are beside
// the program (here a temporary directory). Also on the stand-in: Check...,
// the unsent archive offered at the next start, and the chart chooser.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Screenshot.h"
#include "WindowDriver.h"
#include "app/SendDecision.h"
#include "app/ufMain.h"
#include "sage/SageReader.h"
#include "support/TempDir.h"
#include "ui/win32/Resource.h"
#include "ui/win32/WideText.h"
#include "ui/win32/Win32WizardWindow.h"

namespace quillmere {
namespace {

using test::Click;
using test::FileText;
using test::SeenBox;
using test::TempDir;
using test::TextOf;
using test::WhenWindowShows;
namespace fs = std::filesystem;

const std::string FixtureDir = QUILLMERE_FINISH_DIR;

std::string Shot(const std::string& name) {
    std::filesystem::create_directories(QUILLMERE_SCREENSHOT_DIR);
    return std::string(QUILLMERE_SCREENSHOT_DIR) + "/" + name + ".png";
}

std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// One start of the wizard in `work`, as the program starts it, against the
// stand-ins of the fixture.
struct Wizard {
    std::unique_ptr<System> system;
    Win32WizardWindow window{false};
    TfrmMain form;

    explicit Wizard(const std::string& work)
        : system(CreateHostSystem(work)), form(window, *system) {
        const std::string port = FileText(FixtureDir + "/port");
        form.ServiceBase = "https://localhost:" + port.substr(0, port.find_first_of("\r\n"));
        form.HTTPRIO1.HTTPWebNode1.CAFile = FixtureDir + "/certs/ca.pem";
    }
    HWND control(const char* name) { return window.control(name); }

    // From the welcome page to the finish page: Sage 50 / Instant 2012,
    // whose home directory the fixture laid out, the demo company, logged
    // in as `user`. Buttons are clicked as a mouse does: focus, then click.
    void walkToFinishPage(const std::string& user) {
        press("cmdNext");
        test::ChooseComboEntry(control("cboVersion"), 11);
        press("cmdNext");
        ASSERT_EQ(window.text("HTMLabel3"), HomeDirFoundText) << form.HomeDir;
        press("cmdNext");
        ASSERT_EQ(window.activePage(), tabLogin);
        WhenWindowShows("Company Selection...", [](HWND chooser) {
            test::SelectListViewItem(GetDlgItem(chooser, IDC_GRDCOMPANY), 0);
            Click(GetDlgItem(chooser, IDOK));
        });
        press("cmdCompanySelect");
        EXPECT_EQ(TextOf(control("txtCompanySelect")), "Wren & Hollis Joinery Ltd");
        test::TypeText(control("txtUserID"), user);
        test::TypeText(control("txtPassword"), "letmein");
        press("cmdLogin");
        ASSERT_TRUE(form.LoggedIn);
        press("cmdNext");
        ASSERT_EQ(window.activePage(), tabOptions);
    }
    void press(const char* name) {
        SetFocus(control(name));
        Click(control(name));
    }
};

// Records and answers (OK) every message box while it lives.
struct EveryBox {
    std::vector<std::string> texts;
    std::function<void()> watch = [this] {
        WhenWindowShows(
            test::IsMessageBox,
            [this](HWND box) {
                texts.push_back(test::ReadMessageBox(box).text);
                Click(GetDlgItem(box, IDOK));
                watch();
            },
            nullptr, 600000);
    };
    EveryBox() { watch(); }
    ~EveryBox() { test::ClearWatches(); }
};

TEST(Win32Finish, FromTheWelcomePageToTheClosedWindowOnTheDemoCompany) {
    ASSERT_NE(FileText(FixtureDir + "/port"), "<missing>") << "the finish fixture has not started";
    TempDir work;
    Wizard w(work.path());
    w.window.start(w.form);
    // The demo company's books carry warnings: the one question is whether
    // to send, and the user sends.
    std::vector<std::string> question;
    test::AnswerSendQuestion(SendAnywayCaption, &question);
    EveryBox boxes;  // none is expected
    w.walkToFinishPage("manager");

    // The focus left the disabled Next for Finish, which Enter presses.
    EXPECT_EQ(GetFocus(), w.control("cmdFinish"));
    EXPECT_EQ(LOWORD(SendMessageW(w.window.handle(), DM_GETDEFID, 0, 0)), IDC_CMDFINISH);
    test::PressKey(w.window.handle(), VK_RETURN);
    EXPECT_EQ(boxes.texts, std::vector<std::string>{});
    bool asked = false;
    for (const std::string& text : question) {
        asked = asked || (text.rfind("The migration report found ", 0) == 0 &&
                          text.find(".report.html") != std::string::npos);
    }
    EXPECT_TRUE(asked) << testing::PrintToString(question);
    EXPECT_TRUE(w.form.Closed());
    EXPECT_FALSE(IsWindowVisible(w.window.handle()));
    // The import identifier counts the stand-in's imports, whichever test
    // of this fixture ran first.
    const std::string page = w.form.ServiceBase + "/processSageImport.asp?id=";
    const std::string address = w.window.text("txtURL");
    ASSERT_EQ(address.rfind(page, 0), 0u) << address;
    const std::string id = address.substr(page.size());
    const std::string status = w.window.text("txtStatus");
    EXPECT_NE(status.find("Getting sales ledger codes...."), std::string::npos) << status;

    // The service received the archive with the eight tables; nothing but
    // the log, the run's control totals and its migration report is left
    // beside the program (the archive, sent, is deleted).
    EXPECT_TRUE(fs::exists(FixtureDir + "/record/import-" + id + ".zip")) << id;
    const std::vector<std::string> left = FilesIn(work.path());
    ASSERT_EQ(left.size(), 4u) << testing::PrintToString(left);
    EXPECT_EQ(left[0], "WizardDebug.log");
    EXPECT_TRUE(left[1].ends_with(".report.html")) << left[1];
    EXPECT_TRUE(left[2].ends_with(".report.json")) << left[2];
    EXPECT_TRUE(left[3].ends_with(".summary.txt")) << left[3];
    EXPECT_NE(status.find("Migration report (0 errors, "), std::string::npos) << status;
    const std::string log = FileText(work / "WizardDebug.log");
    EXPECT_NE(log.find("Sent file to URL " + address + "\r\nWizard Finished\r\n"),
              std::string::npos)
        << log;
}

TEST(Win32Finish, CheckListsTheDataSourceLoginTablesAndWorkDirectoryAsTheyEnd) {
    TempDir work;
    Wizard w(work.path());
    w.window.start(w.form);
    EveryBox boxes;
    w.walkToFinishPage("manager");
    w.press("cmdBack");
    ASSERT_EQ(w.window.activePage(), tabLogin);
    w.window.setVisible("lblStatus", true);

    // Answered once the last line shows (the watch's timer runs while the
    // dialog handles its messages between the checks).
    std::string shown;
    WhenWindowShows(
        [](HWND d) {
            const std::string text = TextOf(GetDlgItem(d, IDC_TXTCHECKS));
            return TextOf(d) == "Check" && (text.find("Every check holds.") != std::string::npos ||
                                            text.find("checks FAILED") != std::string::npos);
        },
        [&](HWND dialog) {
            shown = TextOf(GetDlgItem(dialog, IDC_TXTCHECKS));
            test::SaveScreenshot(dialog, Shot("dialog-check"));
            test::PressKey(dialog, VK_ESCAPE);
        },
        nullptr, 120000);
    w.press("cmdCheck");
    EXPECT_TRUE(IsWindowEnabled(w.window.handle()));
    for (const std::string& line : std::vector<std::string>{
             "ok       ODBC data source: SageLine50v18 (Sage data sources: ",
             "ok       login: logged in to Wren & Hollis Joinery Ltd as manager, read-only\r\n",
             "ok       table Sales Ledger Codes.csv: ", "ok       table Receipts.csv: ",
             "ok       work directory: " + work.path(), "ok       service certificate: valid for",
             "\r\n\r\nEvery check holds."}) {
        EXPECT_NE(shown.find(line), std::string::npos) << line << "\n" << shown;
    }
    EXPECT_EQ(boxes.texts, std::vector<std::string>{});
    // Nothing was posted to the service, nothing written beside the program
    // but the log.
    EXPECT_EQ(FilesIn(work.path()), std::vector<std::string>{"WizardDebug.log"});
}

TEST(Win32Finish, ARefusedArchiveIsOfferedAtTheNextStartNoKeepsItYesSendsIt) {
    TempDir work;
    const std::string mode = FixtureDir + "/mode";
    {
        // The service refuses the upload: the archive stays.
        std::ofstream(mode) << "refuse\n";
        Wizard w(work.path());
        w.window.start(w.form);  // nothing to offer yet
        test::AnswerSendQuestion(SendAnywayCaption);
        EveryBox boxes;
        w.walkToFinishPage("manager");
        test::PressKey(w.window.handle(), VK_RETURN);
        fs::remove(mode);
        ASSERT_EQ(boxes.texts.size(), 1u);
        EXPECT_EQ(boxes.texts[0].rfind("Unable to send file, Please email ", 0), 0u);
        EXPECT_TRUE(w.form.Closed());
    }
    auto archives = [&] {
        std::vector<std::string> zips;
        for (const std::string& name : FilesIn(work.path())) {
            if (name.ends_with(".zip")) {
                zips.push_back(name);
            }
        }
        return zips;
    };
    ASSERT_EQ(archives().size(), 1u);
    const std::string archive = archives()[0];

    {
        // No: the window goes on with its Welcome page; the archive stays.
        Wizard w(work.path());
        SeenBox asked;
        test::AnswerMessageBox(&asked, IDNO, Shot("box-unsent-archive"));
        w.window.start(w.form);
        EXPECT_EQ(asked.title, "Confirm");
        EXPECT_EQ(asked.text.rfind("An export of Wren & Hollis Joinery Ltd from ", 0), 0u)
            << asked.text;
        EXPECT_TRUE(asked.text.ends_with(" was not sent. Send it now?")) << asked.text;
        EXPECT_EQ(asked.buttons, (std::vector<std::string>{"&Yes", "&No"}));
        EXPECT_FALSE(w.form.Closed());
        EXPECT_TRUE(IsWindowVisible(w.window.handle()));
        EXPECT_EQ(w.window.activePage(), tabIntro);
        EXPECT_EQ(archives(), std::vector<std::string>{archive});
    }
    {
        // Yes: sent, the archive deleted, the window closed.
        Wizard w(work.path());
        SeenBox asked;
        test::AnswerMessageBox(&asked, IDYES);  // armed first: it is served first
        EveryBox boxes;
        w.window.start(w.form);
        EXPECT_EQ(asked.title, "Confirm");
        EXPECT_EQ(boxes.texts, std::vector<std::string>{});
        EXPECT_TRUE(w.form.Closed());
        EXPECT_NE(w.window.text("txtURL").find("/processSageImport.asp?id="), std::string::npos);
        EXPECT_EQ(archives(), std::vector<std::string>{});
        const std::string log = FileText(work / "WizardDebug.log");
        EXPECT_NE(log.find("Wizard Finished"), std::string::npos) << log;
    }
}

TEST(Win32Finish, DontSendKeepsTheArchiveAndTheWindowSaysSoUntilCancel) {
    TempDir work;
    Wizard w(work.path());
    w.window.start(w.form);
    test::AnswerSendQuestion(KeepArchiveCaption);
    EveryBox boxes;
    w.walkToFinishPage("manager");
    test::PressKey(w.window.handle(), VK_RETURN);
    EXPECT_EQ(boxes.texts, std::vector<std::string>{});

    // The window stays, saying where the archive is kept; nothing was sent.
    EXPECT_FALSE(w.form.Closed());
    EXPECT_TRUE(IsWindowVisible(w.window.handle()));
    std::string archive;
    for (const std::string& name : FilesIn(work.path())) {
        if (name.ends_with(".zip")) {
            archive = name;
        }
    }
    ASSERT_FALSE(archive.empty()) << testing::PrintToString(FilesIn(work.path()));
    const std::string status = w.window.text("txtStatus");
    for (const std::string& line :
         std::vector<std::string>{"The archive was not sent.", "It is kept as ", archive,
                                  "It can be sent later: the wizard offers to send it when it "
                                  "next starts."}) {
        EXPECT_NE(status.find(line), std::string::npos) << line << "\n" << status;
    }
    EXPECT_EQ(status.find("Starting transfer of data"), std::string::npos) << status;
    EXPECT_FALSE(IsWindowEnabled(w.control("cmdFinish")));
    EXPECT_TRUE(IsWindowEnabled(w.control("cmdCancel")));
    EXPECT_NE(GetFocus(), nullptr);

    // Cancel closes it without a question.
    w.press("cmdCancel");
    EXPECT_EQ(boxes.texts, std::vector<std::string>{});
    EXPECT_TRUE(w.form.Closed());
    EXPECT_TRUE(fs::exists(work / archive));
}

TEST(Win32Finish, TheChartChooserIsShownAgainAfterNoChartWasPicked) {
    TempDir work;
    Wizard w(work.path());
    w.form.NoUpload = true;
    w.window.start(w.form);
    w.walkToFinishPage("two_charts");

    // OK with no chart highlighted: the message, then the finish page as
    // before Finish.
    std::vector<std::string> items;
    SeenBox report;
    WhenWindowShows("Select Chart of Accounts...", [&](HWND chooser) {
        HWND list = GetDlgItem(chooser, IDC_LSTCHART);
        const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t item[64] = {};
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item));
            items.push_back(Utf8(item));
        }
        test::AnswerMessageBox(&report, IDOK, Shot("box-no-chart"));
        Click(GetDlgItem(chooser, IDOK));
    });
    test::PressKey(w.window.handle(), VK_RETURN);
    EXPECT_EQ(items, (std::vector<std::string>{"1 - Standard", "2 - Charity"}));
    EXPECT_EQ(report.title, ApplicationTitle);
    EXPECT_EQ(report.text, "No chart of accounts was selected.");
    EXPECT_FALSE(w.form.Closed());
    EXPECT_TRUE(IsWindowEnabled(w.control("cmdFinish")));
    EXPECT_TRUE(IsWindowEnabled(w.control("cmdBack")));
    EXPECT_FALSE(IsWindowVisible(w.control("txtStatus")));
    EXPECT_NE(GetFocus(), w.control("cmdCancel"));
    EXPECT_EQ(FilesIn(work.path()), std::vector<std::string>{"WizardDebug.log"});

    // Finish again: the chooser again, and this time a chart.
    WhenWindowShows("Select Chart of Accounts...", [](HWND chooser) {
        SendMessageW(GetDlgItem(chooser, IDC_LSTCHART), LB_SETCURSEL, 1, 0);
        Click(GetDlgItem(chooser, IDOK));
    });
    EveryBox boxes;
    w.press("cmdFinish");
    EXPECT_EQ(boxes.texts, std::vector<std::string>{});
    EXPECT_TRUE(w.form.Closed());
    EXPECT_EQ(w.form.SageObj, nullptr);
    bool archived = false;
    for (const std::string& name : FilesIn(work.path())) {
        archived = archived || name.ends_with(".zip");
    }
    EXPECT_TRUE(archived) << testing::PrintToString(FilesIn(work.path()));
}

// The Sage driver's process ends in the middle of the export, as a crash
// ends it: the window says so in its error box, keeps nothing of the run
// and stays usable: Back, Login and Finish export the books.
TEST(Win32Finish, AReaderEndedInTheExportIsReportedAndBackLoginFinishExportAgain) {
    TempDir work;
    Wizard w(work.path());
    w.form.NoUpload = true;
    w.window.start(w.form);
    w.walkToFinishPage("manager");
    ASSERT_TRUE(w.form.SageObj && w.form.SageObj->Reader());
    const auto progress = w.form.SageObj->OnProgress;
    bool ended = false;
    w.form.SageObj->OnProgress = [&](int position, int maximum) {
        if (!ended) {
            ended = true;
            const auto id = static_cast<DWORD>(w.form.SageObj->Reader()->ProcessId());
            HANDLE reader = OpenProcess(PROCESS_TERMINATE, FALSE, id);
            EXPECT_NE(reader, nullptr);
            TerminateProcess(reader, 0xC0000005);
            CloseHandle(reader);
        }
        progress(position, maximum);
    };
    EveryBox boxes;
    w.press("cmdFinish");
    ASSERT_TRUE(ended);
    ASSERT_EQ(boxes.texts.size(), 1u) << testing::PrintToString(boxes.texts);
    EXPECT_EQ(boxes.texts[0].rfind("The Sage ODBC driver stopped unexpectedly while reading ", 0),
              0u)
        << boxes.texts[0];
    EXPECT_NE(boxes.texts[0].find("(exception code 0xC0000005 (access violation))"),
              std::string::npos)
        << boxes.texts[0];
    EXPECT_FALSE(w.form.Closed());
    EXPECT_TRUE(IsWindowVisible(w.window.handle()));
    EXPECT_TRUE(IsWindowEnabled(w.control("cmdBack")));
    EXPECT_EQ(FilesIn(work.path()), std::vector<std::string>{"WizardDebug.log"});
    EXPECT_NE(FileText(work / "WizardDebug.log")
                  .find("Failed: The Sage ODBC driver stopped unexpectedly while reading "),
              std::string::npos);

    // Back to the login page, Login (a new reader), Next and Finish.
    w.form.SageObj->OnProgress = progress;
    w.press("cmdBack");
    ASSERT_EQ(w.window.activePage(), tabLogin);
    w.press("cmdLogin");
    ASSERT_TRUE(w.form.LoggedIn);
    w.press("cmdNext");
    ASSERT_EQ(w.window.activePage(), tabOptions);
    w.press("cmdFinish");
    EXPECT_EQ(boxes.texts.size(), 1u) << testing::PrintToString(boxes.texts);
    EXPECT_TRUE(w.form.Closed());
    bool archived = false;
    for (const std::string& name : FilesIn(work.path())) {
        archived = archived || name.ends_with(".zip");
    }
    EXPECT_TRUE(archived) << testing::PrintToString(FilesIn(work.path()));
}

}  // namespace
}  // namespace quillmere
