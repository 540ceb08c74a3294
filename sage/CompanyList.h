#pragma once
// The two Sage files that name the companies, read from their bytes: the
// COMPANY list (one company data directory per line) and a company's
// SETUP.DTA (its name). Both come from disk as they are, so both must take
// any bytes.
#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

// The company directories of a COMPANY list: its lines (ended by CR, LF or
// CR LF) without leading and trailing bytes 0 to 32; blank lines are left out.
// A line comes in the system's 8-bit code page (Utf8FromSystemCodePage): on
// Windows Sage writes the list in the ANSI code page.
std::vector<std::string> CompanyDirectories(std::string_view listText);

// The company name of a SETUP.DTA's bytes: the 60 bytes from offset 3 (fewer
// when there are fewer) without leading and trailing bytes 0 to 32, converted
// from Windows-1252 to UTF-8. Empty when the file holds no name.
std::string CompanyNameFromSetup(std::string_view setupBytes);

// The text with its control characters (C0 but the tab, DEL and the C1 range
// U+0080 to U+009F) shown as \xNN, so that a name read from a file cannot drive a
// terminal. UTF-8 in, UTF-8 out; a line break is escaped too.
std::string VisibleText(std::string_view text);

}  // namespace quillmere
