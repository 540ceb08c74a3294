#pragma once
// A scripted view for page-flow tests: records every call and answers the
// dialogs from queues that a test fills before the action.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/WizardView.h"

namespace quillmere::test {

struct ShownMessage {
    std::string text;
    MsgType type;
    MsgButtons buttons;
    bool operator==(const ShownMessage&) const = default;
};

class FakeView : public WizardView {
  public:
    struct ControlState {
        bool enabled = true;
        bool visible = true;
        std::string text;
    };

    FakeView();

    // What happened, in order ("message Error: ...", "page 2", "pump", ...).
    std::vector<std::string> calls;
    std::vector<ShownMessage> messages;
    std::vector<std::string> errorReports;  // the texts of general error reports
    std::map<std::string, ControlState, std::less<>> controls;
    int page = 0;
    int version = -1;
    std::vector<std::string> versionEntries;
    std::vector<std::pair<std::string, bool>> drives;
    std::vector<std::string> statusLines;
    int progressMax = 100;
    int progressPosition = 0;
    std::vector<std::pair<int, int>> progressHistory;  // (position, max) at each position change
    int pumps = 0;
    // The waiting line: every text set, in order (the empty text too), and
    // the one it shows now ("" when it is gone).
    std::vector<std::string> waitingTexts;
    std::string waitingText;
    bool timerOn = false;
    bool windowClosed = false;

    // Answers, taken from the front; when empty: OK / Yes, cancelled choosers.
    std::deque<MsgResult> messageAnswers;
    std::deque<std::optional<std::string>> folderAnswers;
    std::deque<std::optional<int>> directoryAnswers;
    std::deque<std::optional<int>> companyAnswers;
    std::deque<int> chartAnswers;
    // Answers to the question before sending; when empty: KeepArchive.
    std::deque<SendChoice> sendAnswers;

    // What the choosers were shown.
    std::vector<std::string> browseStarts;
    std::vector<std::vector<std::string>> directoryChoices;
    std::vector<std::vector<std::pair<std::string, std::string>>> companyChoices;
    std::vector<std::vector<std::string>> chartChoices;
    std::vector<SendQuestion> sendQuestions;

    // Runs at every pump (e.g. to press a button in the middle of a run).
    std::function<void()> onPump;

    void selectVersion(int index);  // picks an entry as the user would (no event)

    MsgResult messageBox(const std::string& text, MsgType type, MsgButtons buttons) override;
    SendChoice askBeforeSending(const SendQuestion& question) override;
    void errorReport(const std::string& title, const std::string& text) override;
    int pageCount() const override { return 5; }
    int activePage() const override { return page; }
    void setActivePage(int index) override;
    void setEnabled(std::string_view control, bool enabled) override;
    bool isEnabled(std::string_view control) const override;
    void setVisible(std::string_view control, bool visible) override;
    bool isVisible(std::string_view control) const override;
    void setText(std::string_view control, const std::string& text) override;
    std::string text(std::string_view control) const override;
    int versionIndex() const override { return version; }
    std::string versionText() const override;
    void addDrive(const std::string& root) override;
    int driveCount() const override { return static_cast<int>(drives.size()); }
    std::string driveText(int index) const override { return drives.at(index).first; }
    bool driveChecked(int index) const override { return drives.at(index).second; }
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
    const ControlState& state(std::string_view name) const;
};

}  // namespace quillmere::test
