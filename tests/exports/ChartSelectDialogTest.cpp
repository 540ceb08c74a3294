// The chart chooser: how it looks, and choosing a chart in the real window
// while the chart of accounts loads from the stand-in.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "ExportHarness.h"
#include "app/ufMain.h"
#include "platform/Exceptions.h"
#include "platform/Files.h"
#include "sage/ChartOfAccounts.h"
#include "support/FakeSystem.h"
#include "support/TempDir.h"
#include "support/qt/QtTestApp.h"
#include "ui/qt/QtWizardWindow.h"
#include "ui/qt/ufChartSelect.h"

namespace quillmere {
namespace {

using test::QtTestApp;
using test::WhenModalShows;

TEST(ChartSelectDialog, LooksAsTheChooserShould) {
    QtTestApp();
    TfrmChartSelect dialog;
    EXPECT_EQ(dialog.windowTitle(), "Select Chart of Accounts...");
    EXPECT_EQ(dialog.font().family(), "Tahoma");
    EXPECT_EQ(dialog.Label1->text(),
              "More than one chart of accounts has been found, please select \nwhich one to use:");
    EXPECT_EQ(dialog.lstChart->objectName(), "lstChart");
    EXPECT_EQ(dialog.lstChart->count(), 0);
    EXPECT_EQ(dialog.Button1->text(), "&OK");
    EXPECT_TRUE(dialog.Button1->isDefault());
    EXPECT_EQ(dialog.findChildren<QPushButton*>().size(), 1) << "no Cancel button";

    dialog.SetCharts({"1 - Standard", "2 - Charity"});
    EXPECT_EQ(dialog.lstChart->count(), 2);
    EXPECT_EQ(dialog.lstChart->item(1)->text(), "2 - Charity");
    EXPECT_EQ(dialog.HighlightedIndex(), -1);
}

class ChartChooserInTheWindow : public ::testing::Test {
  protected:
    QApplication& app = QtTestApp();
    test::TempDir dir;
    test::FakeSystem system{dir.path() + "/"};
    QtWizardWindow window;
    std::unique_ptr<TSageObject> sage = test::LoggedInCompany(test::SageUser);
    QStringList shown;

    // Answers the chooser once it shows: records its items, then `act`.
    void whenChooserShows(std::function<void(TfrmChartSelect*)> act) {
        WhenModalShows([this, act = std::move(act)](QWidget* w) {
            auto* chooser = qobject_cast<TfrmChartSelect*>(w);
            ASSERT_NE(chooser, nullptr);
            ASSERT_TRUE(QTest::qWaitForWindowExposed(chooser));
            for (int i = 0; i < chooser->lstChart->count(); ++i) {
                shown << chooser->lstChart->item(i)->text();
            }
            act(chooser);
        });
    }

    // The wizard on the Finish page, logged in to the company, uploads off.
    void readyToFinish(TfrmMain& form) {
        window.attach(&form);
        form.LogFileName = dir / "WizardDebug.log";
        form.CompanyName = "Acme";
        form.NoUpload = true;
        form.SageObj = std::move(sage);
        form.LoggedIn = true;
        window.setActivePage(tabOptions);
        form.UpdateButtons();
    }
};

TEST_F(ChartChooserInTheWindow, TheClickedChartIsLoaded) {
    whenChooserShows([](TfrmChartSelect* chooser) {
        QListWidget* list = chooser->lstChart;
        const QRect second = list->visualItemRect(list->item(1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
        QTest::keyClick(chooser, Qt::Key_Return);  // OK is the default button
    });
    sage->LoadChartCategories(window);
    EXPECT_EQ(shown, (QStringList{"1 - Standard", "2 - Charity"}));
    EXPECT_EQ(sage->NominalCategory("1200"), "Cash at Bank");  // chart 2's title
    EXPECT_EQ(sage->NominalCategory("1100"), "");
}

TEST_F(ChartChooserInTheWindow, TheCloseBoxTakesTheHighlightedChartToo) {
    whenChooserShows([](TfrmChartSelect* chooser) {
        chooser->lstChart->setCurrentRow(0);
        chooser->close();
    });
    sage->LoadChartCategories(window);
    EXPECT_EQ(sage->NominalCategory("1100"), "Current Assets");  // chart 1's title
}

TEST_F(ChartChooserInTheWindow, OkWithNothingHighlightedIsAnError) {
    whenChooserShows([](TfrmChartSelect* chooser) { chooser->Button1->click(); });
    try {
        sage->LoadChartCategories(window);
        FAIL() << "no chart was highlighted";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), NoChartChosenMessage);
    }
    EXPECT_EQ(shown.size(), 2);
    EXPECT_TRUE(sage->Categories.empty());
}

TEST_F(ChartChooserInTheWindow, FinishRunsTheExportWithTheChooserOnTheWay) {
    TfrmMain form(window, system);
    readyToFinish(form);
    whenChooserShows([](TfrmChartSelect* chooser) {
        chooser->lstChart->setCurrentRow(1);
        chooser->Button1->click();
    });
    window.findChild<QPushButton*>("cmdFinish")->click();
    EXPECT_EQ(shown, (QStringList{"1 - Standard", "2 - Charity"}));
    const QString memo = window.findChild<QPlainTextEdit*>("txtStatus")->toPlainText();
    EXPECT_TRUE(memo.startsWith("Getting Chart of Accounts Categories...\n")) << memo.toStdString();
    EXPECT_TRUE(memo.contains("Export from Sage Complete!")) << memo.toStdString();
    EXPECT_FALSE(window.findChild<QPushButton*>("cmdFinish")->isEnabled());
    EXPECT_FALSE(window.findChild<QPushButton*>("cmdBack")->isEnabled());
    EXPECT_TRUE(FileExists(dir / "Acme_09122025_1405.zip"));
}

// OK with no chart picked: the message, then Finish and Back work again and
// the second Finish shows the chooser anew (no dead end with both disabled).
TEST_F(ChartChooserInTheWindow, NoChartPickedLetsTheUserPickAgainWithFinish) {
    TfrmMain form(window, system);
    readyToFinish(form);
    auto* finish = window.findChild<QPushButton*>("cmdFinish");
    auto* back = window.findChild<QPushButton*>("cmdBack");
    test::SeenBox report;
    whenChooserShows([&report](TfrmChartSelect* chooser) {
        chooser->Button1->click();
        test::AnswerMessageBox(&report, "OK");
    });
    finish->click();
    EXPECT_EQ(report.text, "No chart of accounts was selected.");
    EXPECT_EQ(report.title, ApplicationTitle);
    EXPECT_TRUE(finish->isEnabled());
    EXPECT_TRUE(back->isEnabled());
    EXPECT_FALSE(window.isVisible("txtStatus"));
    EXPECT_FALSE(FileExists(dir / "Acme_09122025_1405.zip")) << "no archive of the stopped run";
    EXPECT_TRUE(form.SageObj->Categories.empty());

    whenChooserShows([](TfrmChartSelect* chooser) {
        chooser->lstChart->setCurrentRow(1);
        chooser->Button1->click();
    });
    finish->click();
    EXPECT_EQ(shown, (QStringList{"1 - Standard", "2 - Charity", "1 - Standard", "2 - Charity"}));
    const QString memo = window.findChild<QPlainTextEdit*>("txtStatus")->toPlainText();
    EXPECT_TRUE(memo.startsWith("Getting Chart of Accounts Categories...\n")) << memo.toStdString();
    EXPECT_EQ(memo.count("Getting Chart of Accounts Categories..."), 1);
    EXPECT_TRUE(memo.contains("Export from Sage Complete!")) << memo.toStdString();
    EXPECT_FALSE(finish->isEnabled());
    EXPECT_TRUE(FileExists(dir / "Acme_09122025_1405.zip"));
    EXPECT_TRUE(form.Closed());  // the run ended as a run without upload does
}

}  // namespace
}  // namespace quillmere
