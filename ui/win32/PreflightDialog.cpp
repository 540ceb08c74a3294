#include "ui/win32/PreflightDialog.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "ui/win32/Resource.h"
#include "ui/win32/WideText.h"

namespace quillmere {

namespace {

// The worker has lines for the dialog.
constexpr UINT WM_CHECK_LINES = WM_APP + 20;

// Ends a run whose dialog has closed, at its next line. Not an exception of
// the program's own: the checks turn those into failed lines.
struct ChecksStopped {};

}  // namespace

struct PreflightDialog::Run {
    PreflightSettings settings;
    System* system = nullptr;
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{false};
    std::thread worker;
    HFONT font = nullptr;  // the checklist's, while the dialog shows

    std::mutex mutex;
    HWND dialog = nullptr;             // nullptr once the dialog has closed
    std::vector<std::string> pending;  // lines the dialog has yet to show

    // Hands a text to the dialog, when it is still open.
    void show(const std::string& text) {
        std::lock_guard<std::mutex> lock(mutex);
        if (dialog) {
            pending.push_back(text);
            PostMessageW(dialog, WM_CHECK_LINES, 0, 0);
        }
    }

    void work() {
        std::string last;
        try {
            const std::vector<CheckLine> lines =
                RunPreflight(settings, *system, [this](const CheckLine& line) {
                    if (stop) {
                        throw ChecksStopped{};
                    }
                    show(CheckLineText(line));
                });
            last = AllChecksHold(lines) ? "\nEvery check holds."
                                        : "\nSome checks FAILED: see what to do above.";
        } catch (const ChecksStopped&) {
        } catch (const std::exception& e) {
            last = std::string("\nThe check stopped: ") + e.what();
        }
        if (!last.empty()) {
            show(last);
        }
        finished = true;
    }
};

namespace {

void Append(HWND edit, const std::string& text) {
    const int length = GetWindowTextLengthW(edit);
    const std::wstring line = (length > 0 ? L"\r\n" : L"") + WindowsLines(text);
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(length), length);
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
}

INT_PTR CALLBACK CheckProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto* run = reinterpret_cast<PreflightDialog::Run*>(GetWindowLongPtrW(dlg, DWLP_USER));
    switch (msg) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dlg, DWLP_USER, lp);
            run = reinterpret_cast<PreflightDialog::Run*>(lp);
            {
                std::lock_guard<std::mutex> lock(run->mutex);
                run->dialog = dlg;
            }
            SendMessageW(GetDlgItem(dlg, IDC_TXTCHECKS), WM_SETFONT,
                         reinterpret_cast<WPARAM>(run->font), FALSE);
            run->worker = std::thread([run] { run->work(); });
            SetFocus(GetDlgItem(dlg, IDCANCEL));
            return FALSE;  // the focus is set
        }
        case WM_CHECK_LINES: {
            std::vector<std::string> lines;
            {
                std::lock_guard<std::mutex> lock(run->mutex);
                lines.swap(run->pending);
            }
            HWND edit = GetDlgItem(dlg, IDC_TXTCHECKS);
            for (const std::string& line : lines) {
                Append(edit, line);
            }
            return TRUE;
        }
        case WM_COMMAND:
            // Close, Enter, Escape and the close box end it at any time.
            if (LOWORD(wp) == IDCANCEL || LOWORD(wp) == IDOK) {
                {
                    std::lock_guard<std::mutex> lock(run->mutex);
                    run->dialog = nullptr;
                }
                run->stop = true;
                EndDialog(dlg, IDCANCEL);
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

}  // namespace

PreflightDialog::~PreflightDialog() {
    for (const auto& run : runs_) {
        run->stop = true;
        if (run->worker.joinable()) {
            run->worker.join();
        }
    }
}

void PreflightDialog::Execute(HWND owner, PreflightSettings settings, System& system) {
    // Runs that have ended since are let go.
    std::erase_if(runs_, [](const std::shared_ptr<Run>& run) {
        if (run->finished && run->worker.joinable()) {
            run->worker.join();
        }
        return !run->worker.joinable();
    });
    auto run = std::make_shared<Run>();
    run->settings = std::move(settings);
    run->system = &system;
    runs_.push_back(run);

    run->font = ChecklistFont(owner);
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CHECK), owner, CheckProc,
                    reinterpret_cast<LPARAM>(run.get()));
    DeleteObject(run->font);
    run->font = nullptr;
}

}  // namespace quillmere
