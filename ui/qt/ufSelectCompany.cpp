#include "ui/qt/ufSelectCompany.h"

#include <algorithm>

#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

namespace quillmere {

namespace {

constexpr int NameWidth = 116;
constexpr int DirectoryWidth = 361;
constexpr int RowHeight = 18;
constexpr int MinimumRows = 4;   // under the header
constexpr int CellPadding = 12;  // the text's margins inside a cell

}  // namespace

TfrmSelectCompany::TfrmSelectCompany(QWidget* parent) : QDialog(parent) {
    setObjectName("frmSelectCompany");
    setWindowTitle("Company Selection...");
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSize(8);
    setFont(tahoma);

    GroupBox1 = new QGroupBox("Current List", this);
    GroupBox1->setObjectName("GroupBox1");
    grdCompany = new QTableWidget(MinimumRows, 2, GroupBox1);
    grdCompany->setObjectName("grdCompany");
    grdCompany->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdCompany->setSelectionMode(QAbstractItemView::SingleSelection);
    grdCompany->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdCompany->verticalHeader()->hide();
    grdCompany->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdCompany->verticalHeader()->setDefaultSectionSize(RowHeight);
    grdCompany->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdCompany->setColumnWidth(0, NameWidth);
    grdCompany->setColumnWidth(1, DirectoryWidth);
    grdCompany->setMinimumSize(NameWidth + DirectoryWidth + 24, RowHeight * 7);
    auto* frame = new QVBoxLayout(GroupBox1);
    frame->addWidget(grdCompany);

    cmdOpen = new QPushButton("Open", this);
    cmdOpen->setObjectName("cmdOpen");
    cmdOpen->setDefault(true);
    cmdCancel = new QPushButton("Cancel", this);
    cmdCancel->setObjectName("cmdCancel");
    cmdCancel->setAutoDefault(false);
    connect(cmdOpen, &QPushButton::clicked, this, &QDialog::accept);
    // Escape and the close box reject the dialog as Cancel does.
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(grdCompany, &QTableWidget::cellDoubleClicked, this, [this] { grdCompanyDblClick(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOpen);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    FormCreate();
}

void TfrmSelectCompany::FormCreate() {
    grdCompany->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Directory")});
    grdCompany->setCurrentCell(0, 0);
    grdCompany->selectRow(0);
}

void TfrmSelectCompany::SetCompanies(const std::vector<std::pair<std::string, std::string>>& rows) {
    const int count = std::max(MinimumRows, static_cast<int>(rows.size()));
    grdCompany->clearContents();
    grdCompany->setRowCount(count);
    for (int r = 0; r < count; ++r) {
        const bool filled = r < static_cast<int>(rows.size());
        grdCompany->setItem(
            r, 0, new QTableWidgetItem(filled ? QString::fromStdString(rows[r].first) : QString()));
        grdCompany->setItem(
            r, 1,
            new QTableWidgetItem(filled ? QString::fromStdString(rows[r].second) : QString()));
    }
    grdCompany->setCurrentCell(0, 0);
    grdCompany->selectRow(0);
    SizeColumns();
}

void TfrmSelectCompany::SizeColumns() {
    // Each column as wide as its longest entry (at least its own width), so
    // no name or directory is cut; the dialog grows to show them, up to the
    // screen's width (beyond it the grid scrolls).
    const QFontMetrics metrics(grdCompany->font());
    const int widths[] = {NameWidth, DirectoryWidth};
    int total = 0;
    for (int column = 0; column < 2; ++column) {
        int width = widths[column];
        for (int row = 0; row < grdCompany->rowCount(); ++row) {
            if (const QTableWidgetItem* item = grdCompany->item(row, column)) {
                width = std::max(width, metrics.horizontalAdvance(item->text()) + CellPadding);
            }
        }
        grdCompany->setColumnWidth(column, width);
        total += width;
    }
    int frame = 2 * grdCompany->frameWidth() + 24;  // room for a vertical scroll bar
    int wanted = total + frame;
    if (const QScreen* screen = this->screen()) {
        wanted = std::min(wanted, screen->availableGeometry().width() - 80);
    }
    grdCompany->setMinimumWidth(std::max(wanted, NameWidth + DirectoryWidth + 24));
}

int TfrmSelectCompany::SelectedRow() const {
    const int row = grdCompany->currentRow();
    return row < 0 ? 1 : row + 1;
}

void TfrmSelectCompany::grdCompanyDblClick() {
    accept();
}

}  // namespace quillmere
