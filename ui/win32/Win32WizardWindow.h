#pragma once
// The wizard's native Windows window: five pages without tabs above a strip
// of four buttons, every control with the identifier of the control it stands
// for (ui/win32/Resource.h) and reachable by its name. Every event goes to
// the matching TfrmMain handler through TfrmMain::Dispatch.
#include <windows.h>

#include <array>

#include "platform/WizardView.h"

namespace quillmere {

class TfrmMain;

class Win32WizardWindow : public WizardView {
  public:
    // Creates the window and its pages, hidden. `quitOnClose`: closing the
    // window ends the thread's message loop (the program; tests keep theirs).
    explicit Win32WizardWindow(bool quitOnClose = true);
    ~Win32WizardWindow() override;
    Win32WizardWindow(const Win32WizardWindow&) = delete;
    Win32WizardWindow& operator=(const Win32WizardWindow&) = delete;

    // Connects the window's events to the page flow.
    void attach(TfrmMain* form);
    void show();
    // The program's start: attaches the page flow, runs FormCreate, shows
    // the window, then offers an archive an earlier run left unsent.
    void start(TfrmMain& form);
    // Runs the message loop until the window is closed; the exit code.
    int run();

    HWND handle() const { return hwnd_; }
    // The control of that name ("cmdNext", "tabLocate", ...); throws when
    // there is none.
    HWND control(std::string_view name) const;
    bool closed() const { return closed_; }

    // WizardView
    MsgResult messageBox(const std::string& text, MsgType type, MsgButtons buttons) override;
    SendChoice askBeforeSending(const SendQuestion& question) override;
    void errorReport(const std::string& title, const std::string& text) override;
    int pageCount() const override;
    int activePage() const override;
    void setActivePage(int index) override;
    void setEnabled(std::string_view control, bool enabled) override;
    bool isEnabled(std::string_view control) const override;
    void setVisible(std::string_view control, bool visible) override;
    bool isVisible(std::string_view control) const override;
    void setText(std::string_view control, const std::string& text) override;
    std::string text(std::string_view control) const override;
    int versionIndex() const override;
    std::string versionText() const override;
    void addDrive(const std::string& root) override;
    int driveCount() const override;
    std::string driveText(int index) const override;
    bool driveChecked(int index) const override;
    void clearStatus() override;
    void addStatusLine(const std::string& line) override;
    void setProgressMax(int maximum) override;
    void setProgressPosition(int position) override;
    void setWaitingText(const std::string& text) override;
    void processMessages() override;
    void setTimerEnabled(bool enabled) override;
    void closeWindow() override;
    std::optional<std::string> browseForFolder(const std::string& prompt,
                                               const std::string& start) override;
    std::optional<int> chooseDirectory(const std::vector<std::string>& directories) override;
    std::optional<int> chooseCompany(
        const std::vector<std::pair<std::string, std::string>>& rows) override;
    int chooseChart(const std::vector<std::string>& items) override;

  private:
    static INT_PTR CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void createPages();
    void fillControls();
    void onCommand(int id, int code);
    void dispatch(void (TfrmMain::*handler)());
    HWND dlgItem(int id) const;
    // Moves the keyboard focus off `control` (about to be disabled or
    // hidden) when it has it: to Next, Finish or Back, else to the page.
    void moveFocusFrom(HWND control);
    // The button Enter presses: Next, or Finish while Next is disabled.
    int defaultButton() const;
    // The owner of a modal box: the window while it shows, else none.
    HWND owner() const;

    HWND hwnd_ = nullptr;
    std::array<HWND, 5> pages_{};
    int activePage_ = 0;
    TfrmMain* form_ = nullptr;
    bool quitOnClose_;
    bool closed_ = false;
};

}  // namespace quillmere
