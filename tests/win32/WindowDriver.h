#pragma once
// Drives real windows of this thread by the messages a user's actions send:
// clicks, keys through the dialog manager, texts, list choices. Modal
// windows (message boxes, choosers, the folder browser) are answered by a
// watch armed before the action that opens them: a thread timer finds the
// window while its modal loop runs and hands it to the answer.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace quillmere::test {

// What a message box shows.
struct SeenBox {
    std::string title;
    std::string text;  // its line breaks as CR LF
    std::string icon;  // "error", "warning", "information", "question" or ""
    std::vector<std::string> buttons;
};

// A click on a button: the button sends its owner BN_CLICKED.
void Click(HWND button);
// A key typed into the focused control of `dialog`, through the dialog
// manager (Enter, Escape, Tab ...), with pending messages handled.
void PressKey(HWND dialog, UINT virtualKey);
// The text of an edit (WM_SETTEXT), as pasting it would leave it.
void TypeText(HWND edit, const std::string& utf8);
// Picks an entry of a drop-down list and tells its owner (CBN_SELCHANGE).
void ChooseComboEntry(HWND combo, int index);
// Ticks or clears the tick box of a list view item.
void SetItemChecked(HWND listView, int item, bool checked);
// Selects one item of a list view (and gives it the focus mark).
void SelectListViewItem(HWND listView, int item);

std::string TextOf(HWND window);
// The texts of every child window, in Z order.
std::vector<std::string> ChildTexts(HWND window);

// Runs `answer` on the first visible window of this thread, other than
// `except`, that satisfies `match`, once it shows. When several watches see
// a window, the one armed first is served; the oldest one, once it has seen
// nothing for `timeoutMs`, is dropped (the test's time limit then ends a
// test left waiting in a modal loop).
void WhenWindowShows(std::function<bool(HWND)> match, std::function<void(HWND)> answer,
                     HWND except = nullptr, int timeoutMs = 10000);
// The same for a window captioned `title`.
void WhenWindowShows(const std::string& title, std::function<void(HWND)> answer,
                     HWND except = nullptr);

// A message box: a dialog with the message text and only statics and buttons.
bool IsMessageBox(HWND window);
SeenBox ReadMessageBox(HWND box);
// Answers the next message box with the button `buttonId` (IDOK, IDYES,
// IDNO); records what it showed in `seen` and, when `screenshot` is given,
// saves a picture of it there first.
void AnswerMessageBox(SeenBox* seen, int buttonId, const std::string& screenshot = "");
// The visible child of `window` whose text begins with `caption` (a command
// link's text is its caption), or none.
HWND ChildStartingWith(HWND window, const std::string& caption);
// Answers the next question before sending (the task dialog) with the
// command link captioned `caption`; records its texts in `seen` when given.
void AnswerSendQuestion(const std::string& caption, std::vector<std::string>* seen = nullptr,
                        int timeoutMs = 600000);

// Whether every armed watch has been served.
bool AllWatchesServed();
// Drops every armed watch (their answers may refer to what goes out of scope).
void ClearWatches();

// Handles the messages waiting for this thread.
void PumpMessages();

}  // namespace quillmere::test
