#include "ui/win32/ufDirSelect.h"

#include "ui/win32/Resource.h"
#include "ui/win32/WideText.h"

namespace quillmere {

namespace {

struct State {
    const std::vector<std::string>* directories;
    int selected = -1;
};

// Keeps the panel on top, the button at the lower right and the list filling
// the space between them.
void Layout(HWND dlg) {
    RECT client;
    GetClientRect(dlg, &client);
    RECT m{7, 7, 50, 14};  // margin, margin, button width, button height
    MapDialogRect(dlg, &m);
    HWND panel = GetDlgItem(dlg, IDC_PANEL2);
    HWND list = GetDlgItem(dlg, IDC_LISTBOX1);
    HWND ok = GetDlgItem(dlg, IDOK);
    RECT p;
    GetWindowRect(panel, &p);
    const int panelHeight = p.bottom - p.top;
    const int buttonTop = client.bottom - m.top - m.bottom;
    MoveWindow(panel, m.left, m.top, client.right - 2 * m.left, panelHeight, TRUE);
    MoveWindow(list, m.left, m.top + panelHeight + m.top / 2, client.right - 2 * m.left,
               buttonTop - m.top / 2 - (m.top + panelHeight + m.top / 2), TRUE);
    MoveWindow(ok, client.right - m.left - m.right, buttonTop, m.right, m.bottom, TRUE);
}

INT_PTR CALLBACK DirSelectProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dlg, DWLP_USER, lp);
            auto* state = reinterpret_cast<State*>(lp);
            HWND list = GetDlgItem(dlg, IDC_LISTBOX1);
            for (const std::string& dir : *state->directories) {
                SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(dir).c_str()));
            }
            if (!state->directories->empty()) {
                SendMessageW(list, LB_SETCURSEL, 0, 0);
            }
            Layout(dlg);
            return TRUE;
        }
        case WM_SIZE:
            Layout(dlg);
            return TRUE;
        case WM_COMMAND: {
            auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(dlg, DWLP_USER));
            if (LOWORD(wp) == IDOK) {
                state->selected = static_cast<int>(
                    SendMessageW(GetDlgItem(dlg, IDC_LISTBOX1), LB_GETCURSEL, 0, 0));
                EndDialog(dlg, IDOK);
            } else if (LOWORD(wp) == IDCANCEL) {
                EndDialog(dlg, IDCANCEL);  // the close box
            }
            return TRUE;
        }
        default:
            return FALSE;
    }
}

}  // namespace

std::optional<int> TfrmDirSelect::Execute(HWND owner, const std::vector<std::string>& directories) {
    State state{&directories};
    const INT_PTR result =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_DIRSELECT), owner,
                        DirSelectProc, reinterpret_cast<LPARAM>(&state));
    if (result != IDOK) {
        return std::nullopt;
    }
    return state.selected;
}

}  // namespace quillmere
