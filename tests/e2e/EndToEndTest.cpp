// The whole road in the real window: welcome page to closed window on the
// demo company, through the real ODBC driver, the zip writer, the HTTPS
// upload to the stand-in service and the browser hand-off (a stand-in for
// xdg-open on PATH records the address it is given).
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "app/ufMain.h"
#include "platform/Files.h"
#include "support/Command.h"
#include "support/StandInService.h"
#include "support/TableNames.h"
#include "support/TempDir.h"
#include "support/qt/QtTestApp.h"
#include "ui/qt/QtWizardWindow.h"

namespace quillmere {
namespace {

using test::FileText;
using test::StandInService;
using test::TempDir;
namespace fs = std::filesystem;

// Waits for a file that a background process writes.
std::string AwaitFile(const std::string& path) {
    for (int i = 0; i < 200 && !fs::exists(path); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return fs::exists(path) ? FileText(path) : std::string();
}

class EndToEnd : public ::testing::Test {
  protected:
    QApplication& app = test::QtTestApp();
    TempDir work;  // the program's directory
    TempDir home;  // the demo Sage home directory
    TempDir bin;   // the xdg-open stand-in
    StandInService service;
    std::unique_ptr<System> system;
    std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    std::vector<std::string> messages;  // every message box that appeared

    void SetUp() override {
        ASSERT_EQ(std::system(
                      ("python3 " +
                       test::ShellQuote(std::string(QUILLMERE_SOURCE_DIR) + "/demo/make-demo.py") +
                       " home " + test::ShellQuote(home.path()))
                          .c_str()),
                  0);
        work.write("homedir.txt", home.path() + "\r\n");
        bin.write("xdg-open",
                  "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0.url\"\n");
        fs::permissions(bin / "xdg-open", fs::perms::owner_all);
        ::setenv("PATH", (bin.path() + ":" + oldPath).c_str(), 1);
        // British formats, whatever this machine's locale is.
        ::setenv("LC_ALL", "en_GB.UTF-8", 1);
        system = CreateHostSystem(work.path());
    }
    void TearDown() override { ::setenv("PATH", oldPath.c_str(), 1); }

    // Answers every message box with its first button, recording its text,
    // so an unexpected one fails the test instead of hanging it.
    void answerMessageBoxes(QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            messages.push_back(box->text().toStdString());
            // The question before sending: the user reads it and sends.
            for (QAbstractButton* b : box->buttons()) {
                if (b->objectName() == "SendAnyway") {
                    b->click();
                    return;
                }
            }
            box->buttons().front()->click();
        }
    }
};

TEST_F(EndToEnd, FromTheWelcomePageToTheImportPage) {
    QtWizardWindow window;
    TfrmMain form(window, *system);
    form.ServiceBase = service.baseUrl();
    form.HTTPRIO1.HTTPWebNode1.CAFile = service.caFile();
    window.attach(&form);
    form.Dispatch(&TfrmMain::FormCreate);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto button = [&](const char* name) { return window.findChild<QPushButton*>(name); };
    auto page = [&] { return window.findChild<QStackedWidget*>("pgcMain")->currentIndex(); };

    QTest::mouseClick(button("cmdNext"), Qt::LeftButton);
    window.findChild<QComboBox*>("cboVersion")->setCurrentIndex(11);
    QTest::mouseClick(button("cmdNext"), Qt::LeftButton);
    ASSERT_EQ(page(), tabLocate);
    QTest::mouseClick(button("cmdNext"), Qt::LeftButton);  // the home directory was found
    ASSERT_EQ(page(), tabLogin);

    // Two companies: the chooser appears; the second row is taken.
    test::WhenModalShows([](QWidget* w) {
        auto* grid = w->findChild<QTableWidget*>("grdCompany");
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(grid->item(1, 0)->text().toStdString(), "Kestrel Caf\u00e9 Co-operative");
        grid->setCurrentCell(0, 0);
        w->findChild<QPushButton*>("cmdOpen")->click();
    });
    QTest::mouseClick(button("cmdCompanySelect"), Qt::LeftButton);
    EXPECT_EQ(window.findChild<QLineEdit*>("txtCompanySelect")->text().toStdString(),
              "Wren & Hollis Joinery Ltd");
    QTest::keyClicks(window.findChild<QLineEdit*>("txtUserID"), "manager");
    QTest::keyClicks(window.findChild<QLineEdit*>("txtPassword"), "letmein");
    QTest::mouseClick(button("cmdLogin"), Qt::LeftButton);
    ASSERT_TRUE(form.LoggedIn);
    QTest::mouseClick(button("cmdNext"), Qt::LeftButton);
    ASSERT_EQ(page(), tabOptions);

    std::function<void()> watch = [&] {
        test::WhenModalShows([&](QWidget* w) {
            answerMessageBoxes(w);
            watch();
        });
    };
    watch();
    QTest::mouseClick(button("cmdFinish"), Qt::LeftButton);

    // The demo company's books carry warnings (balances that differ from
    // their open items, among others): the one question is whether to send.
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(std::regex_match(
        messages[0], std::regex("The migration report found [0-9]+ warnings? in the books to be "
                                "sent\\.\nThe report: .*\\.report\\.html\n[^]*")))
        << messages[0];
    EXPECT_TRUE(form.Closed());
    EXPECT_FALSE(window.isVisible());

    // The browser was asked for the import page of the upload.
    const std::string address = service.baseUrl() + "/processSageImport.asp?id=1";
    EXPECT_EQ(AwaitFile(bin / "xdg-open.url"), address);
    EXPECT_EQ(window.findChild<QLineEdit*>("txtURL")->text().toStdString(), address);

    // Nothing left beside the program but the log, homedir.txt and the
    // run's control totals and migration report.
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(work.path())) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    ASSERT_EQ(left.size(), 5u) << testing::PrintToString(left);
    const std::string stem = left[1].substr(0, left[1].find('.'));
    EXPECT_TRUE(std::regex_match(stem, std::regex(".*_[0-9]{8}_[0-9]{4}"))) << stem;
    EXPECT_EQ(left, (std::vector<std::string>{"WizardDebug.log", stem + ".report.html",
                                              stem + ".report.json", stem + ".summary.txt",
                                              "homedir.txt"}));
    const std::string log = FileText(work / "WizardDebug.log");
    EXPECT_NE(log.find("\r\nSending despite the migration report (0 errors, "), std::string::npos)
        << log;
    EXPECT_NE(log.find("\r\nCall API\r\nAPI Called\r\nConvert zip file\r\n"
                       "Get Vuredevu URL\r\nSent file to URL " +
                       address + "\r\nWizard Finished\r\n"),
              std::string::npos)
        << log;

    // What the service received, read with unzip: the eight tables in order,
    // each equal to its expected table.
    const std::string archive = service.recordDir() + "/import-1.zip";
    ASSERT_TRUE(fs::exists(archive));
    std::string listed = test::RunCommand("unzip -Z1 " + test::ShellQuote(archive));
    std::string expectedList;
    for (const std::string& t : test::ExportTableNames) {
        expectedList += t + "\n";
    }
    EXPECT_EQ(listed, expectedList);
    TempDir unpacked;
    ASSERT_EQ(std::system(("unzip -q " + test::ShellQuote(archive) + " -d " +
                           test::ShellQuote(unpacked.path()))
                              .c_str()),
              0);
    const std::string expectedDir = std::string(QUILLMERE_TEST_DATA) + "/expected";
    for (const std::string& t : test::ExportTableNames) {
        SCOPED_TRACE(t);
        const std::string got = FileText(unpacked / t);
        if (std::getenv("QUILLMERE_RECORD_EXPECTED")) {
            std::ofstream(expectedDir + "/" + t, std::ios::binary) << got;
        }
        const std::string expected = FileText(expectedDir + "/" + t);
        ASSERT_FALSE(expected.empty());
        // Line by line, so a difference names its line.
        std::istringstream g(got), e(expected);
        std::string gl, el;
        int line = 0;
        while (std::getline(e, el)) {
            ++line;
            ASSERT_TRUE(std::getline(g, gl)) << "missing line " << line << ": " << el;
            ASSERT_EQ(gl, el) << "line " << line;
        }
        EXPECT_FALSE(std::getline(g, gl)) << "extra line " << line + 1 << ": " << gl;
        EXPECT_EQ(got, expected);
    }
}

}  // namespace
}  // namespace quillmere
