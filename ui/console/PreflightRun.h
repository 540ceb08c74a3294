#pragma once
// quillmere-export --check: the pre-flight checklist on standard output.
#include <ostream>
#include <string>

#include "app/ExportCommandLine.h"
#include "platform/System.h"
#include "ui/console/HeadlessView.h"

namespace quillmere {

// Prints one line per check as it completes; 0 when every check holds,
// 1 otherwise, ExitInterrupted when an interrupt stopped it. The login is
// tried only when a password was given. `view` tells the interrupt and
// shows the wait for a slow driver.
int RunPreflight(const ExportOptions& options, const std::string& password, System& system,
                 HeadlessView& view, std::ostream& out);

}  // namespace quillmere
