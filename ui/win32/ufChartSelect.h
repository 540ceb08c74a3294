#pragma once
// TfrmChartSelect: "Select Chart of Accounts...", the choice among a
// company's charts. No Cancel button: "&OK" and the close box both end it.
#include <windows.h>

#include <string>
#include <vector>

namespace quillmere {

class TfrmChartSelect {
  public:
    // Shows the chart items, none highlighted, modally over `owner`; the
    // index of the highlighted item when it closes, -1 when none is.
    static int Execute(HWND owner, const std::vector<std::string>& items);
};

}  // namespace quillmere
