// The ANSI code page of Windows (CP_ACP), through UTF-16.
#include "platform/SystemCodePage.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace quillmere {

std::string SystemCodePageFromUtf8(std::string_view text) {
    const UINT codePage = GetACP();
    if (codePage == CP_UTF8 || text.empty()) {
        return std::string(text);
    }
    const std::wstring wide = win32::Wide(text);
    // No "best fit" (an "a" for an "ā"): a character the code page lacks is
    // the code page's default character, as in the tables.
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    const int n = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) {
        WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), out.data(),
                            n, "?", nullptr);
    }
    return out;
}

}  // namespace quillmere
