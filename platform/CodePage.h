#pragma once
// Conversions between the program's texts (UTF-8 on screen, UTF-16 from the
// ODBC driver) and Windows-1252, the 8-bit code page of the Sage files and
// of the tables the program writes.
#include <string>
#include <string_view>

namespace quillmere {

// UTF-16 to Windows-1252; a character the code page lacks becomes "?".
std::string Cp1252FromUtf16(std::u16string_view text);
// The same, appended to `out`; the number of characters written as "?"
// because the code page lacks them.
std::size_t AppendCp1252FromUtf16(std::string& out, std::u16string_view text);

// UTF-8 to Windows-1252; a character the code page lacks becomes "?".
std::string Cp1252FromUtf8(std::string_view text);

// Windows-1252 to UTF-8 (every byte has a character).
std::string Utf8FromCp1252(std::string_view text);

std::u16string Utf16FromUtf8(std::string_view text);
std::string Utf8FromUtf16(std::u16string_view text);

}  // namespace quillmere
