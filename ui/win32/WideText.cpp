#include "ui/win32/WideText.h"

#include <windows.h>

namespace quillmere {

std::wstring WindowsLines(std::string_view utf8) {
    const std::wstring wide = Wide(utf8);
    std::wstring out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'\r') {
            out += L"\r\n";
            if (i + 1 < wide.size() && wide[i + 1] == L'\n') {
                ++i;
            }
        } else if (wide[i] == L'\n') {
            out += L"\r\n";
        } else {
            out += wide[i];
        }
    }
    return out;
}

std::wstring WindowText(void* hwnd) {
    HWND h = static_cast<HWND>(hwnd);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace quillmere
