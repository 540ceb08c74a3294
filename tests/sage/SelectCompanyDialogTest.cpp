// The company chooser and the login page's buttons in the real window, on
// the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "app/ufMain.h"
#include "support/FakeSystem.h"
#include "support/TempDir.h"
#include "support/qt/QtTestApp.h"
#include "ui/qt/QtWizardWindow.h"
#include "ui/qt/ufSelectCompany.h"

namespace quillmere {
namespace {

using test::QtTestApp;

// Runs `act` on the modal dialog once it shows.
void OnModal(std::function<void(QWidget*)> act) {
    test::WhenModalShows(std::move(act));
}

using Rows = std::vector<std::pair<std::string, std::string>>;

TEST(SelectCompanyDialog, LooksAsTheChooserShould) {
    QtTestApp();
    TfrmSelectCompany dialog;
    dialog.SetCompanies({{"Alpha", "/data/a/ACCDATA"}, {"Beta", "/data/My_Sage/ACCDATA"}});
    EXPECT_EQ(dialog.windowTitle(), "Company Selection...");
    EXPECT_EQ(dialog.GroupBox1->title(), "Current List");
    QTableWidget* grid = dialog.grdCompany;
    EXPECT_EQ(grid->objectName(), "grdCompany");
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), "Name");
    EXPECT_EQ(grid->horizontalHeaderItem(1)->text(), "Directory");
    EXPECT_EQ(grid->columnWidth(0), 116);
    EXPECT_EQ(grid->columnWidth(1), 361);
    EXPECT_EQ(grid->rowCount(), 4);  // five with the header row
    EXPECT_EQ(grid->rowHeight(0), 18);
    EXPECT_EQ(grid->item(1, 1)->text(), "/data/My_Sage/ACCDATA");
    EXPECT_EQ(grid->item(3, 0)->text(), "");
    EXPECT_EQ(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(grid->currentRow(), 0);
    EXPECT_EQ(dialog.SelectedRow(), 1);
    EXPECT_EQ(dialog.cmdOpen->text(), "Open");
    EXPECT_TRUE(dialog.cmdOpen->isDefault());
    EXPECT_EQ(dialog.cmdCancel->text(), "Cancel");

    Rows six;
    for (int i = 1; i <= 6; ++i) {
        six.emplace_back("Co " + std::to_string(i), "/d" + std::to_string(i));
    }
    dialog.SetCompanies(six);
    EXPECT_EQ(grid->rowCount(), 6);  // seven with the header row
    EXPECT_EQ(grid->item(5, 0)->text(), "Co 6");

    // Long entries widen their columns, and the grid shows them whole
    // without the user dragging a border.
    const std::string name = "Brook & Vale / Harrowgate Joinery Ltd";
    const std::string directory =
        "/srv/sage/accounts/2016/Brook and Vale Harrowgate/COMPANY.003/ACCDATA";
    dialog.SetCompanies({{"Alpha", "/a/ACCDATA"}, {name, directory}});
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QFontMetrics metrics(grid->font());
    EXPECT_GT(grid->columnWidth(0), 116);
    EXPECT_GE(grid->columnWidth(0), metrics.horizontalAdvance(QString::fromStdString(name)));
    EXPECT_GE(grid->columnWidth(1), metrics.horizontalAdvance(QString::fromStdString(directory)));
    EXPECT_GE(grid->viewport()->width(), grid->columnWidth(0) + grid->columnWidth(1));
    dialog.hide();
}

class WindowChooser : public ::testing::Test {
  protected:
    QApplication& app = QtTestApp();
    test::TempDir dir;
    test::FakeSystem system{dir.path() + "/"};
    QtWizardWindow window;
    TfrmMain form{window, system};
    Rows rows{{"Alpha", "/a/ACCDATA"}, {"Beta", "/b/ACCDATA"}};
};

TEST_F(WindowChooser, EnterOpensTheSelectedRowAndEscapeCancels) {
    OnModal([](QWidget* w) {
        auto* grid = w->findChild<QTableWidget*>("grdCompany");
        grid->setCurrentCell(1, 0);
        QTest::keyClick(w, Qt::Key_Return);
    });
    EXPECT_EQ(window.chooseCompany(rows), std::optional<int>(2));

    OnModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    EXPECT_EQ(window.chooseCompany(rows), std::nullopt);

    OnModal([](QWidget* w) { w->findChild<QPushButton*>("cmdCancel")->click(); });
    EXPECT_EQ(window.chooseCompany(rows), std::nullopt);
}

TEST_F(WindowChooser, DoubleClickConfirmsTheRowEvenAnEmptyOne) {
    OnModal([](QWidget* w) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
        auto* grid = w->findChild<QTableWidget*>("grdCompany");
        grid->setCurrentCell(3, 0);
        const QRect cell = grid->visualItemRect(grid->item(3, 0));
        // A double click is a click followed by the double-click event, as
        // the window system delivers it.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    });
    EXPECT_EQ(window.chooseCompany(rows), std::optional<int>(4));
}

TEST_F(WindowChooser, TheLoginPageButtonsReachTheirHandlers) {
    window.attach(&form);
    form.LogFileName = dir / "WizardDebug.log";
    form.SageObj = std::make_unique<TSageObject>(17);
    form.SageObj->HomeDir = dir / "home";
    dir.write("co/ACCDATA/SETUP.DTA", "abcAcme Ltd");
    dir.write("home/COMPANY", (dir / "co") + "\r\n");

    window.findChild<QPushButton*>("cmdCompanySelect")->click();
    EXPECT_EQ(window.findChild<QLineEdit*>("txtCompanySelect")->text(), "Acme Ltd");
    EXPECT_EQ(form.CompanyPath, (dir / "co") + "/ACCDATA");

    form.CompanyPath.clear();
    std::string shown;
    OnModal([&shown](QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            shown = box->text().toStdString();
            box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click()
                                         : box->buttons().front()->click();
        }
    });
    window.findChild<QPushButton*>("cmdLogin")->click();
    EXPECT_EQ(shown, "No Company Selected");
    EXPECT_EQ(test::FileText(form.LogFileName),
              "Start company selection\r\nLogin attempted with no company selected\r\n");
}

}  // namespace
}  // namespace quillmere
