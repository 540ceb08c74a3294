#pragma once
// TfrmDirSelect: asks which of several found Sage home directories to use.
#include <QDialog>

class QListWidget;

namespace quillmere {

class TfrmDirSelect : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmDirSelect(QWidget* parent = nullptr);

    QListWidget* ListBox1 = nullptr;
};

}  // namespace quillmere
