#include "ui/win32/FormattedText.h"

#include <string>
#include <vector>

#include "ui/win32/Resource.h"
#include "ui/win32/WideText.h"

namespace quillmere {

namespace {

// The fonts a label draws with: the dialog's, and a bold one made from it.
struct Fonts {
    HFONT normal = nullptr;
    HFONT bold = nullptr;
};

Fonts* FontsOf(HWND hwnd) {
    return reinterpret_cast<Fonts*>(GetWindowLongPtrW(hwnd, 0));
}

void SetFonts(HWND hwnd, HFONT font) {
    Fonts* fonts = FontsOf(hwnd);
    if (fonts->bold) {
        DeleteObject(fonts->bold);
        fonts->bold = nullptr;
    }
    fonts->normal = font;
    LOGFONTW lf{};
    if (font && GetObjectW(font, sizeof lf, &lf)) {
        lf.lfWeight = FW_BOLD;
        fonts->bold = CreateFontIndirectW(&lf);
    }
}

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines(1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' || text[i] == L'\n') {
            if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
                ++i;
            }
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    return lines;
}

bool StripMarkup(std::wstring& line, const wchar_t* open, const wchar_t* close) {
    const std::wstring o(open), c(close);
    if (line.compare(0, o.size(), o) != 0) {
        return false;
    }
    if (!c.empty() &&
        (line.size() < o.size() + c.size() || line.compare(line.size() - c.size(), c.size(), c))) {
        return false;
    }
    line = line.substr(o.size(), line.size() - o.size() - c.size());
    return true;
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(hwnd), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(hwnd)));
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));

    Fonts* fonts = FontsOf(hwnd);
    HFONT normal =
        fonts->normal ? fonts->normal : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HFONT bold = fonts->bold ? fonts->bold : normal;
    const bool allBold = (GetWindowLongW(hwnd, GWL_STYLE) & FTS_BOLD) != 0;
    HGDIOBJ old = SelectObject(dc, normal);
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    SIZE bulletSize{};
    GetTextExtentPoint32W(dc, L"\x2022", 1, &bulletSize);
    const int indent = bulletSize.cx + tm.tmAveCharWidth * 3;

    int y = client.top;
    for (std::wstring line : SplitLines(WindowText(hwnd))) {
        const bool isBold = StripMarkup(line, L"<b>", L"</b>") || allBold;
        const bool bullet = StripMarkup(line, L"<li>", L"");
        SelectObject(dc, isBold ? bold : normal);
        int left = client.left;
        if (bullet) {
            TextOutW(dc, left + tm.tmAveCharWidth, y, L"\x2022", 1);
            left += indent;
        }
        if (line.empty()) {
            y += tm.tmHeight;
            continue;
        }
        RECT r{left, y, client.right, client.bottom};
        const UINT format = DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX;
        RECT measure = r;
        DrawTextW(dc, line.c_str(), static_cast<int>(line.size()), &measure, format | DT_CALCRECT);
        DrawTextW(dc, line.c_str(), static_cast<int>(line.size()), &r, format);
        y += measure.bottom - measure.top;
    }
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK FormattedTextProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_NCCREATE:
            SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(new Fonts));
            break;
        case WM_NCDESTROY: {
            Fonts* fonts = FontsOf(hwnd);
            if (fonts && fonts->bold) {
                DeleteObject(fonts->bold);
            }
            delete fonts;
            SetWindowLongPtrW(hwnd, 0, 0);
            break;
        }
        case WM_SETFONT:
            SetFonts(hwnd, reinterpret_cast<HFONT>(wp));
            if (LOWORD(lp)) {
                InvalidateRect(hwnd, nullptr, TRUE);
            }
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(FontsOf(hwnd)->normal);
        case WM_SETTEXT: {
            const LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
            InvalidateRect(hwnd, nullptr, TRUE);
            return r;
        }
        case WM_ENABLE:
        case WM_STYLECHANGED:
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT fills the background
        case WM_PAINT:
            Paint(hwnd);
            return 0;
        case WM_NCHITTEST:
            return HTTRANSPARENT;  // a label: clicks reach the page behind it
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

void RegisterFormattedText(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(instance, L"" FORMATTED_TEXT_CLASS, &wc)) {
        return;
    }
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = FormattedTextProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = L"" FORMATTED_TEXT_CLASS;
    RegisterClassExW(&wc);
}

}  // namespace quillmere
