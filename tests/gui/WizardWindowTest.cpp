// The real window on the offscreen platform, driven by object name.
#include <gtest/gtest.h>

#include <functional>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include "app/SendDecision.h"
#include "app/ufMain.h"
#include "support/FakeSystem.h"
#include "support/TempDir.h"
#include "support/qt/QtTestApp.h"
#include "ui/qt/PreflightDialog.h"
#include "ui/qt/QtWizardWindow.h"

namespace quillmere {
namespace {

using test::AnswerMessageBox;
using test::FakeSystem;
using test::FileText;
using test::SeenBox;
using test::TempDir;

class WizardWindow : public ::testing::Test {
  protected:
    QApplication& app = test::QtTestApp();  // before any widget
    TempDir exeDir;
    FakeSystem system{exeDir.path()};
    QtWizardWindow window;
    TfrmMain form{window, system};

    void open() {
        window.attach(&form);
        form.Dispatch(&TfrmMain::FormCreate);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    QPushButton* button(const char* name) { return window.findChild<QPushButton*>(name); }
    int page() { return window.findChild<QStackedWidget*>("pgcMain")->currentIndex(); }
};

TEST_F(WizardWindow, HasTheCaptionVersionListAndStartingButtons) {
    open();
    EXPECT_EQ(window.windowTitle().toStdString(), "Quillmere Export Wizard (Ver:2.0.8.1)");
    auto* versions = window.findChild<QComboBox*>("cboVersion");
    ASSERT_NE(versions, nullptr);
    EXPECT_EQ(versions->count(), 26);
    EXPECT_EQ(versions->currentIndex(), -1);
    EXPECT_EQ(versions->itemText(0).toStdString(), "Version 7");
    EXPECT_EQ(versions->itemText(15).toStdString(), "Sage 50 / Instant 2016");
    EXPECT_EQ(versions->itemText(25).toStdString(), "Sage 50 Accounts v32 2026");
    EXPECT_FALSE(versions->isEditable());
    EXPECT_TRUE(button("cmdNext")->isDefault());
    EXPECT_FALSE(button("cmdBack")->isEnabled());
    EXPECT_FALSE(button("cmdFinish")->isEnabled());
    EXPECT_TRUE(button("cmdCancel")->isEnabled());
    for (const char* hidden : {"cmdBrowse", "chkDrives", "cmdScan", "lblScan", "lblStatus",
                               "lblURLHelp", "txtURL", "txtStatus", "pbMain"}) {
        QWidget* w = window.findChild<QWidget*>(hidden);
        ASSERT_NE(w, nullptr) << hidden;
        EXPECT_TRUE(w->isHidden()) << hidden;
    }
    EXPECT_EQ(window.findChild<QLineEdit*>("txtPassword")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(window.findChild<QLineEdit*>("txtCompanySelect")->text().toStdString(),
              "Please click '...' button to select company");
    EXPECT_EQ(window.size(), window.minimumSize());  // fixed size
}

TEST_F(WizardWindow, WalksWelcomeVersionLocateBackAndCancelAnsweredNo) {
    system.drives = {{"/", DriveType::Fixed}};
    open();
    QTest::mouseClick(button("cmdNext"), Qt::LeftButton);
    EXPECT_EQ(page(), tabVersion);
    EXPECT_NE(FileText(exeDir / "WizardDebug.log").find("Wizard Started at 09/12/25 14:05:33\r\n"),
              std::string::npos);

    SeenBox refused;
    AnswerMessageBox(&refused, "OK");
    QTest::mouseClick(button("cmdNext"), Qt::LeftButton);
    EXPECT_EQ(refused.title, "Error");
    EXPECT_EQ(refused.text, "Must select which version of Sage you are using");
    EXPECT_EQ(page(), tabVersion);

    window.findChild<QComboBox*>("cboVersion")->setCurrentIndex(11);
    EXPECT_EQ(form.VersionNo, 18);
    window.setFocus();
    QTest::keyClick(&window, Qt::Key_Return);  // Enter presses Next
    EXPECT_EQ(page(), tabLocate);
    EXPECT_FALSE(window.findChild<QWidget*>("cmdBrowse")->isHidden());
    EXPECT_EQ(window.findChild<QListWidget*>("chkDrives")->count(), 1);
    EXPECT_EQ(window.findChild<QLabel*>("HTMLabel3")->text().toStdString(), HomeDirNotFoundText);

    QTest::mouseClick(button("cmdBack"), Qt::LeftButton);
    EXPECT_EQ(page(), tabVersion);

    SeenBox confirm;
    AnswerMessageBox(&confirm, "&No");
    QTest::keyClick(&window, Qt::Key_Escape);  // Escape presses Cancel
    EXPECT_EQ(confirm.title, "Confirm");
    EXPECT_EQ(confirm.text, "Are you sure you wish to cancel?");
    EXPECT_TRUE(window.isVisible());
    EXPECT_NE(form.SageObj, nullptr);

    AnswerMessageBox(nullptr, "&Yes");
    QTest::mouseClick(button("cmdCancel"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(form.SageObj, nullptr);
}

TEST_F(WizardWindow, CloseBoxClosesWithoutAsking) {
    open();
    QTest::mouseClick(button("cmdNext"), Qt::LeftButton);
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(form.Closed());
}

// Saves a picture of each page (with the locate page's Browse and Scan
// controls showing) for a person to look at.
TEST_F(WizardWindow, SavesAScreenshotOfEveryPage) {
    const char* dir = QUILLMERE_SCREENSHOT_DIR;
    QDir().mkpath(dir);
    system.drives = {{"/", DriveType::Fixed}, {"/srv/share", DriveType::Remote}};
    // A Sage home directory that is found, so Next leaves the locate page.
    TempDir home;
    home.write("COMPANY", "");
    exeDir.write("homedir.txt", home.path() + "\r\n");
    open();
    for (int i = 0; i < 5; ++i) {
        if (i == tabLogin) {
            form.LoggedIn = true;
        }
        const QString file = QString("%1/page-%2.png").arg(dir).arg(i);
        ASSERT_TRUE(window.grab().save(file)) << file.toStdString();
        if (i == tabVersion) {
            window.findChild<QComboBox*>("cboVersion")->setCurrentIndex(11);
        }
        QTest::mouseClick(button("cmdNext"), Qt::LeftButton);
    }
    EXPECT_EQ(page(), tabOptions);
}

// The line that says the program waits for the Sage driver: under the page
// on every page, gone with the empty text, and neither the window nor its
// buttons nor the finish page's progress bar move for it.
TEST_F(WizardWindow, TheWaitingLineShowsUnderEveryPageWithoutMovingAnything) {
    open();
    auto* line = window.findChild<QLabel*>("lblWaiting");
    ASSERT_NE(line, nullptr);
    EXPECT_FALSE(window.isVisible("lblWaiting"));
    const QSize size = window.size();
    const QRect next = button("cmdNext")->geometry();
    // The finish page as an export run leaves it.
    window.setVisible("txtStatus", true);
    window.setVisible("pbMain", true);
    auto* pages = window.findChild<QStackedWidget*>("pgcMain");
    for (int i = 0; i < window.pageCount(); ++i) {
        const std::string text =
            "Waiting for the Sage ODBC driver (reading Sales Ledger Transactions): " +
            std::to_string(3 + i * 40) + " s";
        window.setActivePage(i);
        window.setWaitingText(text);
        window.processMessages();
        EXPECT_TRUE(line->isVisible()) << i;
        EXPECT_EQ(window.text("lblWaiting"), text);
        const QRect page(pages->mapTo(&window, QPoint(0, 0)), pages->size());
        EXPECT_LT(page.bottom(), line->geometry().top()) << i;
        EXPECT_LT(line->geometry().bottom(), next.top()) << i;
        EXPECT_EQ(window.size(), size) << i;
        EXPECT_EQ(button("cmdNext")->geometry(), next) << i;
    }
    auto* bar = window.findChild<QWidget*>("pbMain");
    EXPECT_LE(bar->mapTo(pages, QPoint(0, bar->height())).y(), pages->height());
    const char* dir = QUILLMERE_SCREENSHOT_DIR;
    QDir().mkpath(dir);
    EXPECT_TRUE(window.grab().save(QString(dir) + "/waiting-line.png"));

    // A text too long for the line is cut off; the window stays as it is.
    window.setWaitingText(std::string(400, 'W'));
    window.processMessages();
    EXPECT_EQ(window.size(), size);

    window.setWaitingText("");
    window.processMessages();
    EXPECT_TRUE(line->isHidden());
    EXPECT_FALSE(window.isVisible("lblWaiting"));
    EXPECT_EQ(window.size(), size);
    EXPECT_EQ(button("cmdNext")->geometry(), next);
}

// The "Check..." dialog shows the line itself while the window is behind it.
TEST_F(WizardWindow, TheCheckDialogShowsTheWaitingLine) {
    PreflightDialog dialog(PreflightSettings{}, system, &window);
    auto* line = dialog.findChild<QLabel*>("lblWaiting");
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->isHidden());
    const std::string text = "Waiting for the Sage ODBC driver (counting Nominal Ledger): 7 s";
    dialog.setWaitingText(text);
    EXPECT_FALSE(line->isHidden());
    EXPECT_EQ(line->text().toStdString(), text);
    dialog.setWaitingText("");
    EXPECT_TRUE(line->isHidden());
}

// A focused button that is disabled hands the focus on, never to Cancel:
// on the finish page to Finish, which Enter then presses; while Scan scans,
// to Next.
TEST_F(WizardWindow, TheFocusNeverLandsOnCancelByItself) {
    TempDir home;
    home.write("COMPANY", "");
    exeDir.write("homedir.txt", home.path() + "\r\n");
    open();
    window.activateWindow();
    QTest::mouseClick(button("cmdNext"), Qt::LeftButton);
    window.findChild<QComboBox*>("cboVersion")->setCurrentIndex(11);
    QTest::mouseClick(button("cmdNext"), Qt::LeftButton);
    ASSERT_EQ(page(), tabLocate);

    window.setVisible("cmdScan", true);
    button("cmdScan")->setFocus();
    window.setEnabled("cmdScan", false);  // as a scan does while it runs
    EXPECT_EQ(QApplication::focusWidget(), button("cmdNext"));
    window.setEnabled("cmdScan", true);

    QTest::mouseClick(button("cmdNext"), Qt::LeftButton);
    form.LoggedIn = true;
    button("cmdNext")->setFocus();
    QTest::mouseClick(button("cmdNext"), Qt::LeftButton);
    ASSERT_EQ(page(), tabOptions);
    EXPECT_EQ(QApplication::focusWidget(), button("cmdFinish"));
    EXPECT_TRUE(button("cmdFinish")->isDefault());
    EXPECT_FALSE(button("cmdNext")->isDefault());

    QTest::mouseClick(button("cmdBack"), Qt::LeftButton);
    EXPECT_TRUE(button("cmdNext")->isDefault());
    EXPECT_FALSE(button("cmdFinish")->isDefault());
}

// The question before sending: three buttons, the warning icon, and every
// way out but "Send anyway" and "Open the report" keeps the archive.
TEST_F(WizardWindow, TheQuestionBeforeSendingKeepsTheArchiveUnlessSendIsPressed) {
    open();
    const SendQuestion question{2, 1, "/w/a.report.html", "The migration report found 2 errors"};
    struct Case {
        const char* what;
        std::function<void(QMessageBox*)> act;
        SendChoice expected;
    } const cases[] = {
        {"Send anyway", [](QMessageBox* b) { b->findChild<QPushButton*>("SendAnyway")->click(); },
         SendChoice::SendAnyway},
        {"Open the report",
         [](QMessageBox* b) { b->findChild<QPushButton*>("OpenReport")->click(); },
         SendChoice::OpenReport},
        {"Don't send", [](QMessageBox* b) { b->findChild<QPushButton*>("KeepArchive")->click(); },
         SendChoice::KeepArchive},
        {"Escape", [](QMessageBox* b) { QTest::keyClick(b, Qt::Key_Escape); },
         SendChoice::KeepArchive},
        {"Enter", [](QMessageBox* b) { QTest::keyClick(b, Qt::Key_Return); },
         SendChoice::KeepArchive},
        {"close box", [](QMessageBox* b) { b->close(); }, SendChoice::KeepArchive},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> texts;
        std::string title, text, focus, defaultButton;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        bool seen = false;
        test::WhenModalShows([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box) {
                return;
            }
            seen = true;
            title = box->windowTitle().toStdString();
            text = box->text().toStdString();
            icon = box->icon();
            for (const char* name : {"SendAnyway", "OpenReport", "KeepArchive"}) {
                texts.push_back(box->findChild<QPushButton*>(name)->text().toStdString());
            }
            defaultButton =
                box->defaultButton() ? box->defaultButton()->objectName().toStdString() : "";
            // The box's own focus child: whether the box is active yet depends on timing.
            focus = box->focusWidget() ? box->focusWidget()->objectName().toStdString() : "";
            c.act(box);
        });
        EXPECT_EQ(window.askBeforeSending(question), c.expected);
        ASSERT_TRUE(seen);
        EXPECT_EQ(title, SendQuestionTitle);
        EXPECT_EQ(text, question.text);
        EXPECT_EQ(icon, QMessageBox::Warning);
        EXPECT_EQ(texts, (std::vector<std::string>{"&Send anyway", "&Open the report",
                                                   "&Don't send (keep the archive)"}));
        EXPECT_EQ(defaultButton, "KeepArchive");
        EXPECT_EQ(focus, "KeepArchive");
    }
}

// Kept after the export run: the status lines show, the focus is on a control
// that can take it, and Escape (Cancel) closes the window without a question.
TEST_F(WizardWindow, AKeptArchiveLeavesTheWindowOpenUntilCancel) {
    open();
    // The finish page as the export run leaves it before the upload.
    WizardView& view = window;
    view.setActivePage(tabOptions);
    form.UpdateButtons();
    button("cmdFinish")->setFocus();
    view.setVisible("txtStatus", true);
    view.setVisible("pbMain", true);
    view.setEnabled("cmdFinish", false);
    view.setEnabled("cmdBack", false);
    form.LogFileName = exeDir / "WizardDebug.log";
    form.LastReport = ReportOutcome{1, 0, 0, exeDir / "a.report.html", exeDir / "a.report.json"};
    test::WhenModalShows([](QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            box->findChild<QPushButton*>("KeepArchive")->click();
        }
    });
    bool send = true;
    form.Dispatch([&] { send = form.ConfirmSend(exeDir / "a.zip"); });
    EXPECT_FALSE(send);
    EXPECT_TRUE(window.isVisible());
    const std::string status =
        window.findChild<QPlainTextEdit*>("txtStatus")->toPlainText().toStdString();
    EXPECT_NE(status.find("The archive was not sent.\nIt is kept as " + (exeDir / "a.zip")),
              std::string::npos)
        << status;
    EXPECT_FALSE(button("cmdFinish")->isEnabled());
    EXPECT_FALSE(button("cmdBack")->isEnabled());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_TRUE(focus->isEnabled()) << focus->objectName().toStdString();
    EXPECT_TRUE(focus->isVisible()) << focus->objectName().toStdString();

    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(form.Closed());
}

}  // namespace
}  // namespace quillmere
