#include "WindowDriver.h"

#include "app/SendDecision.h"

#include <commctrl.h>

#include <deque>

#include "Screenshot.h"
#include "ui/win32/WideText.h"

namespace quillmere::test {

namespace {

// The message box's text and icon controls.
constexpr int MessageTextId = 0xFFFF;
constexpr int MessageIconId = 0x0440;

struct Watch {
    std::function<bool(HWND)> match;
    std::function<void(HWND)> answer;
    HWND except;
    DWORD deadline;
};

std::deque<Watch>& Watches() {
    static std::deque<Watch> watches;
    return watches;
}

UINT_PTR& WatchTimer() {
    static UINT_PTR timer = 0;
    return timer;
}

struct Search {
    const Watch* watch;
    HWND found = nullptr;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<Search*>(lp);
    if (hwnd != search->watch->except && IsWindowVisible(hwnd) && search->watch->match(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD) {
    auto& watches = Watches();
    if (watches.empty()) {
        KillTimer(nullptr, WatchTimer());
        WatchTimer() = 0;
        return;
    }
    for (auto it = watches.begin(); it != watches.end(); ++it) {
        Search search{&*it};
        EnumThreadWindows(GetCurrentThreadId(), Visit, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            std::function<void(HWND)> answer = std::move(it->answer);
            watches.erase(it);
            answer(search.found);
            return;
        }
    }
    if (static_cast<LONG>(GetTickCount() - watches.front().deadline) > 0) {
        watches.pop_front();
    }
}

// Whether every control of a window is a static or a button.
BOOL CALLBACK CheckStaticOrButton(HWND child, LPARAM lp) {
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    if (lstrcmpiW(cls, L"Static") != 0 && lstrcmpiW(cls, L"Button") != 0) {
        *reinterpret_cast<bool*>(lp) = false;
        return FALSE;
    }
    return TRUE;
}

bool OnlyStaticsAndButtons(HWND window) {
    bool only = true;
    EnumChildWindows(window, CheckStaticOrButton, reinterpret_cast<LPARAM>(&only));
    return only;
}

BOOL CALLBACK CollectText(HWND child, LPARAM lp) {
    reinterpret_cast<std::vector<std::string>*>(lp)->push_back(Utf8(WindowText(child)));
    return TRUE;
}

std::string IconName(HWND box) {
    const auto shown =
        reinterpret_cast<HICON>(SendDlgItemMessageW(box, MessageIconId, STM_GETICON, 0, 0));
    if (!shown) {
        return "";
    }
    const std::pair<LPCWSTR, const char*> icons[] = {{IDI_HAND, "error"},
                                                     {IDI_EXCLAMATION, "warning"},
                                                     {IDI_ASTERISK, "information"},
                                                     {IDI_QUESTION, "question"}};
    for (const auto& [id, name] : icons) {
        if (LoadIconW(nullptr, id) == shown) {
            return name;
        }
    }
    return "other";
}

}  // namespace

void Click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
}

void PressKey(HWND dialog, UINT virtualKey) {
    HWND focus = GetFocus();
    HWND target = focus ? focus : dialog;
    PostMessageW(target, WM_KEYDOWN, virtualKey, 1);
    PostMessageW(target, WM_KEYUP, virtualKey, 0xC0000001);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void TypeText(HWND edit, const std::string& utf8) {
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(utf8).c_str()));
}

void ChooseComboEntry(HWND combo, int index) {
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

void SetItemChecked(HWND listView, int item, bool checked) {
    ListView_SetCheckState(listView, item, checked ? TRUE : FALSE);
}

void SelectListViewItem(HWND listView, int item) {
    ListView_SetItemState(listView, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(listView, item, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
}

std::string TextOf(HWND window) {
    return Utf8(WindowText(window));
}

std::vector<std::string> ChildTexts(HWND window) {
    std::vector<std::string> texts;
    EnumChildWindows(window, CollectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

void WhenWindowShows(std::function<bool(HWND)> match, std::function<void(HWND)> answer, HWND except,
                     int timeoutMs) {
    Watches().push_back({std::move(match), std::move(answer), except,
                         GetTickCount() + static_cast<DWORD>(timeoutMs)});
    if (!WatchTimer()) {
        WatchTimer() = SetTimer(nullptr, 0, 25, Poll);
    }
}

void WhenWindowShows(const std::string& title, std::function<void(HWND)> answer, HWND except) {
    WhenWindowShows([title](HWND hwnd) { return TextOf(hwnd) == title; }, std::move(answer),
                    except);
}

SeenBox ReadMessageBox(HWND box) {
    SeenBox seen;
    seen.title = TextOf(box);
    seen.text = TextOf(GetDlgItem(box, MessageTextId));
    seen.icon = IconName(box);
    for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
        HWND button = GetDlgItem(box, id);
        if (button && IsWindowVisible(button)) {
            seen.buttons.push_back(TextOf(button));
        }
    }
    return seen;
}

bool IsMessageBox(HWND window) {
    return GetDlgItem(window, MessageTextId) != nullptr && OnlyStaticsAndButtons(window);
}

void AnswerMessageBox(SeenBox* seen, int buttonId, const std::string& screenshot) {
    WhenWindowShows(IsMessageBox, [seen, buttonId, screenshot](HWND box) {
        if (seen) {
            *seen = ReadMessageBox(box);
        }
        if (!screenshot.empty()) {
            SaveScreenshot(box, screenshot);
        }
        Click(GetDlgItem(box, buttonId));
    });
}

namespace {

struct CaptionSearch {
    std::string caption;
    HWND found = nullptr;
};

BOOL CALLBACK MatchCaption(HWND child, LPARAM data) {
    auto& s = *reinterpret_cast<CaptionSearch*>(data);
    if (TextOf(child).rfind(s.caption, 0) == 0 && IsWindowVisible(child)) {
        s.found = child;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND ChildStartingWith(HWND window, const std::string& caption) {
    CaptionSearch search{caption, nullptr};
    EnumChildWindows(window, MatchCaption, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void AnswerSendQuestion(const std::string& caption, std::vector<std::string>* seen, int timeoutMs) {
    WhenWindowShows([](HWND w) { return TextOf(w) == SendQuestionTitle; },
                    [caption, seen](HWND dialog) {
                        if (seen) {
                            *seen = ChildTexts(dialog);
                        }
                        Click(ChildStartingWith(dialog, caption));
                    },
                    nullptr, timeoutMs);
}

void ClearWatches() {
    Watches().clear();
}

bool AllWatchesServed() {
    return Watches().empty();
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace quillmere::test
