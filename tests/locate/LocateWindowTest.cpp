// The locate page in the real window on the offscreen platform: a scan that
// finds two directories, answered in the real directory chooser.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/ufMain.h"
#include "support/FakeSystem.h"
#include "support/TempDir.h"
#include "support/qt/QtTestApp.h"
#include "ui/qt/QtWizardWindow.h"
#include "ui/qt/ufDirSelect.h"

namespace quillmere {
namespace {

using test::FakeSystem;
using test::TempDir;

QApplication& App() {
    return test::QtTestApp();
}
using test::WhenModalShows;

std::vector<std::string> Items(const QListWidget* list) {
    std::vector<std::string> items;
    for (int i = 0; i < list->count(); ++i) {
        items.push_back(list->item(i)->text().toStdString());
    }
    return items;
}

TEST(DirectoryChooser, CaptionPanelListAndDefaultOk) {
    App();
    TfrmDirSelect chooser;
    EXPECT_EQ(chooser.windowTitle().toStdString(), "Select Directory");
    auto* panel = chooser.findChild<QLabel*>("Panel2");
    auto* list = chooser.findChild<QListWidget*>("ListBox1");
    auto* ok = chooser.findChild<QPushButton*>("Button1");
    ASSERT_TRUE(panel && list && ok);
    EXPECT_EQ(panel->text().toStdString(),
              "More than one directory found please specify which one");
    EXPECT_EQ(list, chooser.ListBox1);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(ok->text().toStdString(), "&OK");
    EXPECT_TRUE(ok->isDefault());

    // Resizable, with the list taking the growth between the panel and the
    // button, which sits at the bottom right.
    chooser.resize(400, 250);
    chooser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chooser));
    const QSize listBefore = list->size();
    chooser.resize(600, 450);
    QApplication::processEvents();
    EXPECT_EQ(chooser.size(), QSize(600, 450));
    EXPECT_GT(list->height(), listBefore.height() + 150);
    EXPECT_GT(list->width(), listBefore.width() + 150);
    EXPECT_LT(panel->geometry().bottom(), list->geometry().top());
    EXPECT_LT(list->geometry().bottom(), ok->geometry().top());
    EXPECT_GT(ok->geometry().left(), chooser.width() / 2);
    EXPECT_LT(chooser.height() - ok->geometry().bottom(), 40);
}

class LocateWindow : public ::testing::Test {
  protected:
    QApplication& app = App();  // before any widget
    TempDir exeDir;
    TempDir drive;
    FakeSystem system{exeDir.path()};
    QtWizardWindow window;
    TfrmMain form{window, system};

    QPushButton* button(const char* name) { return window.findChild<QPushButton*>(name); }
    int page() { return window.findChild<QStackedWidget*>("pgcMain")->currentIndex(); }

    // Welcome, version, then the locate page with the test tree as the one drive.
    void openLocatePage() {
        system.drives = {{drive.path(), DriveType::Fixed}};
        window.attach(&form);
        form.Dispatch(&TfrmMain::FormCreate);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::mouseClick(button("cmdNext"), Qt::LeftButton);
        window.findChild<QComboBox*>("cboVersion")->setCurrentIndex(5);
        QTest::mouseClick(button("cmdNext"), Qt::LeftButton);
        ASSERT_EQ(page(), tabLocate);
        ASSERT_FALSE(button("cmdScan")->isHidden());
    }
};

TEST_F(LocateWindow, ScanFindsTwoAndTheChooserPicksTheSecond) {
    drive.write("Sage/COMPANY", "");
    drive.write("Sage/Old/COMPANY", "");
    drive.write("Other/readme.txt", "");
    openLocatePage();
    auto* drives = window.findChild<QListWidget*>("chkDrives");
    ASSERT_EQ(Items(drives), (std::vector<std::string>{drive.path()}));
    drives->item(0)->setCheckState(Qt::Checked);

    std::vector<std::string> shown;
    bool scanDisabledMeanwhile = false;
    std::string boxTitle;
    std::string boxText;
    WhenModalShows([&](QWidget* modal) {
        auto* chooser = qobject_cast<TfrmDirSelect*>(modal);
        if (!chooser) {
            return;
        }
        shown = Items(chooser->ListBox1);
        EXPECT_EQ(chooser->ListBox1->currentRow(), 0);
        scanDisabledMeanwhile = !button("cmdScan")->isEnabled();
        // The answer box comes after the chooser.
        WhenModalShows([&](QWidget* next) {
            if (auto* box = qobject_cast<QMessageBox*>(next)) {
                boxTitle = box->windowTitle().toStdString();
                boxText = box->text().toStdString();
                box->buttons().front()->click();
            }
        });
        QTest::mouseClick(chooser->ListBox1->viewport(), Qt::LeftButton, {},
                          chooser->ListBox1->visualItemRect(chooser->ListBox1->item(1)).center());
        QTest::mouseClick(chooser->findChild<QPushButton*>("Button1"), Qt::LeftButton);
    });
    QTest::mouseClick(button("cmdScan"), Qt::LeftButton);

    EXPECT_EQ(shown, (std::vector<std::string>{drive / "Sage/", drive / "Sage/Old/"}));
    EXPECT_TRUE(scanDisabledMeanwhile);
    EXPECT_EQ(boxTitle, "Information");
    EXPECT_EQ(boxText, "Sage Home Directory has now been located");
    EXPECT_EQ(form.HomeDir, drive / "Sage/Old");
    EXPECT_TRUE(form.HomeDirFound);
    EXPECT_TRUE(button("cmdScan")->isEnabled());
    EXPECT_TRUE(window.findChild<QLabel*>("lblScan")->isHidden());

    QTest::mouseClick(button("cmdNext"), Qt::LeftButton);
    EXPECT_EQ(page(), tabLogin);
}

TEST_F(LocateWindow, ClosingTheChooserKeepsTheHomeDirectory) {
    drive.write("a/COMPANY", "");
    drive.write("a/b/COMPANY", "");
    openLocatePage();
    const std::string before = form.HomeDir;
    window.findChild<QListWidget*>("chkDrives")->item(0)->setCheckState(Qt::Checked);

    std::string boxText;
    WhenModalShows([&](QWidget* modal) {
        if (auto* chooser = qobject_cast<TfrmDirSelect*>(modal)) {
            WhenModalShows([&](QWidget* next) {
                if (auto* box = qobject_cast<QMessageBox*>(next)) {
                    boxText = box->text().toStdString();
                    box->buttons().front()->click();
                }
            });
            chooser->close();  // the close box
        }
    });
    QTest::mouseClick(button("cmdScan"), Qt::LeftButton);

    EXPECT_EQ(form.HomeDir, before);
    EXPECT_FALSE(form.HomeDirFound);
    EXPECT_EQ(boxText, "Sage Home Directory incorrectly specified");
}

}  // namespace
}  // namespace quillmere
