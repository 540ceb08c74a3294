#pragma once
// The system's 8-bit code page, in which the program's log is written and
// the Sage company list is read.
#include <string>
#include <string_view>

namespace quillmere {

// The program's UTF-8 text in the system's 8-bit code page. On Windows that
// is the ANSI code page (Windows-1252 on a Western European system): a
// character the code page lacks becomes "?", as in the tables, and a byte
// that is no UTF-8 (text that came in that code page) stays as it is. Where
// the system's 8-bit text is UTF-8 (Linux, or Windows set to UTF-8) the text
// stays as it is.
std::string SystemCodePageFromUtf8(std::string_view text);

// Text of a file in the system's 8-bit code page (the Sage company list) as
// UTF-8. On Windows that is the ANSI code page, unless the text is UTF-8
// already (a file written by a program that writes UTF-8); elsewhere the
// text stays as it is.
std::string Utf8FromSystemCodePage(std::string_view text);

}  // namespace quillmere
