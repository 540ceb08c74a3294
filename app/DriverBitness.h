#pragma once
// A Windows process loads only ODBC drivers of its own bitness. Sage's
// drivers up to version 29 are 32-bit; from version 30 there are 64-bit ones
// too. When the driver manager reports the mismatch (SQLSTATE IM014) the
// login says which build of the wizard to run instead.
#include <optional>
#include <string>

namespace quillmere {

// The bitness of this program: 32 or 64.
inline constexpr int ProgramBits = static_cast<int>(sizeof(void*) * 8);

// The message for a login that failed with `sqlState`, when that state is the
// driver manager's architecture mismatch; nothing otherwise.
std::optional<std::string> ArchitectureMismatchMessage(const std::string& sqlState,
                                                       int programBits);

// The log line written for it.
std::string ArchitectureMismatchLogLine(int programBits);

}  // namespace quillmere
