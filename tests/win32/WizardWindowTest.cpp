// The native window under Wine on a virtual display, driven by the window
// messages a user's clicks, keys and texts send; modal boxes and choosers are
// answered the same way. Each page and dialog is saved as a picture in the
// build tree.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "Screenshot.h"
#include "WindowDriver.h"
#include "app/SendDecision.h"
#include "app/VersionEntries.h"
#include "app/ufMain.h"
#include "support/FakeSystem.h"
#include "support/TempDir.h"
#include "ui/win32/PreflightDialog.h"
#include "ui/win32/Resource.h"
#include "ui/win32/WideText.h"
#include "ui/win32/Win32WizardWindow.h"

namespace quillmere {
namespace {

using test::AnswerMessageBox;
using test::ChildStartingWith;
using test::Click;
using test::FakeSystem;
using test::FileText;
using test::SeenBox;
using test::TempDir;
using test::TextOf;
using test::WhenWindowShows;

std::string Shot(const std::string& name) {
    std::filesystem::create_directories(QUILLMERE_SCREENSHOT_DIR);
    return std::string(QUILLMERE_SCREENSHOT_DIR) + "/" + name + ".png";
}

// A SETUP.DTA that holds the company's name at byte 3, blank padded.
std::string SetupDta(const std::string& name) {
    std::string bytes = "\x01\x02\x03" + name;
    bytes.resize(3 + 60, ' ');
    return bytes + std::string(40, '\0');
}

const char* const PageNames[] = {"tabIntro", "tabVersion", "tabLocate", "tabLogin", "tabOptions"};

class Win32Window : public ::testing::Test {
  protected:
    TempDir exeDir;
    FakeSystem system{exeDir.path()};
    Win32WizardWindow window{false};
    TfrmMain form{window, system};

    void open() {
        window.attach(&form);
        form.Dispatch(&TfrmMain::FormCreate);
        window.show();
        test::PumpMessages();
    }
    HWND control(const char* name) { return window.control(name); }
    bool shows(const char* name) { return IsWindowVisible(control(name)) != FALSE; }
    bool enabled(const char* name) { return IsWindowEnabled(control(name)) != FALSE; }
    // The one page on screen, -1 when not exactly one shows.
    int pageShown() {
        int shown = -1;
        for (int i = 0; i < 5; ++i) {
            if (shows(PageNames[i])) {
                if (shown >= 0) {
                    return -1;
                }
                shown = i;
            }
        }
        return shown;
    }
    void shoot(const std::string& name) {
        test::PumpMessages();
        EXPECT_TRUE(test::SaveScreenshot(window.handle(), Shot(name))) << name;
    }
    // Clicks Next expecting a refusal: the box's text, the page unchanged.
    void expectNextRefused(const std::string& text, const std::string& shot) {
        const int before = pageShown();
        SeenBox seen;
        AnswerMessageBox(&seen, IDOK, Shot(shot));
        Click(control("cmdNext"));
        EXPECT_EQ(seen.title, "Error");
        EXPECT_EQ(seen.text, text);
        EXPECT_EQ(seen.icon, "error");
        EXPECT_EQ(pageShown(), before);
    }
};

TEST_F(Win32Window, WalksEveryPageByItsControls) {
    // A Sage home directory with two companies, and a drive that holds it
    // and an old, empty installation.
    TempDir disk;
    const std::string home = disk.mkdir("Sage\\Accounts");
    disk.write("Old\\Accounts\\COMPANY", "");
    const std::string acme = disk.mkdir("Sage\\Accounts\\ACME");
    const std::string wren = disk.mkdir("Sage\\Accounts\\WREN");
    disk.write("Sage\\Accounts\\COMPANY", acme + "\r\n" + wren + "\r\n");
    disk.write("Sage\\Accounts\\ACME\\ACCDATA\\SETUP.DTA", SetupDta("Acme Trading Ltd"));
    disk.write("Sage\\Accounts\\WREN\\ACCDATA\\SETUP.DTA", SetupDta("Wren & Hollis Joinery Ltd"));
    system.windows = true;
    system.drives = {{disk.path(), DriveType::Fixed}, {"Q:\\", DriveType::Remote}};
    open();

    // The window: caption, fixed size, centred, its starting state.
    HWND main = window.handle();
    EXPECT_EQ(TextOf(main), "Quillmere Export Wizard (Ver:2.0.8.1)");
    const LONG style = GetWindowLongW(main, GWL_STYLE);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(style & WS_SYSMENU);
    RECT r, work;
    GetWindowRect(main, &r);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((r.left + r.right) / 2, (work.left + work.right) / 2, 2);
    EXPECT_NEAR((r.top + r.bottom) / 2, (work.top + work.bottom) / 2, 2);
    EXPECT_EQ(LOWORD(SendMessageW(main, DM_GETDEFID, 0, 0)), IDC_CMDNEXT);
    EXPECT_EQ(pageShown(), tabIntro);
    EXPECT_FALSE(enabled("cmdBack"));
    EXPECT_FALSE(enabled("cmdFinish"));
    EXPECT_TRUE(enabled("cmdNext"));
    EXPECT_TRUE(enabled("cmdCancel"));
    for (const char* hidden : {"cmdBrowse", "chkDrives", "cmdScan", "lblScan", "lblStatus",
                               "lblURLHelp", "txtURL", "txtStatus", "pbMain"}) {
        EXPECT_FALSE(window.isVisible(hidden)) << hidden;
    }
    HWND versions = control("cboVersion");
    EXPECT_EQ(SendMessageW(versions, CB_GETCOUNT, 0, 0),
              static_cast<LRESULT>(VersionEntries.size()));
    EXPECT_EQ(SendMessageW(versions, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(GetWindowLongW(versions, GWL_STYLE) & 3, CBS_DROPDOWNLIST);  // pick only
    EXPECT_EQ(SendMessageW(control("txtPassword"), EM_GETPASSWORDCHAR, 0, 0), L'*');
    EXPECT_EQ(TextOf(control("txtCompanySelect")), "Please click '...' button to select company");
    EXPECT_EQ(TextOf(control("Label1")), "Welcome to the Quillmere Export Wizard");
    shoot("page-0-welcome");

    // Enter presses Next.
    test::PressKey(main, VK_RETURN);
    EXPECT_EQ(pageShown(), tabVersion);
    EXPECT_TRUE(enabled("cmdBack"));
    EXPECT_NE(FileText(exeDir / "WizardDebug.log").find("Wizard Started at 09/12/25 14:05:33\r\n"),
              std::string::npos);
    expectNextRefused("Must select which version of Sage you are using", "box-no-version");

    test::ChooseComboEntry(versions, 11);
    EXPECT_EQ(form.VersionNo, 18);
    shoot("page-1-version");
    SetFocus(versions);
    test::PressKey(main, VK_RETURN);  // Enter on the list presses Next too
    ASSERT_EQ(pageShown(), tabLocate);

    // Not found at the version's default: Browse, the drives and Scan.
    EXPECT_EQ(window.text("HTMLabel3"), HomeDirNotFoundText);
    for (const char* shown : {"cmdBrowse", "chkDrives", "cmdScan"}) {
        EXPECT_TRUE(shows(shown)) << shown;
    }
    EXPECT_FALSE(shows("lblScan"));
    ASSERT_EQ(window.driveCount(), 2);
    EXPECT_EQ(window.driveText(0), disk.path());
    EXPECT_EQ(window.driveText(1), "Q:\\");
    EXPECT_FALSE(window.driveChecked(0));
    // The list shows where the keyboard is as soon as it has the focus.
    HWND driveList = control("chkDrives");
    EXPECT_EQ(ListView_GetNextItem(driveList, -1, LVNI_FOCUSED), -1);
    SetFocus(driveList);
    EXPECT_EQ(ListView_GetNextItem(driveList, -1, LVNI_FOCUSED), 0);
    EXPECT_FALSE(window.driveChecked(0));
    shoot("page-2-locate");
    expectNextRefused("Sage Home Directory Has not been found.", "box-not-found");

    // Browse: the folder browser, modal to the window, with its prompt. OK
    // takes the folder it shows (Wine's browser always starts at the
    // desktop: the start folder that Windows honours cannot be checked
    // here); the desktop holds no COMPANY file, so no message follows.
    auto isBrowser = [](HWND w) {
        for (const std::string& t : test::ChildTexts(w)) {
            if (t == "Please select directory where COMPANY file is located") {
                return true;
            }
        }
        return false;
    };
    HWND browserOwner = nullptr;
    WhenWindowShows(isBrowser, [&](HWND browser) {
        browserOwner = GetWindow(browser, GW_OWNER);
        test::SaveScreenshot(browser, Shot("dialog-browse"));
        Click(GetDlgItem(browser, IDOK));
    });
    Click(control("cmdBrowse"));
    EXPECT_TRUE(test::AllWatchesServed());
    EXPECT_EQ(browserOwner, main);
    EXPECT_FALSE(form.HomeDir.empty());
    EXPECT_TRUE(std::filesystem::is_directory(form.HomeDir)) << form.HomeDir;
    EXPECT_FALSE(form.HomeDirFound);

    SeenBox cancelled;
    WhenWindowShows(isBrowser, [](HWND browser) { Click(GetDlgItem(browser, IDCANCEL)); });
    AnswerMessageBox(&cancelled, IDOK);
    Click(control("cmdBrowse"));
    EXPECT_EQ(cancelled.title, "Warning");
    EXPECT_EQ(cancelled.text, "No Directory Selected!");
    EXPECT_EQ(cancelled.icon, "warning");

    // Scan the ticked drive: two installations, the chooser picks one.
    test::SetItemChecked(control("chkDrives"), 0, true);
    EXPECT_TRUE(window.driveChecked(0));
    std::vector<std::string> listed;
    WhenWindowShows("Select Directory", [&](HWND chooser) {
        HWND list = GetDlgItem(chooser, IDC_LISTBOX1);
        const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
        int pick = -1;
        for (int i = 0; i < count; ++i) {
            wchar_t item[MAX_PATH] = {};
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item));
            listed.push_back(Utf8(item));
            if (listed.back() == home + "\\") {
                pick = i;
            }
        }
        EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
        test::SaveScreenshot(chooser, Shot("dialog-select-directory"));
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(pick), 0);
        Click(GetDlgItem(chooser, IDOK));
    });
    SeenBox located;
    AnswerMessageBox(&located, IDOK, Shot("box-located"));
    SetFocus(control("cmdScan"));  // as a click gives it
    Click(control("cmdScan"));
    // Scan, disabled while it ran, handed the focus to Next, not Cancel:
    // Enter now goes on.
    EXPECT_EQ(GetFocus(), control("cmdNext"));
    EXPECT_EQ(listed.size(), 2u);
    EXPECT_EQ(located.title, "Information");
    EXPECT_EQ(located.text, "Sage Home Directory has now been located");
    EXPECT_EQ(located.icon, "information");
    EXPECT_EQ(form.HomeDir, home);
    EXPECT_TRUE(form.HomeDirFound);
    EXPECT_TRUE(enabled("cmdScan"));
    EXPECT_FALSE(shows("lblScan"));

    Click(control("cmdNext"));
    ASSERT_EQ(pageShown(), tabLogin);
    shoot("page-3-login");

    // Tab walks the page from top to bottom, then the enabled buttons.
    std::vector<std::string> tabOrder;
    HWND at = control("txtCompanySelect");
    for (int i = 0; i < 9; ++i) {
        for (const char* name :
             {"txtCompanySelect", "cmdCompanySelect", "txtUserID", "txtPassword", "cmdLogin",
              "cmdCheck", "cmdCancel", "cmdBack", "cmdNext", "cmdFinish"}) {
            if (control(name) == at) {
                tabOrder.push_back(name);
            }
        }
        at = GetNextDlgTabItem(main, at, FALSE);
    }
    EXPECT_EQ(tabOrder, (std::vector<std::string>{"txtCompanySelect", "cmdCompanySelect",
                                                  "txtUserID", "txtPassword", "cmdLogin",
                                                  "cmdCheck", "cmdCancel", "cmdBack", "cmdNext"}));
    EXPECT_EQ(TextOf(control("cmdCheck")), "Check...");

    // "...": the company chooser; the second company is taken.
    WhenWindowShows("Company Selection...", [&](HWND chooser) {
        HWND grid = GetDlgItem(chooser, IDC_GRDCOMPANY);
        EXPECT_EQ(ListView_GetItemCount(grid), 4);  // two companies, two empty rows
        test::SelectListViewItem(grid, 1);
        test::SaveScreenshot(chooser, Shot("dialog-company-selection"));
        Click(GetDlgItem(chooser, IDOK));
    });
    Click(control("cmdCompanySelect"));
    EXPECT_EQ(TextOf(control("txtCompanySelect")), "Wren & Hollis Joinery Ltd");
    EXPECT_EQ(form.CompanyPath, wren + "\\ACCDATA");
    expectNextRefused("Must Connect to Sage first", "box-not-logged-in");

    // A login whose data source is not set up here says so, and no word
    // of the password.
    test::TypeText(control("txtUserID"), "manager");
    test::TypeText(control("txtPassword"), "letmein");
    EXPECT_EQ(window.text("txtPassword"), "letmein");
    SeenBox failed;
    AnswerMessageBox(&failed, IDOK, Shot("box-login-no-data-source"));
    Click(control("cmdLogin"));
    const std::string loginFailed =
        "An error occurred logging in\r\nThe ODBC data source SageLine50v18 is not set up on "
        "this computer.\r\n";
    EXPECT_EQ(failed.text.substr(0, loginFailed.size()), loginFailed) << failed.text;
    EXPECT_EQ(failed.text.find("password"), std::string::npos) << failed.text;
    EXPECT_FALSE(form.LoggedIn);
    EXPECT_FALSE(shows("lblStatus"));

    // The login itself runs against the Sage stand-in elsewhere; here the
    // page flow is told it succeeded.
    form.LoggedIn = true;
    window.setVisible("lblStatus", true);
    shoot("page-3-logged-in");
    SetFocus(control("cmdNext"));
    Click(control("cmdNext"));
    ASSERT_EQ(pageShown(), tabOptions);
    EXPECT_FALSE(enabled("cmdNext"));
    EXPECT_TRUE(enabled("cmdFinish"));
    // The focus left the disabled Next for Finish, which is also the button
    // Enter presses: never Cancel.
    EXPECT_EQ(GetFocus(), control("cmdFinish"));
    EXPECT_EQ(LOWORD(SendMessageW(main, DM_GETDEFID, 0, 0)), IDC_CMDFINISH);
    shoot("page-4-finish");

    SetFocus(control("cmdBack"));
    Click(control("cmdBack"));
    EXPECT_EQ(pageShown(), tabLogin);
    EXPECT_TRUE(enabled("cmdNext"));
    EXPECT_FALSE(enabled("cmdFinish"));
    EXPECT_EQ(LOWORD(SendMessageW(main, DM_GETDEFID, 0, 0)), IDC_CMDNEXT);

    // Escape presses Cancel; No keeps everything.
    SeenBox confirm;
    AnswerMessageBox(&confirm, IDNO, Shot("box-confirm-cancel"));
    test::PressKey(main, VK_ESCAPE);
    EXPECT_EQ(confirm.title, "Confirm");
    EXPECT_EQ(confirm.text, "Are you sure you wish to cancel?");
    EXPECT_EQ(confirm.icon, "question");
    EXPECT_EQ(confirm.buttons, (std::vector<std::string>{"&Yes", "&No"}));
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_FALSE(form.Closed());
    EXPECT_NE(form.SageObj, nullptr);

    AnswerMessageBox(nullptr, IDYES);
    Click(control("cmdCancel"));
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_TRUE(form.Closed());
    EXPECT_EQ(form.SageObj, nullptr);
    EXPECT_TRUE(test::AllWatchesServed());
}

TEST_F(Win32Window, CloseBoxClosesWithoutAsking) {
    open();
    Click(control("cmdNext"));
    test::ChooseComboEntry(control("cboVersion"), 0);
    Click(control("cmdNext"));
    ASSERT_NE(form.SageObj, nullptr);
    // Any box would stay unanswered and the time limit would end the test.
    SendMessageW(window.handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindowVisible(window.handle()));
    EXPECT_TRUE(form.Closed());
    EXPECT_EQ(form.SageObj, nullptr);
}

TEST_F(Win32Window, Timer1BlinksTheScanLabelWhileMessagesArePumped) {
    open();
    ASSERT_FALSE(window.isVisible("lblScan"));
    window.setTimerEnabled(true);
    const DWORD start = GetTickCount();
    while (!window.isVisible("lblScan") && GetTickCount() - start < 3000) {
        window.processMessages();
        Sleep(20);
    }
    EXPECT_TRUE(window.isVisible("lblScan"));
    const DWORD shown = GetTickCount();
    EXPECT_GE(shown - start, 900u);  // the first tick, about a second in
    while (window.isVisible("lblScan") && GetTickCount() - shown < 3000) {
        window.processMessages();
        Sleep(20);
    }
    EXPECT_FALSE(window.isVisible("lblScan"));
    window.setTimerEnabled(false);
}

struct BoxCase {
    MsgType type;
    MsgButtons buttons;
    const char* text;
    int press;
    const char* title;
    const char* icon;
    std::vector<std::string> buttonTexts;
    const char* shownText;
    MsgResult result;
};

TEST_F(Win32Window, MessageBoxesCarryTheirTypesTitleIconAndButtons) {
    const BoxCase cases[] = {
        {MsgType::Warning,
         MsgButtons::OK,
         "No Directory Selected!",
         IDOK,
         "Warning",
         "warning",
         {"OK"},
         "No Directory Selected!",
         MsgResult::OK},
        {MsgType::Error,
         MsgButtons::OK,
         "No Sage Directory Found!",
         IDOK,
         "Error",
         "error",
         {"OK"},
         "No Sage Directory Found!",
         MsgResult::OK},
        {MsgType::Information,
         MsgButtons::OK,
         "Sage Home Directory has now been located",
         IDOK,
         "Information",
         "information",
         {"OK"},
         "Sage Home Directory has now been located",
         MsgResult::OK},
        {MsgType::Confirmation,
         MsgButtons::YesNo,
         "Are you sure you wish to cancel?",
         IDYES,
         "Confirm",
         "question",
         {"&Yes", "&No"},
         "Are you sure you wish to cancel?",
         MsgResult::Yes},
        {MsgType::Confirmation,
         MsgButtons::YesNo,
         "Are you sure you wish to cancel?",
         IDNO,
         "Confirm",
         "question",
         {"&Yes", "&No"},
         "Are you sure you wish to cancel?",
         MsgResult::No},
        // Lines broken by CR alone, or by LF, show as lines.
        {MsgType::Error,
         MsgButtons::OK,
         "Unable to locate the directory where Sage has been installed\rYou will now be able to "
         "select where Sage is installed\nThis is typically C:\\Program Files\\Sage\\Accounts",
         IDOK,
         "Error",
         "error",
         {"OK"},
         "Unable to locate the directory where Sage has been installed\r\nYou will now be able to "
         "select where Sage is installed\r\nThis is typically C:\\Program Files\\Sage\\Accounts",
         MsgResult::OK},
    };
    open();
    for (const BoxCase& c : cases) {
        SCOPED_TRACE(c.text);
        SeenBox seen;
        HWND owner = nullptr;
        WhenWindowShows(test::IsMessageBox, [&](HWND box) {
            owner = GetWindow(box, GW_OWNER);
            seen = test::ReadMessageBox(box);
            Click(GetDlgItem(box, c.press));
        });
        EXPECT_EQ(window.messageBox(c.text, c.type, c.buttons), c.result);
        EXPECT_EQ(owner, window.handle());  // modal to the wizard
        EXPECT_EQ(seen.title, c.title);
        EXPECT_EQ(seen.icon, c.icon);
        EXPECT_EQ(seen.buttons, c.buttonTexts);
        EXPECT_EQ(seen.text, c.shownText);
    }

    // The general error report: the application's title, the error icon, OK.
    SeenBox report;
    AnswerMessageBox(&report, IDOK, Shot("box-error-report"));
    window.errorReport(ApplicationTitle, "File not found.");
    EXPECT_EQ(report.title, "Export Wizard for Sage Line 50");
    EXPECT_EQ(report.text, "File not found.");
    EXPECT_EQ(report.icon, "error");
    EXPECT_EQ(report.buttons, std::vector<std::string>{"OK"});
}

TEST_F(Win32Window, CompanyChooserShowsNameAndDirectoryColumnsAndTakesADoubleClickedRow) {
    open();
    std::vector<std::pair<std::string, std::string>> six;
    for (int i = 1; i <= 6; ++i) {
        six.emplace_back("Company " + std::to_string(i),
                         "C:\\Sage\\Co" + std::to_string(i) + "\\ACCDATA");
    }
    WhenWindowShows("Company Selection...", [](HWND chooser) {
        HWND grid = GetDlgItem(chooser, IDC_GRDCOMPANY);
        EXPECT_EQ(ListView_GetItemCount(grid), 6);
        EXPECT_EQ(ListView_GetNextItem(grid, -1, LVNI_SELECTED), 0);  // the first row
        HWND header = ListView_GetHeader(grid);
        EXPECT_EQ(Header_GetItemCount(header), 2);
        wchar_t title[32] = {};
        HDITEMW item{};
        item.mask = HDI_TEXT;
        item.pszText = title;
        item.cchTextMax = 32;
        Header_GetItem(header, 0, &item);
        EXPECT_EQ(Utf8(title), "Name");
        Header_GetItem(header, 1, &item);
        EXPECT_EQ(Utf8(title), "Directory");
        EXPECT_EQ(ListView_GetColumnWidth(grid, 0), 116);
        EXPECT_EQ(ListView_GetColumnWidth(grid, 1), 361);
        // The user can widen a column: the header allows it.
        EXPECT_FALSE(GetWindowLongW(header, GWL_STYLE) & HDS_NOSIZING);
        ListView_SetColumnWidth(grid, 1, 420);
        EXPECT_EQ(ListView_GetColumnWidth(grid, 1), 420);
        wchar_t cell[MAX_PATH] = {};
        ListView_GetItemText(grid, 3, 1, cell, MAX_PATH);
        EXPECT_EQ(Utf8(cell), "C:\\Sage\\Co4\\ACCDATA");
        // A double click on the fourth row confirms it.
        RECT row{};
        ListView_GetItemRect(grid, 3, &row, LVIR_LABEL);
        const LPARAM at = MAKELPARAM(row.left + 4, (row.top + row.bottom) / 2);
        SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(grid, WM_LBUTTONUP, 0, at);
        SendMessageW(grid, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        SendMessageW(grid, WM_LBUTTONUP, 0, at);
    });
    EXPECT_EQ(window.chooseCompany(six), std::optional<int>(4));

    // Cancel chooses nothing; two companies still show four rows.
    WhenWindowShows("Company Selection...", [](HWND chooser) {
        EXPECT_EQ(ListView_GetItemCount(GetDlgItem(chooser, IDC_GRDCOMPANY)), 4);
        Click(GetDlgItem(chooser, IDCANCEL));
    });
    EXPECT_EQ(window.chooseCompany({six[0], six[1]}), std::nullopt);
    EXPECT_TRUE(test::AllWatchesServed());
}

TEST_F(Win32Window, DirectoryChooserIsResizableAndItsCloseBoxChoosesNothing) {
    open();
    const std::vector<std::string> dirs = {"C:\\A\\", "D:\\B\\", "E:\\C\\"};
    WhenWindowShows("Select Directory", [](HWND chooser) {
        EXPECT_TRUE(GetWindowLongW(chooser, GWL_STYLE) & WS_THICKFRAME);
        HWND list = GetDlgItem(chooser, IDC_LISTBOX1);
        EXPECT_EQ(TextOf(GetDlgItem(chooser, IDC_PANEL2)),
                  "More than one directory found please specify which one");
        EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
        EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
        // Wider and taller: the list takes the new room, OK stays at the
        // lower right.
        RECT before, after, window, ok;
        GetWindowRect(list, &before);
        GetWindowRect(chooser, &window);
        SetWindowPos(chooser, nullptr, 0, 0, window.right - window.left + 100,
                     window.bottom - window.top + 60, SWP_NOMOVE | SWP_NOZORDER);
        GetWindowRect(list, &after);
        GetWindowRect(GetDlgItem(chooser, IDOK), &ok);
        GetWindowRect(chooser, &window);
        EXPECT_EQ(after.right - after.left, before.right - before.left + 100);
        EXPECT_EQ(after.bottom - after.top, before.bottom - before.top + 60);
        EXPECT_LT(window.right - ok.right, 30);
        SendMessageW(chooser, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(window.chooseDirectory(dirs), std::nullopt);

    // Enter takes the selected entry.
    WhenWindowShows("Select Directory", [&](HWND chooser) {
        HWND list = GetDlgItem(chooser, IDC_LISTBOX1);
        SendMessageW(list, LB_SETCURSEL, 2, 0);
        SetFocus(list);
        PostMessageW(list, WM_KEYDOWN, VK_RETURN, 1);
    });
    EXPECT_EQ(window.chooseDirectory(dirs), std::optional<int>(2));
    EXPECT_TRUE(test::AllWatchesServed());
}

TEST_F(Win32Window, ChartChooserAnswersTheHighlightedChartHoweverItCloses) {
    open();
    const std::vector<std::string> charts = {"1 - Standard", "2 - Manufacturing"};
    WhenWindowShows("Select Chart of Accounts...", [](HWND chooser) {
        EXPECT_EQ(TextOf(GetDlgItem(chooser, IDC_CHARTLABEL1)),
                  "More than one chart of accounts has been found, please select \r\nwhich one "
                  "to use:");
        HWND list = GetDlgItem(chooser, IDC_LSTCHART);
        EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);  // none highlighted
        EXPECT_EQ(GetDlgItem(chooser, IDCANCEL), nullptr);          // no Cancel button
        test::SaveScreenshot(chooser, Shot("dialog-chart-select"));
        SendMessageW(chooser, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(window.chooseChart(charts), -1);

    WhenWindowShows("Select Chart of Accounts...", [](HWND chooser) {
        SendMessageW(GetDlgItem(chooser, IDC_LSTCHART), LB_SETCURSEL, 1, 0);
        SendMessageW(chooser, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ(window.chooseChart(charts), 1);

    WhenWindowShows("Select Chart of Accounts...", [](HWND chooser) {
        SendMessageW(GetDlgItem(chooser, IDC_LSTCHART), LB_SETCURSEL, 0, 0);
        Click(GetDlgItem(chooser, IDOK));
    });
    EXPECT_EQ(window.chooseChart(charts), 0);
    EXPECT_TRUE(test::AllWatchesServed());
}

TEST_F(Win32Window, ALogThatCannotBeWrittenIsNamedInTheReport) {
    exeDir.mkdir("WizardDebug.log");  // a directory where the log should be
    std::vector<std::string> reports;
    std::function<void()> watch = [&] {
        WhenWindowShows(test::IsMessageBox, [&](HWND box) {
            reports.push_back(test::ReadMessageBox(box).text);
            Click(GetDlgItem(box, IDOK));
            watch();
        });
    };
    watch();
    open();                     // the start-up line of the log
    Click(control("cmdNext"));  // the Welcome page's line
    test::ClearWatches();
    const std::string denied = "File access denied (" + (exeDir / "WizardDebug.log") + ")";
    EXPECT_EQ(reports, (std::vector<std::string>{denied, denied}));
    EXPECT_EQ(pageShown(), tabIntro);
}

// Check...: the checklist in a dialog of its own, modal to the window. The
// checks here find no data source and no company (a run on the Sage
// stand-in is in the Finish tests); the service address refuses at once.
TEST_F(Win32Window, CheckShowsEachLineAndEscapeEndsItAtAnyTime) {
    form.ServiceBase = "https://127.0.0.1:1";
    open();
    // The dialog is answered once its last line shows: the dialog handled
    // its messages (this watch's timer among them) while the checks ran.
    std::string shown;
    bool windowDisabled = false;
    WhenWindowShows(
        [](HWND w) {
            return TextOf(w) == "Check" &&
                   TextOf(GetDlgItem(w, IDC_TXTCHECKS)).find("checks FAILED") != std::string::npos;
        },
        [&](HWND dialog) {
            windowDisabled = !IsWindowEnabled(window.handle());
            shown = TextOf(GetDlgItem(dialog, IDC_TXTCHECKS));
            test::PressKey(dialog, VK_ESCAPE);
        },
        nullptr, 60000);
    Click(control("cmdCheck"));
    EXPECT_TRUE(test::AllWatchesServed());
    EXPECT_TRUE(windowDisabled);
    for (const std::string& line : std::vector<std::string>{
             "FAILED   ODBC data source: ", "FAILED   Sage home directory: ",
             "skipped  login: no user given", "skipped  tables: they are counted after a login",
             "ok       work directory: " + exeDir.path(),
             "FAILED   service connection: https://127.0.0.1:1 cannot be reached",
             "\r\n\r\nSome checks FAILED: see what to do above."}) {
        EXPECT_NE(shown.find(line), std::string::npos) << line << "\n" << shown;
    }

    // Escape as soon as it shows, before the checks end: the dialog goes at
    // once and the window answers again; no later check runs.
    bool goneAtOnce = false;
    WhenWindowShows("Check", [&](HWND dialog) {
        test::PressKey(dialog, VK_ESCAPE);
        goneAtOnce = !IsWindowVisible(dialog) && IsWindowEnabled(window.handle());
    });
    Click(control("cmdCheck"));
    EXPECT_TRUE(test::AllWatchesServed());
    EXPECT_TRUE(goneAtOnce);
    EXPECT_TRUE(IsWindowEnabled(window.handle()));
    EXPECT_FALSE(form.Closed());
}

// What the screen shows in `r` (screen coordinates) as the count of dark
// pixels: text drawn there, or none. Read after a short wait, as Wine hands
// what was painted to the display when the thread waits; nothing is
// invalidated, so only what the program itself painted shows.
int DarkPixels(RECT r) {
    MsgWaitForMultipleObjectsEx(0, nullptr, 150, 0, 0);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    int dark = -1;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY)) {
            GdiFlush();
            dark = 0;
            const auto* pixel = static_cast<const unsigned char*>(bits);
            for (int i = 0; i < width * height; ++i, pixel += 4) {
                dark += pixel[0] < 0x80 && pixel[1] < 0x80 && pixel[2] < 0x80;
            }
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return dark;
}

RECT ScreenRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// The line that says the program waits for the Sage driver: under the page
// on every page, painted by the pump of the loop that waits, gone with the
// empty text; the window and its controls do not move.
TEST_F(Win32Window, TheWaitingLineShowsUnderEveryPageAndGoesWithTheEmptyText) {
    open();
    HWND line = control("lblWaiting");
    EXPECT_FALSE(shows("lblWaiting"));
    const RECT windowBefore = ScreenRect(window.handle());
    const RECT nextBefore = ScreenRect(control("cmdNext"));
    const RECT lineRect = ScreenRect(line);
    EXPECT_EQ(DarkPixels(lineRect), 0);

    // The finish page as an export run leaves it: the status memo and the
    // progress bar show, the bar lowest on the page.
    window.setVisible("txtStatus", true);
    window.setVisible("pbMain", true);
    window.addStatusLine("Getting sales ledger transactions....");
    for (int i = 0; i < 5; ++i) {
        const std::string text =
            "Waiting for the Sage ODBC driver (reading Sales Ledger Transactions): " +
            std::to_string(3 + i * 40) + " s";
        window.setActivePage(i);
        window.setWaitingText(text);
        window.processMessages();
        EXPECT_TRUE(IsWindowVisible(line)) << PageNames[i];
        EXPECT_EQ(window.text("lblWaiting"), text);
        EXPECT_GT(DarkPixels(lineRect), 0) << PageNames[i];
        // Beside the page, not on it: nothing of the page hides it, nor
        // does it hide anything of the page.
        const RECT page = ScreenRect(control(PageNames[i]));
        EXPECT_LE(page.bottom, lineRect.top) << PageNames[i];
        EXPECT_LT(lineRect.bottom, nextBefore.top) << PageNames[i];
    }
    EXPECT_LE(ScreenRect(control("pbMain")).bottom, lineRect.top);
    shoot("waiting-line");

    window.setWaitingText("");
    window.processMessages();
    EXPECT_FALSE(shows("lblWaiting"));
    EXPECT_EQ(DarkPixels(lineRect), 0);
    const RECT windowAfter = ScreenRect(window.handle());
    EXPECT_TRUE(EqualRect(&windowBefore, &windowAfter));
    const RECT nextAfter = ScreenRect(control("cmdNext"));
    EXPECT_TRUE(EqualRect(&nextBefore, &nextAfter));
}

// The "Check..." dialog shows the line itself while the window is behind it.
TEST_F(Win32Window, TheCheckDialogShowsTheWaitingLineBesideClose) {
    form.ServiceBase = "https://127.0.0.1:1";
    open();
    const std::string text = "Waiting for the Sage ODBC driver (counting Nominal Ledger): 7 s";
    bool shown = false, painted = false, hidden = false, cleared = false;
    std::string lineText;
    WhenWindowShows("Check", [&](HWND dialog) {
        HWND line = GetDlgItem(dialog, IDC_CHECKWAITING);
        shown = !IsWindowVisible(line);  // hidden until a wait
        PreflightDialog::ShowWaitingText(dialog, text);
        shown = shown && IsWindowVisible(line);
        lineText = TextOf(line);
        painted = DarkPixels(ScreenRect(line)) > 0;
        EXPECT_TRUE(test::SaveScreenshot(dialog, Shot("dialog-check-waiting")));
        PreflightDialog::ShowWaitingText(dialog, "");
        hidden = !IsWindowVisible(line);
        cleared = DarkPixels(ScreenRect(line)) == 0;
        test::PressKey(dialog, VK_ESCAPE);
    });
    Click(control("cmdCheck"));
    EXPECT_TRUE(test::AllWatchesServed());
    EXPECT_TRUE(shown);
    EXPECT_EQ(lineText, text);
    EXPECT_TRUE(painted);
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(cleared);
}

TEST_F(Win32Window, CompanyChooserColumnsAreAsWideAsTheirLongestEntry) {
    open();
    const std::string name = "Brook & Vale / Harrowgate Timber and Joinery Supplies Ltd";
    const std::string directory =
        "C:\\ProgramData\\Sage\\Accounts\\2016\\Brook and Vale Harrowgate Timber\\COMPANY.003"
        "\\ACCDATA";
    WhenWindowShows("Company Selection...", [&](HWND chooser) {
        HWND grid = GetDlgItem(chooser, IDC_GRDCOMPANY);
        EXPECT_GE(ListView_GetColumnWidth(grid, 0),
                  ListView_GetStringWidth(grid, Wide(name).c_str()));
        EXPECT_GE(ListView_GetColumnWidth(grid, 1),
                  ListView_GetStringWidth(grid, Wide(directory).c_str()));
        // Both columns show whole in the grid, the dialog inside the screen.
        RECT client, box, work;
        GetClientRect(grid, &client);
        EXPECT_GE(client.right,
                  ListView_GetColumnWidth(grid, 0) + ListView_GetColumnWidth(grid, 1));
        GetWindowRect(chooser, &box);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_GE(box.left, work.left);
        EXPECT_LE(box.right, work.right);
        // Open and Cancel moved with the right edge.
        RECT cancel;
        GetWindowRect(GetDlgItem(chooser, IDCANCEL), &cancel);
        EXPECT_LT(box.right - cancel.right, 30);
        test::SaveScreenshot(chooser, Shot("dialog-company-selection-long"));
        Click(GetDlgItem(chooser, IDCANCEL));
    });
    EXPECT_EQ(window.chooseCompany({{"Acme Ltd", "C:\\Sage\\ACME\\ACCDATA"}, {name, directory}}),
              std::nullopt);
    EXPECT_TRUE(test::AllWatchesServed());
}

}  // namespace
}  // namespace quillmere

namespace quillmere {
namespace {

TEST_F(Win32Window, TheQuestionBeforeSendingIsATaskDialogThatOnlySendsWhenToldTo) {
    open();
    const SendQuestion question{
        2, 1, "C:\\work\\Acme_11122026_1030.report.html",
        "The migration report found 2 errors and 1 warning in the books to be sent.\n"
        "The report: C:\\work\\Acme_11122026_1030.report.html"};
    // Each way out of the dialog, and what it answers.
    // A link that is not there fails the case, and Escape ends the dialog.
    const auto press = [](const char* caption) {
        return [caption](HWND d) {
            HWND link = ChildStartingWith(d, caption);
            if (link == nullptr) {
                ADD_FAILURE() << "no \"" << caption << "\" in "
                              << testing::PrintToString(test::ChildTexts(d));
                test::PressKey(d, VK_ESCAPE);
                return;
            }
            Click(link);
        };
    };
    const struct Case {
        const char* how;
        std::function<void(HWND)> act;
        SendChoice answer;
    } cases[] = {
        {"Send anyway", press(SendAnywayCaption), SendChoice::SendAnyway},
        {"Open the report", press(OpenReportCaption), SendChoice::OpenReport},
        {"Don't send", press(KeepArchiveCaption), SendChoice::KeepArchive},
        {"Escape", [](HWND d) { test::PressKey(d, VK_ESCAPE); }, SendChoice::KeepArchive},
        {"Enter", [](HWND d) { test::PressKey(d, VK_RETURN); }, SendChoice::KeepArchive},
        {"close box", [](HWND d) { SendMessageW(d, WM_CLOSE, 0, 0); }, SendChoice::KeepArchive},
    };
    bool first = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        HWND owner = nullptr;
        bool captionsWhole = false;
        std::vector<std::string> texts;
        WhenWindowShows(SendQuestionTitle, [&](HWND dialog) {
            owner = GetWindow(dialog, GW_OWNER);
            texts = test::ChildTexts(dialog);
            captionsWhole = true;
            for (const char* caption : {SendAnywayCaption, OpenReportCaption, KeepArchiveCaption}) {
                HWND link = ChildStartingWith(dialog, caption);
                RECT box{};
                captionsWhole = captionsWhole && link && GetWindowRect(link, &box) &&
                                box.right - box.left > 200;
            }
            if (first) {
                EXPECT_TRUE(test::SaveScreenshot(dialog, Shot("dialog-send-question")));
            }
            c.act(dialog);
        });
        EXPECT_EQ(window.askBeforeSending(question), c.answer);
        EXPECT_TRUE(test::AllWatchesServed());
        EXPECT_EQ(owner, window.handle());  // modal to the wizard
        EXPECT_TRUE(captionsWhole) << testing::PrintToString(texts);
        bool textShown = false;
        for (const std::string& text : texts) {
            textShown = textShown || text.find("found 2 errors and 1 warning") != std::string::npos;
        }
        EXPECT_TRUE(textShown) << testing::PrintToString(texts);
        EXPECT_TRUE(IsWindowEnabled(window.handle()));
        first = false;
    }
}

}  // namespace
}  // namespace quillmere
