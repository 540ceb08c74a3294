#pragma once
// The formatted labels of the wizard's pages: a window class that draws its
// text line by line in the dialog's font, wrapping long lines. A line written
// "<b>...</b>" is drawn in bold, a line starting "<li>" as a bulleted item;
// with the style FTS_BOLD every line is bold. Lines break at CR, LF or CR LF.
#include <windows.h>

namespace quillmere {

// Registers the window class FORMATTED_TEXT_CLASS once per process.
void RegisterFormattedText(HINSTANCE instance);

}  // namespace quillmere
