#include "ui/qt/ufChartSelect.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillmere {

TfrmChartSelect::TfrmChartSelect(QWidget* parent) : QDialog(parent) {
    setObjectName("frmChartSelect");
    setWindowTitle("Select Chart of Accounts...");
    QFont tahoma(QStringLiteral("Tahoma"));
    tahoma.setPointSize(8);
    setFont(tahoma);

    Label1 = new QLabel(
        "More than one chart of accounts has been found, please select \nwhich one to use:", this);
    Label1->setObjectName("Label1");
    lstChart = new QListWidget(this);
    lstChart->setObjectName("lstChart");
    lstChart->setSelectionMode(QAbstractItemView::SingleSelection);
    lstChart->setFixedSize(300, 120);
    Button1 = new QPushButton("&OK", this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(lstChart);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmChartSelect::SetCharts(const std::vector<std::string>& items) {
    lstChart->clear();
    for (const std::string& item : items) {
        lstChart->addItem(QString::fromStdString(item));
    }
    lstChart->clearSelection();
}

int TfrmChartSelect::HighlightedIndex() const {
    // The highlighted item is the selected one: a focus frame alone (the
    // list's current item before any choice) highlights nothing.
    const QList<QListWidgetItem*> selected = lstChart->selectedItems();
    return selected.isEmpty() ? -1 : lstChart->row(selected.front());
}

}  // namespace quillmere
