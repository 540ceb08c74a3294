#include "ui/win32/ufSelectCompany.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/win32/Resource.h"
#include "ui/win32/WideText.h"

namespace quillmere {

namespace {

constexpr int NameWidth = 116;       // pixels at 96 dots per inch
constexpr int DirectoryWidth = 361;  //
constexpr int RowHeight = 18;        //
constexpr int EmptyGridRows = 4;     // rows under the header of a new grid
constexpr int CellPadding = 16;      // a cell's margins around its text

struct State {
    const std::vector<std::pair<std::string, std::string>>* rows;
    int selected = 1;
    HIMAGELIST rowHeight = nullptr;
};

// Pixels at 96 dots per inch for the monitor the window is on: its own DPI
// where Windows tells it (Windows 10 and later), else the system's.
int Scaled(HWND hwnd, int pixels) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32"), "GetDpiForWindow")));
    int dpi = getDpiForWindow ? static_cast<int>(getDpiForWindow(hwnd)) : 0;
    if (dpi <= 0) {
        HDC dc = GetDC(hwnd);
        dpi = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(hwnd, dc);
    }
    return MulDiv(pixels, dpi, 96);
}

void AddColumn(HWND grid, int index, const wchar_t* title, int width) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(title);
    column.cx = width;
    ListView_InsertColumn(grid, index, &column);
}

void FillGrid(HWND grid, State& state) {
    ListView_SetExtendedListViewStyle(grid, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    // A list view's rows are as high as its small images.
    state.rowHeight = ImageList_Create(1, Scaled(grid, RowHeight), ILC_COLOR, 0, 1);
    ListView_SetImageList(grid, state.rowHeight, LVSIL_SMALL);
    AddColumn(grid, 0, L"Name", Scaled(grid, NameWidth));
    AddColumn(grid, 1, L"Directory", Scaled(grid, DirectoryWidth));
    const auto& rows = *state.rows;
    const size_t count = rows.size() < EmptyGridRows ? EmptyGridRows : rows.size();
    for (size_t r = 0; r < count; ++r) {
        std::wstring name = r < rows.size() ? Wide(rows[r].first) : std::wstring();
        std::wstring dir = r < rows.size() ? Wide(rows[r].second) : std::wstring();
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(r);
        item.pszText = name.data();
        const int index = ListView_InsertItem(grid, &item);
        ListView_SetItemText(grid, index, 1, dir.data());
    }
    ListView_SetItemState(grid, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

// Each column as wide as its longest entry (at least its own width), so no
// name or directory is cut; the dialog grows to show them, up to the width
// of the screen's work area (beyond it the grid scrolls).
void SizeColumns(HWND dlg, HWND grid) {
    int total = 0;
    for (int column = 0; column < 2; ++column) {
        int width = ListView_GetColumnWidth(grid, column);
        wchar_t text[MAX_PATH] = {};
        for (int row = 0; row < ListView_GetItemCount(grid); ++row) {
            ListView_GetItemText(grid, row, column, text, MAX_PATH);
            width =
                std::max(width, ListView_GetStringWidth(grid, text) + Scaled(grid, CellPadding));
        }
        ListView_SetColumnWidth(grid, column, width);
        total += width;
    }
    RECT client;
    GetClientRect(grid, &client);
    const int rows = ListView_GetItemCount(grid);
    if (rows > ListView_GetCountPerPage(grid)) {
        total += GetSystemMetrics(SM_CXVSCROLL);
    }
    int extra = total - client.right;
    if (extra <= 0) {
        return;
    }
    RECT box;
    GetWindowRect(dlg, &box);
    HMONITOR monitor = MonitorFromWindow(dlg, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(monitor, &info);
    const RECT& work = info.rcWork;
    const int widest = static_cast<int>(work.right - work.left);
    if (box.right - box.left + extra > widest) {
        extra = widest - static_cast<int>(box.right - box.left);
    }
    if (extra <= 0) {
        return;
    }
    // Wider by `extra`, around the same centre, inside the work area.
    int left = static_cast<int>(box.left) - extra / 2;
    const int width = static_cast<int>(box.right - box.left) + extra;
    left =
        std::max(static_cast<int>(work.left), std::min(left, static_cast<int>(work.right) - width));
    SetWindowPos(dlg, nullptr, left, box.top, width, box.bottom - box.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    for (int id : {IDC_GROUPBOX1, IDC_GRDCOMPANY}) {
        HWND h = GetDlgItem(dlg, id);
        RECT r;
        GetWindowRect(h, &r);
        SetWindowPos(h, nullptr, 0, 0, r.right - r.left + extra, r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (int id : {IDOK, IDCANCEL}) {
        HWND h = GetDlgItem(dlg, id);
        RECT r;
        GetWindowRect(h, &r);
        MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
        SetWindowPos(h, nullptr, r.left + extra, r.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

int SelectedRow(HWND grid) {
    int index = ListView_GetNextItem(grid, -1, LVNI_SELECTED);
    if (index < 0) {
        index = ListView_GetNextItem(grid, -1, LVNI_FOCUSED);
    }
    return index < 0 ? 1 : index + 1;
}

INT_PTR CALLBACK SelectCompanyProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(dlg, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dlg, DWLP_USER, lp);
            FillGrid(GetDlgItem(dlg, IDC_GRDCOMPANY), *reinterpret_cast<State*>(lp));
            SizeColumns(dlg, GetDlgItem(dlg, IDC_GRDCOMPANY));
            SetFocus(GetDlgItem(dlg, IDC_GRDCOMPANY));
            return FALSE;  // the focus is set
        case WM_NOTIFY: {
            const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
            if (hdr->idFrom == IDC_GRDCOMPANY && hdr->code == NM_DBLCLK) {
                // grdCompanyDblClick: confirms the selected row.
                state->selected = SelectedRow(hdr->hwndFrom);
                EndDialog(dlg, IDOK);
            }
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                state->selected = SelectedRow(GetDlgItem(dlg, IDC_GRDCOMPANY));
                EndDialog(dlg, IDOK);
            } else if (LOWORD(wp) == IDCANCEL) {
                EndDialog(dlg, IDCANCEL);
            }
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

std::optional<int> TfrmSelectCompany::Execute(
    HWND owner, const std::vector<std::pair<std::string, std::string>>& rows) {
    State state{&rows};
    const INT_PTR result =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SELECTCOMPANY), owner,
                        SelectCompanyProc, reinterpret_cast<LPARAM>(&state));
    if (state.rowHeight) {
        ImageList_Destroy(state.rowHeight);
    }
    if (result != IDOK) {
        return std::nullopt;
    }
    return state.selected;
}

}  // namespace quillmere
