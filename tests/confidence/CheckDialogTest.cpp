// The login page's "Check..." button in the real window: the dialog lists
// the checks for what the pages hold so far, and closing it leaves the
// wizard where it was.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <functional>

#include "app/ufMain.h"
#include "support/FakeSystem.h"
#include "support/StandInService.h"
#include "support/TempDir.h"
#include "support/qt/QtTestApp.h"
#include "ui/qt/PreflightDialog.h"
#include "ui/qt/QtWizardWindow.h"

namespace quillmere {
namespace {

// The login page as the pages leave it: version 17, the home directory,
// Acme Trading Ltd (in dir/Acme, listed in dir/home/COMPANY) chosen, a user
// and a password typed; the Sage stand-in's data sources and the service
// stand-in behind it. The window is shown.
struct LoginPage {
    LoginPage(const std::string& user, const std::string& password)
        : system(dir.mkdir("work")), form(window, system) {
        const std::string harness = SAGE_HARNESS_DIR;
        ::setenv("ODBCSYSINI", harness.c_str(), 1);
        ::setenv("ODBCINI", (harness + "/odbc.ini").c_str(), 1);
        std::string setup =
            "\x01\x02\x03"
            "Acme Trading Ltd";
        setup.resize(103, ' ');
        dir.write("Acme/ACCDATA/SETUP.DTA", setup);
        dir.write("home/COMPANY", dir / "Acme" + "\r\n");

        form.ServiceBase = service.baseUrl();
        form.HTTPRIO1.HTTPWebNode1.CAFile = service.caFile();
        window.attach(&form);
        form.Dispatch(&TfrmMain::FormCreate);
        form.VersionNo = 17;
        form.HomeDir = dir / "home";
        form.CompanyName = "Acme Trading Ltd";
        form.CompanyPath = dir / "Acme/ACCDATA";
        window.setActivePage(tabLogin);
        window.setText("txtUserID", user);
        window.setText("txtPassword", password);
        window.show();
    }

    QApplication& app = test::QtTestApp();
    test::TempDir dir;
    test::StandInService service;
    test::FakeSystem system;
    QtWizardWindow window;
    TfrmMain form;
};

TEST(CheckDialog, ShowsTheChecklistForTheLoginPage) {
    // A wrong password: the login check fails, the tables are not counted.
    LoginPage page("manager", "wrong");
    QtWizardWindow& window = page.window;
    TfrmMain& form = page.form;

    std::string shown;
    bool closeEnabledAtEnd = false;
    // The checks pump events as they go: the answer polls without blocking
    // until they have finished, then reads the list and closes.
    std::function<void()> whenFinished = [&] {
        auto* dialog = qobject_cast<PreflightDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->finished()) {
            QTimer::singleShot(50, whenFinished);
            return;
        }
        shown = dialog->findChild<QPlainTextEdit*>("txtChecks")->toPlainText().toStdString();
        auto* close = dialog->findChild<QPushButton*>("cmdClose");
        closeEnabledAtEnd = close->isEnabled();
        QTest::mouseClick(close, Qt::LeftButton);
    };
    QTimer::singleShot(50, whenFinished);
    QTest::mouseClick(window.findChild<QPushButton*>("cmdCheck"), Qt::LeftButton);

    EXPECT_TRUE(closeEnabledAtEnd);
    EXPECT_NE(shown.find("ok       ODBC data source: SageLine50v17"), std::string::npos) << shown;
    EXPECT_NE(shown.find("ok       company: Acme Trading Ltd in "), std::string::npos) << shown;
    EXPECT_NE(shown.find("FAILED   login: "), std::string::npos) << shown;
    EXPECT_NE(shown.find("skipped  tables: they are counted after a login"), std::string::npos)
        << shown;
    EXPECT_NE(shown.find("ok       service certificate: valid for 127.0.0.1"), std::string::npos)
        << shown;
    EXPECT_NE(shown.find("Some checks FAILED: see what to do above."), std::string::npos) << shown;
    // The wizard's own flow is untouched: same page, not logged in, nothing sent.
    EXPECT_EQ(window.activePage(), tabLogin);
    EXPECT_FALSE(form.LoggedIn);
    EXPECT_EQ(page.service.requestCount(), 0);
}

// A check that waits for a driver call that does not end (a table whose
// query sleeps): the dialog says it is waiting and for how long, and Escape
// stops the check and closes the dialog at once.
TEST(CheckDialog, EscapeStopsACheckThatWaitsForTheSageDriver) {
    LoginPage page("stalling_export", "letmein");
    QtWizardWindow& window = page.window;
    TfrmMain& form = page.form;

    std::string waiting;
    std::string listed;
    std::chrono::steady_clock::time_point escaped;
    std::function<void()> whenWaiting = [&] {
        auto* dialog = qobject_cast<PreflightDialog*>(QApplication::activeModalWidget());
        auto* line = dialog ? dialog->findChild<QLabel*>("lblWaiting") : nullptr;
        if (!line || !line->isVisible()) {
            QTimer::singleShot(50, whenWaiting);
            return;
        }
        waiting = line->text().toStdString();
        listed = dialog->findChild<QPlainTextEdit*>("txtChecks")->toPlainText().toStdString();
        escaped = std::chrono::steady_clock::now();
        QTest::keyClick(dialog, Qt::Key_Escape);
    };
    QTimer::singleShot(50, whenWaiting);
    QTest::mouseClick(window.findChild<QPushButton*>("cmdCheck"), Qt::LeftButton);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - escaped).count();

    EXPECT_EQ(waiting,
              "Waiting for the Sage ODBC driver (checking the table Sales Ledger "
              "Transactions.csv): 3 s");
    EXPECT_NE(listed.find("ok       table Sales Ledger Codes.csv: "), std::string::npos) << listed;
    EXPECT_LT(seconds, 1.0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(window.activePage(), tabLogin);
    EXPECT_FALSE(form.LoggedIn);
}

}  // namespace
}  // namespace quillmere
