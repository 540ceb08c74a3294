#include "support/FakeView.h"

#include <stdexcept>

#include "app/VersionEntries.h"

namespace quillmere::test {

FakeView::FakeView() {
    versionEntries.assign(VersionEntries.begin(), VersionEntries.end());
    // The controls as the window creates them.
    for (const char* name : {"cmdCancel", "cmdNext", "HTMLabel3", "cmdCompanySelect", "txtUserID",
                             "txtPassword", "cmdLogin", "cboVersion"}) {
        controls[name] = {};
    }
    for (const char* name : {"cmdBack", "cmdFinish"}) {
        controls[name] = {false, true, {}};
    }
    for (const char* name : {"cmdBrowse", "chkDrives", "cmdScan", "lblScan", "lblStatus",
                             "lblURLHelp", "txtURL", "txtStatus", "pbMain"}) {
        controls[name] = {true, false, {}};
    }
    controls["txtCompanySelect"] = {true, true, "Please click '...' button to select company"};
}

const FakeView::ControlState& FakeView::state(std::string_view name) const {
    auto it = controls.find(name);
    if (it == controls.end()) {
        throw std::logic_error("FakeView: no control named " + std::string(name));
    }
    return it->second;
}

void FakeView::selectVersion(int index) {
    version = index;
}

MsgResult FakeView::messageBox(const std::string& text, MsgType type, MsgButtons buttons) {
    messages.push_back({text, type, buttons});
    calls.push_back(std::string("message ") + MsgTypeTitle(type) + ": " + text);
    MsgResult answer = buttons == MsgButtons::YesNo ? MsgResult::Yes : MsgResult::OK;
    if (!messageAnswers.empty()) {
        answer = messageAnswers.front();
        messageAnswers.pop_front();
    }
    return answer;
}

SendChoice FakeView::askBeforeSending(const SendQuestion& question) {
    sendQuestions.push_back(question);
    calls.push_back("ask before sending: " + question.text);
    SendChoice answer = SendChoice::KeepArchive;
    if (!sendAnswers.empty()) {
        answer = sendAnswers.front();
        sendAnswers.pop_front();
    }
    return answer;
}

void FakeView::errorReport(const std::string& title, const std::string& text) {
    errorReports.push_back(text);
    calls.push_back("report " + title + ": " + text);
}

void FakeView::setActivePage(int index) {
    page = index;
    calls.push_back("page " + std::to_string(index));
}

void FakeView::setEnabled(std::string_view control, bool enabled) {
    state(control);
    controls.find(control)->second.enabled = enabled;
}

bool FakeView::isEnabled(std::string_view control) const {
    return state(control).enabled;
}

void FakeView::setVisible(std::string_view control, bool visible) {
    state(control);
    controls.find(control)->second.visible = visible;
}

bool FakeView::isVisible(std::string_view control) const {
    return state(control).visible;
}

void FakeView::setText(std::string_view control, const std::string& text) {
    state(control);
    controls.find(control)->second.text = text;
}

std::string FakeView::text(std::string_view control) const {
    return state(control).text;
}

std::string FakeView::versionText() const {
    return version >= 0 && version < static_cast<int>(versionEntries.size())
               ? versionEntries[static_cast<std::size_t>(version)]
               : std::string();
}

void FakeView::addDrive(const std::string& root) {
    drives.emplace_back(root, false);
}

void FakeView::clearStatus() {
    statusLines.clear();
    calls.push_back("status cleared");
}

void FakeView::addStatusLine(const std::string& line) {
    statusLines.push_back(line);
    calls.push_back("status " + line);
}

void FakeView::setProgressMax(int maximum) {
    progressMax = maximum;
}

void FakeView::setProgressPosition(int position) {
    progressPosition = position;
    progressHistory.emplace_back(position, progressMax);
}

void FakeView::setWaitingText(const std::string& text) {
    waitingTexts.push_back(text);
    waitingText = text;
}

void FakeView::processMessages() {
    ++pumps;
    if (onPump) {
        onPump();
    }
}

void FakeView::setTimerEnabled(bool enabled) {
    timerOn = enabled;
    calls.push_back(enabled ? "timer on" : "timer off");
}

void FakeView::closeWindow() {
    windowClosed = true;
    calls.push_back("close");
}

std::optional<std::string> FakeView::browseForFolder(const std::string& prompt,
                                                     const std::string& start) {
    browseStarts.push_back(start);
    calls.push_back("browse " + prompt);
    if (folderAnswers.empty()) {
        return std::nullopt;
    }
    auto answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}

std::optional<int> FakeView::chooseDirectory(const std::vector<std::string>& directories) {
    directoryChoices.push_back(directories);
    calls.push_back("choose directory");
    if (directoryAnswers.empty()) {
        return std::nullopt;
    }
    auto answer = directoryAnswers.front();
    directoryAnswers.pop_front();
    return answer;
}

std::optional<int> FakeView::chooseCompany(
    const std::vector<std::pair<std::string, std::string>>& rows) {
    companyChoices.push_back(rows);
    calls.push_back("choose company");
    if (companyAnswers.empty()) {
        return std::nullopt;
    }
    auto answer = companyAnswers.front();
    companyAnswers.pop_front();
    return answer;
}

int FakeView::chooseChart(const std::vector<std::string>& items) {
    chartChoices.push_back(items);
    calls.push_back("choose chart");
    if (chartAnswers.empty()) {
        return -1;
    }
    int answer = chartAnswers.front();
    chartAnswers.pop_front();
    return answer;
}

}  // namespace quillmere::test
