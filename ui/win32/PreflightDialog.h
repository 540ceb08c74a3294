#pragma once
// The login page's "Check...": the pre-flight checklist in a dialog of its
// own, modal to the window. Each line shows as its check ends; between the
// checks the dialog handles its messages, so it repaints and Close, Escape
// or the close box end it at any time (the check under way finishes, no
// later one starts).
#include <windows.h>

#include <string>

#include "app/PreflightCheck.h"

namespace quillmere {

class PreflightDialog {
  public:
    // Shows the checklist over `owner` and runs the checks for `settings`;
    // returns when the user has closed it.
    static void Execute(HWND owner, const PreflightSettings& settings, System& system);

    // The line beside Close of the checklist `dialog` that says the check
    // waits for the Sage driver and for how long; the empty text hides it.
    // Painted at once: between the checks the dialog pumps only when a line
    // ends.
    static void ShowWaitingText(HWND dialog, const std::string& text);
};

}  // namespace quillmere
