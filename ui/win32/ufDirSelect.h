#pragma once
// TfrmDirSelect: "Select Directory", the chooser among the directories that a
// scan found. Resizable; "&OK" is the default button.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace quillmere {

class TfrmDirSelect {
  public:
    // Shows the directories, the first selected, modally over `owner`. The
    // selected index when closed with OK, nothing when closed otherwise.
    static std::optional<int> Execute(HWND owner, const std::vector<std::string>& directories);
};

}  // namespace quillmere
