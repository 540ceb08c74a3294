#pragma once
// TfrmChartSelect: the chart chooser, shown when a company holds more than
// one chart of accounts. A list of the charts and an OK button; there is no
// Cancel: OK, Enter, Escape and the close box all just close it, and the
// caller reads which item is highlighted.
#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace quillmere {

class TfrmChartSelect : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmChartSelect(QWidget* parent = nullptr);

    // One item per chart, in order; none highlighted.
    void SetCharts(const std::vector<std::string>& items);
    // The index of the highlighted item, -1 when none is.
    int HighlightedIndex() const;

    QLabel* Label1 = nullptr;
    QListWidget* lstChart = nullptr;
    QPushButton* Button1 = nullptr;
};

}  // namespace quillmere
