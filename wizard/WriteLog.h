#pragma once
#include <string>

namespace quillmere {

// Appends `message` (UTF-8) and CR LF to the diagnostic log at `path`, in the
// system's 8-bit code page (on Windows the ANSI code page, as other Windows
// programs read the file), creating the file when it is missing. The file is
// opened and closed on every call, so each line is on disk when the call
// returns. A failure raises EInOutError.
void WriteLog(const std::string& path, const std::string& message);

}  // namespace quillmere
