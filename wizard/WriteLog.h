#pragma once
#include <string>

namespace quillmere {

// Appends `message` and CR LF to the diagnostic log at `path`, creating the
// file when it is missing. The file is opened and closed on every call, so
// each line is on disk when the call returns. A failure raises EInOutError.
void WriteLog(const std::string& path, const std::string& message);

}  // namespace quillmere
