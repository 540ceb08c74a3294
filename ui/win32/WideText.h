#pragma once
// The window's texts: UTF-8 inside the program, UTF-16 at the Windows calls
// (platform/win32 converts), with line breaks as Windows controls show them.
#include <string>
#include <string_view>

#include "platform/win32/WideText.h"

namespace quillmere {

using win32::Utf8;
using win32::Wide;

// Line breaks as Windows controls show them: every CR, LF or CR LF becomes
// CR LF.
std::wstring WindowsLines(std::string_view utf8);

// The text of a window (a control, a dialog, a message box's text).
std::wstring WindowText(void* hwnd);

}  // namespace quillmere
