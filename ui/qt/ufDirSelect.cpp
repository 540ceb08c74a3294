#include "ui/qt/ufDirSelect.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillmere {

TfrmDirSelect::TfrmDirSelect(QWidget* parent) : QDialog(parent) {
    setObjectName("frmDirSelect");
    setWindowTitle("Select Directory");
    setSizeGripEnabled(true);
    resize(420, 260);

    auto* panel2 = new QLabel("More than one directory found please specify which one", this);
    panel2->setObjectName("Panel2");
    panel2->setAlignment(Qt::AlignCenter);
    panel2->setFrameShape(QFrame::Panel);
    panel2->setMinimumHeight(32);

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);

    auto* button1 = new QPushButton("&OK", this);
    button1->setObjectName("Button1");
    button1->setDefault(true);
    connect(button1, &QPushButton::clicked, this, &QDialog::accept);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(button1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel2);
    layout->addWidget(ListBox1, 1);
    layout->addLayout(bottom);
}

}  // namespace quillmere
