#pragma once
// The chart chooser's items and how a chart number is read back from one.
#include <string>
#include <vector>

#include "platform/Exceptions.h"

namespace quillmere {

// The chooser's item for a chart: its number text trimmed, " - ", its name
// as it is ("1 - Standard").
std::string ChartItemText(const std::string& chartText, const std::string& name);

// The chart number of an item: the text before its first "-", trimmed of
// characters 0 to 32, as a decimal 32-bit integer. Raises an Exception naming
// the text when it is no such number.
int ChartNumberOfItem(const std::string& item);

// The charts a company offers: `items` ("1 - Standard", ...) when there are
// several to choose from; otherwise the only chart's number (0 for none)
// and the name the run shows for it.
struct ChartChoices {
    std::vector<std::string> items;
    int only = 0;
    std::string onlyItem;
};

// The error when the chooser closes with no chart highlighted.
inline constexpr const char* NoChartChosenMessage = "No chart of accounts was selected";

// Raised with NoChartChosenMessage: nothing has been exported yet, so the
// export run can be started again and the chart picked then.
class ENoChartChosen : public Exception {
  public:
    ENoChartChosen() : Exception(NoChartChosenMessage) {}
};

}  // namespace quillmere
