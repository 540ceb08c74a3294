#pragma once
// The login page's "Check...": the pre-flight checklist in a dialog of its
// own. The checks run on a worker thread, so the dialog stays responsive and
// shows each line as its check ends; Close, Escape or the close box end the
// dialog at any time.
#include <windows.h>

#include <memory>
#include <vector>

#include "app/PreflightCheck.h"

namespace quillmere {

class PreflightDialog {
  public:
    PreflightDialog() = default;
    // Waits for the checks that were still running when their dialog closed.
    ~PreflightDialog();
    PreflightDialog(const PreflightDialog&) = delete;
    PreflightDialog& operator=(const PreflightDialog&) = delete;

    // Shows the checklist modally over `owner` and runs the checks for
    // `settings`; returns when the user closes it. A check still running
    // then ends on its own (nothing more is shown), and no later check of
    // that run starts.
    void Execute(HWND owner, PreflightSettings settings, System& system);

    struct Run;

  private:
    std::vector<std::shared_ptr<Run>> runs_;
};

}  // namespace quillmere
