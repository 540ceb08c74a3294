// Finish in the native window under Wine: the demo company read through
// Wine's ODBC from the Sage stand-in, the archive uploaded to the HTTPS
// stand-in on localhost, the window closed. The Sage home directory is where
// Sage keeps it on this Windows version; the log and the archive are beside
// the program (here a temporary directory).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Screenshot.h"
#include "WindowDriver.h"
#include "app/ufMain.h"
#include "support/TempDir.h"
#include "ui/win32/Resource.h"
#include "ui/win32/Win32WizardWindow.h"

namespace quillmere {
namespace {

using test::Click;
using test::FileText;
using test::TempDir;
using test::TextOf;
using test::WhenWindowShows;
namespace fs = std::filesystem;

const std::string FixtureDir = QUILLMERE_FINISH_DIR;

TEST(Win32Finish, FromTheWelcomePageToTheClosedWindowOnTheDemoCompany) {
    const std::string port = FileText(FixtureDir + "/port");
    ASSERT_NE(port, "<missing>") << "the finish fixture has not started";
    TempDir work;
    auto system = CreateHostSystem(work.path());
    Win32WizardWindow window(false);
    TfrmMain form(window, *system);
    form.ServiceBase = "https://localhost:" + port.substr(0, port.find_first_of("\r\n"));
    form.HTTPRIO1.HTTPWebNode1.CAFile = FixtureDir + "/certs/ca.pem";
    window.attach(&form);
    form.Dispatch(&TfrmMain::FormCreate);
    window.show();
    auto control = [&](const char* name) { return window.control(name); };

    // Every message box is answered and recorded: none is expected.
    std::vector<std::string> boxes;
    std::function<void()> watch = [&] {
        WhenWindowShows(
            test::IsMessageBox,
            [&](HWND box) {
                boxes.push_back(test::ReadMessageBox(box).text);
                Click(GetDlgItem(box, IDOK));
                watch();
            },
            nullptr, 600000);
    };
    watch();

    Click(control("cmdNext"));
    test::ChooseComboEntry(control("cboVersion"), 11);  // Sage 50 / Instant 2012
    Click(control("cmdNext"));
    ASSERT_EQ(window.text("HTMLabel3"), HomeDirFoundText) << form.HomeDir;
    Click(control("cmdNext"));
    ASSERT_EQ(window.activePage(), tabLogin);

    WhenWindowShows("Company Selection...", [](HWND chooser) {
        test::SelectListViewItem(GetDlgItem(chooser, IDC_GRDCOMPANY), 0);
        Click(GetDlgItem(chooser, IDOK));
    });
    Click(control("cmdCompanySelect"));
    EXPECT_EQ(TextOf(control("txtCompanySelect")), "Wren & Hollis Joinery Ltd");
    test::TypeText(control("txtUserID"), "manager");
    test::TypeText(control("txtPassword"), "letmein");
    Click(control("cmdLogin"));
    ASSERT_TRUE(form.LoggedIn) << (boxes.empty() ? "" : boxes.back());
    EXPECT_TRUE(IsWindowVisible(control("lblStatus")));
    Click(control("cmdNext"));
    ASSERT_EQ(window.activePage(), tabOptions);

    Click(control("cmdFinish"));
    EXPECT_EQ(boxes, std::vector<std::string>{});
    EXPECT_TRUE(form.Closed());
    EXPECT_FALSE(IsWindowVisible(window.handle()));
    const std::string address = form.ServiceBase + "/processSageImport.asp?id=1";
    EXPECT_EQ(window.text("txtURL"), address);
    const std::string status = window.text("txtStatus");
    EXPECT_NE(status.find("Getting sales ledger codes...."), std::string::npos) << status;

    // The service received the archive with the eight tables; nothing but
    // the log and the run's control totals is left beside the program (the
    // archive, sent, is deleted).
    EXPECT_TRUE(fs::exists(FixtureDir + "/record/import-1.zip"));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(work.path())) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    ASSERT_EQ(left.size(), 2u) << testing::PrintToString(left);
    EXPECT_EQ(left[0], "WizardDebug.log");
    EXPECT_TRUE(left[1].ends_with(".summary.txt")) << left[1];
    const std::string log = FileText(work / "WizardDebug.log");
    EXPECT_NE(log.find("Sent file to URL " + address + "\r\nWizard Finished\r\n"),
              std::string::npos)
        << log;
}

}  // namespace
}  // namespace quillmere
