#pragma once
// The window's texts: UTF-8 inside the program, UTF-16 at the Windows calls.
#include <string>
#include <string_view>

namespace quillmere {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// Line breaks as Windows controls show them: every CR, LF or CR LF becomes
// CR LF.
std::wstring WindowsLines(std::string_view utf8);

// The text of a window (a control, a dialog, a message box's text).
std::wstring WindowText(void* hwnd);

}  // namespace quillmere
