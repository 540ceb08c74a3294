#pragma once
// TfrmSelectCompany: "Company Selection...", the grid of a Sage
// installation's companies (name and directory columns, which the user can
// widen) with "Open" (default) and "Cancel".
#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillmere {

class TfrmSelectCompany {
  public:
    // Shows the rows (at least four, the first selected) modally over
    // `owner`. The selected grid row (1 = the first under the header, may be
    // an empty row) when closed with Open or a double click, else nothing.
    static std::optional<int> Execute(HWND owner,
                                      const std::vector<std::pair<std::string, std::string>>& rows);
};

}  // namespace quillmere
