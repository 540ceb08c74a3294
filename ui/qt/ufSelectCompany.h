#pragma once
// TfrmSelectCompany: the company chooser. A grid of the companies found
// (name, data directory) under a fixed header row; Open (or Enter, or a
// double-click) confirms the selected row, Cancel (or Escape, or the close
// box) cancels.
#include <QDialog>
#include <string>
#include <utility>
#include <vector>

class QGroupBox;
class QPushButton;
class QTableWidget;

namespace quillmere {

class TfrmSelectCompany : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmSelectCompany(QWidget* parent = nullptr);

    // Fills the grid: one row per company, at least four rows, the first
    // row selected.
    void SetCompanies(const std::vector<std::pair<std::string, std::string>>& rows);
    // The selected row, counted as the grid counts it: 1 is the first row
    // under the header.
    int SelectedRow() const;

    QGroupBox* GroupBox1 = nullptr;
    QTableWidget* grdCompany = nullptr;
    QPushButton* cmdOpen = nullptr;
    QPushButton* cmdCancel = nullptr;

  private:
    void FormCreate();
    void grdCompanyDblClick();
    // Widens the columns to their longest entries, and the grid with them.
    void SizeColumns();
};

}  // namespace quillmere
