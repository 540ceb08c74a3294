#pragma once
// The wizard's view without a window, for unattended runs: the choosers are
// answered from the command line's options, the status memo goes to standard
// output line by line, message boxes and error reports to standard error,
// and the progress bar is drawn on standard error when that is a terminal.
// The line that says the program waits for the Sage driver goes to standard
// error too: on a terminal rewritten in place, elsewhere (a log) as a line
// now and then.
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/WizardView.h"

namespace quillmere {

class HeadlessView : public WizardView {
  public:
    // `terminal`: `err` is a terminal, on which pbMain and the waiting line
    // are drawn in place.
    HeadlessView(std::ostream& out, std::ostream& err, bool terminal);

    // Off a terminal, the waiting line is written when a wait starts and
    // then at most once per this interval, not at every change.
    static constexpr std::chrono::seconds WaitingLineInterval{5};
    // The clock that paces it (a test's own clock replaces it).
    std::function<std::chrono::steady_clock::time_point()> clock = [] {
        return std::chrono::steady_clock::now();
    };

    // The answers, from the options.
    int version = -1;                    // the index of the cboVersion entry
    std::string versionEntry;            // and its text
    std::optional<std::string> folder;   // what the folder browser picks
    std::optional<std::string> company;  // the company chooser's name
    std::optional<int> chart;            // the chart chooser's chart number
    // The question before sending: send anyway, unless this is set and the
    // migration report found errors (--strict; warnings do not count).
    bool keepOnErrors = false;

    // The close box: a pump that finds `interruptPending` true calls
    // `onClose` (the front end's TfrmMain::RequestClose).
    std::function<bool()> interruptPending;
    std::function<void()> onClose;

    // What the run showed.
    int errorsShown() const { return errorsShown_; }
    // A chooser that the options could not answer (no name, or a name that
    // matches nothing): why, in the user's words.
    const std::optional<std::string>& unanswered() const { return unanswered_; }
    bool closedByInterrupt() const { return closedByInterrupt_; }
    bool windowClosed() const { return windowClosed_; }

    // Takes the progress bar or the waiting line off the terminal line (it
    // comes back at its next change).
    void clearProgress();

    MsgResult messageBox(const std::string& text, MsgType type, MsgButtons buttons) override;
    SendChoice askBeforeSending(const SendQuestion& question) override;
    void errorReport(const std::string& title, const std::string& text) override;
    int pageCount() const override { return 5; }
    int activePage() const override { return page_; }
    void setActivePage(int index) override { page_ = index; }
    void setEnabled(std::string_view control, bool enabled) override;
    bool isEnabled(std::string_view control) const override;
    void setVisible(std::string_view control, bool visible) override;
    bool isVisible(std::string_view control) const override;
    void setText(std::string_view control, const std::string& text) override;
    std::string text(std::string_view control) const override;
    int versionIndex() const override { return version; }
    std::string versionText() const override { return version < 0 ? "" : versionEntry; }
    void addDrive(const std::string& root) override { drives_.push_back(root); }
    int driveCount() const override { return static_cast<int>(drives_.size()); }
    std::string driveText(int index) const override;
    bool driveChecked(int) const override { return false; }
    void clearStatus() override {}
    void addStatusLine(const std::string& line) override;
    void setProgressMax(int maximum) override;
    void setProgressPosition(int position) override;
    void setWaitingText(const std::string& text) override;
    void processMessages() override;
    bool stopPending() const override { return interruptPending && interruptPending(); }
    void setTimerEnabled(bool) override {}
    void closeWindow() override;
    std::optional<std::string> browseForFolder(const std::string& prompt,
                                               const std::string& start) override;
    std::optional<int> chooseDirectory(const std::vector<std::string>& directories) override;
    std::optional<int> chooseCompany(
        const std::vector<std::pair<std::string, std::string>>& rows) override;
    int chooseChart(const std::vector<std::string>& items) override;

  private:
    struct ControlState {
        bool enabled = true;
        bool visible = true;
        std::string text;
    };
    ControlState& state(std::string_view control);
    const ControlState& state(std::string_view control) const;
    void drawProgress();
    [[noreturn]] void refuseChoice(const std::string& why);

    std::ostream& out_;
    std::ostream& err_;
    bool terminal_;
    int page_ = 0;
    std::map<std::string, ControlState, std::less<>> controls_;
    std::vector<std::string> drives_;
    int progressMax_ = 100;
    int progressPosition_ = 0;
    int drawnPercent_ = -1;
    // The waiting line on the terminal: its width in characters (0: none drawn).
    std::size_t waitingWidth_ = 0;
    // Off a terminal: when this wait's last line was written (none yet).
    std::optional<std::chrono::steady_clock::time_point> waitingWritten_;
    int errorsShown_ = 0;
    std::optional<std::string> unanswered_;
    bool closedByInterrupt_ = false;
    bool windowClosed_ = false;
};

// A message text as terminal lines: CR LF, CR and LF each become "\n".
std::string TerminalLines(const std::string& text);

}  // namespace quillmere
