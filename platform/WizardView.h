#pragma once
// What the wizard's page logic needs of a window system. TfrmMain talks to
// the screen only through this interface; the Qt window, the command-line
// front end and the tests' scripted fake implement it.
//
// Texts are UTF-8. Controls are named as the window names them ("cmdNext",
// "txtStatus", "lblScan", ...).
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillmere {

enum class MsgType { Warning, Error, Information, Confirmation };
enum class MsgButtons { OK, YesNo };
enum class MsgResult { OK, Yes, No };

// The question asked before an upload when the migration report of the
// export found errors or warnings.
struct SendQuestion {
    int errors = 0;
    int warnings = 0;
    std::string reportPath;  // the report's HTML page
    std::string text;        // the question as the page flow words it
};
// The answer: "Send anyway", "Open the report", "Don't send (keep the
// archive)". Closing the dialog any other way keeps the archive.
enum class SendChoice { SendAnyway, OpenReport, KeepArchive };

// The title of a message box of the given type: "Warning", "Error", ...
const char* MsgTypeTitle(MsgType type);

class WizardView {
  public:
    virtual ~WizardView() = default;

    // Modal message box titled by its type; returns the button pressed.
    virtual MsgResult messageBox(const std::string& text, MsgType type, MsgButtons buttons) = 0;

    // The question before sending (Windows: a task dialog), modal; the
    // button pressed. Asked again after OpenReport.
    virtual SendChoice askBeforeSending(const SendQuestion& question) = 0;

    // The general error report: a box titled `title` with the error icon and OK.
    virtual void errorReport(const std::string& title, const std::string& text) = 0;

    // Page container pgcMain.
    virtual int pageCount() const = 0;
    virtual int activePage() const = 0;
    virtual void setActivePage(int index) = 0;

    // Controls by name.
    virtual void setEnabled(std::string_view control, bool enabled) = 0;
    virtual bool isEnabled(std::string_view control) const = 0;
    virtual void setVisible(std::string_view control, bool visible) = 0;
    virtual bool isVisible(std::string_view control) const = 0;
    // Text of a label (rich text for the formatted labels), an edit or a memo.
    virtual void setText(std::string_view control, const std::string& text) = 0;
    virtual std::string text(std::string_view control) const = 0;

    // cboVersion: index of the chosen entry (-1 when none) and its text.
    virtual int versionIndex() const = 0;
    virtual std::string versionText() const = 0;

    // chkDrives: a list of texts with a tick box each.
    virtual void addDrive(const std::string& root) = 0;
    virtual int driveCount() const = 0;
    virtual std::string driveText(int index) const = 0;
    virtual bool driveChecked(int index) const = 0;

    // txtStatus: the status memo of the finish page.
    virtual void clearStatus() = 0;
    virtual void addStatusLine(const std::string& line) = 0;

    // pbMain.
    virtual void setProgressMax(int maximum) = 0;
    virtual void setProgressPosition(int position) = 0;

    // A line that says the program is waiting for the Sage ODBC driver and
    // for how long, shown while one of its calls takes longer than a few
    // seconds (on any page, and in the status of a run); the empty text
    // takes it away. Replaced, not added to: it changes every second.
    virtual void setWaitingText(const std::string& text) = 0;

    // Handles all queued input and paint events, then returns.
    virtual void processMessages() = 0;

    // Whether a stop (the close box, an interrupt) waits to be handled by the
    // next processMessages. Asked from worker threads too (the archive's
    // writer): it only reads a flag. A window that handles the close box
    // through its messages alone answers false.
    virtual bool stopPending() const { return false; }

    // Timer1: when on, it calls TfrmMain::Timer1Timer every second while
    // messages are pumped.
    virtual void setTimerEnabled(bool enabled) = 0;

    // Closes the window for good (TfrmMain has already run FormCloseQuery).
    virtual void closeWindow() = 0;

    // Folder browser: directories only, starting at `start` (its default
    // place when empty). The chosen directory, or nothing when cancelled.
    virtual std::optional<std::string> browseForFolder(const std::string& prompt,
                                                       const std::string& start) = 0;

    // TfrmDirSelect: the list of found directories, the first selected. The
    // selected index when closed with OK, nothing when closed otherwise.
    virtual std::optional<int> chooseDirectory(const std::vector<std::string>& directories) = 0;

    // TfrmSelectCompany: grid rows under the header (name, directory), shown
    // with at least four rows. The selected grid row (1 = first row under
    // the header, may be an empty row) when closed with OK, else nothing.
    virtual std::optional<int> chooseCompany(
        const std::vector<std::pair<std::string, std::string>>& rows) = 0;

    // TfrmChartSelect: the chart items ("1 - Standard", ...). The index of
    // the highlighted item when the dialog closes, -1 when none is.
    virtual int chooseChart(const std::vector<std::string>& items) = 0;
};

}  // namespace quillmere
