#include "ui/win32/PreflightDialog.h"

#include "sage/SageReader.h"

#include <string>
#include <vector>

#include "ui/win32/Resource.h"
#include "ui/win32/WideText.h"

namespace quillmere {

namespace {

// Ends the checks once the dialog has closed. Not an exception of the
// program's own: the checks turn those into failed lines.
struct ChecksStopped {};

struct State {
    HWND owner = nullptr;
    bool closed = false;
};

void Append(HWND edit, const std::string& text) {
    const int length = GetWindowTextLengthW(edit);
    const std::wstring line = (length > 0 ? L"\r\n" : L"") + WindowsLines(text);
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(length), length);
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
    // The end of a long line scrolled the list sideways: the lines' heads
    // (ok, FAILED, the check's name) are what the user reads first.
    SendMessageW(edit, WM_HSCROLL, MAKEWPARAM(SB_LEFT, 0), 0);
}

INT_PTR CALLBACK CheckProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dlg, DWLP_USER, lp);
            SetFocus(GetDlgItem(dlg, IDCANCEL));
            return FALSE;  // the focus is set
        case WM_COMMAND:
            // Close, Enter, Escape and the close box end it at any time: the
            // window answers again at once.
            if (LOWORD(wp) == IDCANCEL || LOWORD(wp) == IDOK) {
                auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(dlg, DWLP_USER));
                if (!state->closed) {
                    state->closed = true;
                    if (state->owner) {
                        EnableWindow(state->owner, TRUE);
                    }
                    ShowWindow(dlg, SW_HIDE);
                }
            }
            return TRUE;
        default:
            return FALSE;
    }
}

// A fixed-pitch font, so that the checklist's columns line up.
HFONT ChecklistFont(HWND owner) {
    HDC dc = GetDC(owner);
    const int height = -MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(owner, dc);
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       FIXED_PITCH | FF_MODERN, L"Courier New");
}

// Handles one message for the dialog; false when the thread's loop is to
// end (WM_QUIT, posted again for the loop that waits for it).
bool Handle(HWND dlg, MSG& msg) {
    if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
    }
    if (!IsDialogMessageW(dlg, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

}  // namespace

void PreflightDialog::ShowWaitingText(HWND dialog, const std::string& text) {
    HWND line = GetDlgItem(dialog, IDC_CHECKWAITING);
    SetWindowTextW(line, Wide(text).c_str());
    ShowWindow(line, text.empty() ? SW_HIDE : SW_SHOWNA);
    RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void PreflightDialog::Execute(HWND owner, const PreflightSettings& settings, System& system) {
    State state{owner};
    HWND dlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CHECK), owner,
                                  CheckProc, reinterpret_cast<LPARAM>(&state));
    if (!dlg) {
        return;
    }
    HFONT font = ChecklistFont(owner);
    HWND edit = GetDlgItem(dlg, IDC_TXTCHECKS);
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (owner) {
        EnableWindow(owner, FALSE);  // modal
    }
    ShowWindow(dlg, SW_SHOW);

    bool quit = false;
    const auto pump = [&] {
        MSG msg;
        while (!state.closed && !quit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            quit = !Handle(dlg, msg);
        }
    };
    pump();
    // While the check waits for the Sage driver, the dialog stays alive: its
    // waiting line counts the seconds, and Close or Escape stop the check (a
    // driver call it waits for ends with its reader process).
    PreflightSettings running = settings;
    running.pump = [&] {
        pump();
        if (state.closed || quit) {
            throw ChecksStopped{};
        }
    };
    running.waiting = [&](const std::string& doing, int seconds) {
        ShowWaitingText(dlg, seconds > 0 ? WaitingText(doing, seconds) : std::string());
    };
    try {
        const std::vector<CheckLine> lines =
            RunPreflight(running, system, [&](const CheckLine& line) {
                if (state.closed || quit) {
                    throw ChecksStopped{};
                }
                Append(edit, CheckLineText(line));
                UpdateWindow(edit);
                pump();
            });
        if (!state.closed) {
            Append(edit, AllChecksHold(lines) ? "\nEvery check holds."
                                              : "\nSome checks FAILED: see what to do above.");
        }
    } catch (const ChecksStopped&) {
    } catch (const std::exception& e) {
        if (!state.closed) {
            Append(edit, std::string("\nThe check stopped: ") + e.what());
        }
    }
    // The list stays until the user closes it.
    MSG msg;
    while (!state.closed && !quit) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) {
            break;
        }
        quit = !Handle(dlg, msg);
    }
    if (owner) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
    DestroyWindow(dlg);
    DeleteObject(font);
}

}  // namespace quillmere
