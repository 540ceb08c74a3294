// The ANSI code page of Windows (CP_ACP), through UTF-16.
#include "platform/SystemCodePage.h"

#include <windows.h>

#include "platform/CodePage.h"
#include "platform/win32/WideText.h"

namespace quillmere {

namespace {

// Appends `wide` in the code page and empties it. No "best fit" (an "a" for
// an "ā"): a character the code page lacks is "?", as in the tables.
void AppendInCodePage(UINT codePage, std::wstring& wide, std::string& out) {
    if (wide.empty()) {
        return;
    }
    const int size = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0,
                                      nullptr, nullptr);
    if (n > 0) {
        const std::size_t at = out.size();
        out.resize(at + static_cast<std::size_t>(n));
        WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data() + at, n,
                            "?", nullptr);
    }
    wide.clear();
}

}  // namespace

std::string SystemCodePageFromUtf8(std::string_view text) {
    const UINT codePage = GetACP();
    if (codePage == CP_UTF8 || text.empty()) {
        return std::string(text);
    }
    // Utf16FromUtf8 gives one U+FFFD for each byte that is no UTF-8; such a
    // byte (text read from a file in the code page already) is written as it
    // is. Walking the UTF-16 text, each character tells how many bytes it
    // came from.
    const std::u16string wide = Utf16FromUtf8(text);
    std::string out;
    std::wstring run;
    std::size_t at = 0;
    for (std::size_t k = 0; k < wide.size(); ++k) {
        const char16_t c = wide[k];
        if (c == u'\uFFFD' && text.substr(at, 3) != "\xEF\xBF\xBD") {
            AppendInCodePage(codePage, run, out);
            out += text[at++];
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && k + 1 < wide.size()) {
            // Beyond the BMP: no ANSI code page has it, and it is one "?" as
            // in the tables (Windows would write one for each half).
            AppendInCodePage(codePage, run, out);
            out += '?';
            ++k;
            at += 4;
            continue;
        }
        run += static_cast<wchar_t>(c);
        at += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
    }
    AppendInCodePage(codePage, run, out);
    return out;
}

std::string Utf8FromSystemCodePage(std::string_view text) {
    const UINT codePage = GetACP();
    const int size = static_cast<int>(text.size());
    if (codePage == CP_UTF8 || text.empty() ||
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0) > 0) {
        return std::string(text);
    }
    const int n = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), n);
    }
    return win32::Utf8(wide);
}

}  // namespace quillmere
