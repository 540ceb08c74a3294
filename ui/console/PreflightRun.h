#pragma once
// quillmere-export --check: the pre-flight checklist on standard output.
#include <ostream>
#include <string>

#include "app/ExportCommandLine.h"
#include "platform/System.h"

namespace quillmere {

// Prints one line per check as it completes; 0 when every check holds,
// 1 otherwise. The login is tried only when a password was given.
int RunPreflight(const ExportOptions& options, const std::string& password, System& system,
                 std::ostream& out);

}  // namespace quillmere
