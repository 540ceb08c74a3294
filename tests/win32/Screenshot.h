#pragma once
// Pictures of windows for a person to look at: what the screen shows inside
// a window's rectangle, saved as a PNG file.
#include <windows.h>

#include <string>

namespace quillmere::test {

// Saves the window (with its frame) as it is on screen; false when the
// picture cannot be taken or written.
bool SaveScreenshot(HWND window, const std::string& pngPath);

}  // namespace quillmere::test
