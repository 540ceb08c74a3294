#include "ui/win32/ufChartSelect.h"

#include "ui/win32/Resource.h"
#include "ui/win32/WideText.h"

namespace quillmere {

namespace {

struct State {
    const std::vector<std::string>* items;
    int highlighted = -1;
};

INT_PTR CALLBACK ChartSelectProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dlg, DWLP_USER, lp);
            auto* state = reinterpret_cast<State*>(lp);
            HWND list = GetDlgItem(dlg, IDC_LSTCHART);
            for (const std::string& item : *state->items) {
                SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
            }
            return TRUE;
        }
        case WM_COMMAND:
            // OK, Enter, Escape and the close box all close it; the
            // highlighted item is the answer.
            if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
                auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(dlg, DWLP_USER));
                state->highlighted = static_cast<int>(
                    SendMessageW(GetDlgItem(dlg, IDC_LSTCHART), LB_GETCURSEL, 0, 0));
                EndDialog(dlg, LOWORD(wp));
            }
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

int TfrmChartSelect::Execute(HWND owner, const std::vector<std::string>& items) {
    State state{&items};
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CHARTSELECT), owner,
                    ChartSelectProc, reinterpret_cast<LPARAM>(&state));
    return state.highlighted < 0 ? -1 : state.highlighted;
}

}  // namespace quillmere
