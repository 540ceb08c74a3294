#pragma once
// The program's texts are UTF-8; Windows' own calls take UTF-16. These
// convert at the edge, where a Windows call is made.
#include <string>
#include <string_view>

namespace quillmere::win32 {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// The text of a Windows error code (FormatMessageW), without its line break.
std::string ErrorText(unsigned long code);

}  // namespace quillmere::win32
