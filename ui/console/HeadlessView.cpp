#include "ui/console/HeadlessView.h"

#include <algorithm>
#include <charconv>

#include "platform/Exceptions.h"
#include "sage/CompanyList.h"

namespace quillmere {

namespace {

constexpr int ProgressBarWidth = 40;

// The chart number of a chooser item: the text before its first "-",
// trimmed, as a decimal number.
std::optional<int> ChartNumberOf(const std::string& item) {
    std::string number = item.substr(0, item.find('-'));
    const auto blank = [](unsigned char c) { return c <= ' '; };
    number.erase(number.begin(), std::find_if_not(number.begin(), number.end(), blank));
    number.erase(std::find_if_not(number.rbegin(), number.rend(), blank).base(), number.end());
    int value = 0;
    const char* end = number.data() + number.size();
    const auto [ptr, ec] = std::from_chars(number.data(), end, value);
    if (number.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::string QuotedList(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) {
        list += (list.empty() ? "\"" : ", \"") + VisibleText(name) + "\"";
    }
    return list;
}

}  // namespace

std::string TerminalLines(const std::string& text) {
    // Each line shown with its control characters escaped: a text may hold
    // names read from files, which must not drive the terminal.
    std::string lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        lines += VisibleText(std::string_view(text).substr(start, end - start));
        if (end == text.size()) {
            break;
        }
        lines += '\n';
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
    return lines;
}

HeadlessView::HeadlessView(std::ostream& out, std::ostream& err, bool terminal)
    : out_(out), err_(err), terminal_(terminal) {
    // The controls that the window creates hidden or disabled.
    for (const char* name : {"cmdBack", "cmdFinish"}) {
        controls_[name].enabled = false;
    }
    for (const char* name : {"cmdBrowse", "chkDrives", "cmdScan", "lblScan", "lblStatus",
                             "lblURLHelp", "txtURL", "txtStatus", "pbMain"}) {
        controls_[name].visible = false;
    }
    controls_["txtCompanySelect"].text = "Please click '...' button to select company";
}

HeadlessView::ControlState& HeadlessView::state(std::string_view control) {
    auto it = controls_.find(control);
    if (it == controls_.end()) {
        it = controls_.emplace(std::string(control), ControlState{}).first;
    }
    return it->second;
}

const HeadlessView::ControlState& HeadlessView::state(std::string_view control) const {
    static const ControlState created;
    auto it = controls_.find(control);
    return it == controls_.end() ? created : it->second;
}

MsgResult HeadlessView::messageBox(const std::string& text, MsgType type, MsgButtons buttons) {
    clearProgress();
    err_ << MsgTypeTitle(type) << ": " << TerminalLines(text) << std::endl;
    if (type == MsgType::Error) {
        ++errorsShown_;
    }
    // The one question is whether to cancel the run: an unattended run goes on.
    return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::OK;
}

SendChoice HeadlessView::askBeforeSending(const SendQuestion& question) {
    // No one to ask: the front end prints the report's counts and paths
    // after the run, whatever the answer.
    return keepOnErrors && question.errors > 0 ? SendChoice::KeepArchive : SendChoice::SendAnyway;
}

void HeadlessView::errorReport(const std::string&, const std::string& text) {
    clearProgress();
    err_ << "Error: " << TerminalLines(text) << std::endl;
    ++errorsShown_;
}

void HeadlessView::setEnabled(std::string_view control, bool enabled) {
    state(control).enabled = enabled;
}

bool HeadlessView::isEnabled(std::string_view control) const {
    return state(control).enabled;
}

void HeadlessView::setVisible(std::string_view control, bool visible) {
    state(control).visible = visible;
}

bool HeadlessView::isVisible(std::string_view control) const {
    return state(control).visible;
}

void HeadlessView::setText(std::string_view control, const std::string& text) {
    state(control).text = text;
}

std::string HeadlessView::text(std::string_view control) const {
    return state(control).text;
}

std::string HeadlessView::driveText(int index) const {
    return drives_.at(static_cast<std::size_t>(index));
}

void HeadlessView::addStatusLine(const std::string& line) {
    clearProgress();
    out_ << TerminalLines(line) << std::endl;
}

void HeadlessView::setProgressMax(int maximum) {
    progressMax_ = maximum;
    drawProgress();
}

void HeadlessView::setProgressPosition(int position) {
    progressPosition_ = position;
    drawProgress();
}

void HeadlessView::drawProgress() {
    // The waiting line has the terminal line while it shows.
    if (!terminal_ || waitingWidth_ > 0) {
        return;
    }
    long long percent = 0;
    if (progressMax_ > 0) {
        percent = std::clamp(100LL * progressPosition_ / progressMax_, 0LL, 100LL);
    }
    // Redrawn only when the figure changes: a large table reports progress
    // thousands of times.
    if (percent == drawnPercent_) {
        return;
    }
    drawnPercent_ = static_cast<int>(percent);
    const int filled = static_cast<int>(percent * ProgressBarWidth / 100);
    err_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(ProgressBarWidth - filled), ' ') << "] " << percent
         << "%" << std::flush;
}

void HeadlessView::clearProgress() {
    if (waitingWidth_ > 0) {
        err_ << '\r' << std::string(waitingWidth_, ' ') << '\r' << std::flush;
        waitingWidth_ = 0;
    }
    if (drawnPercent_ < 0) {
        return;
    }
    err_ << '\r' << std::string(ProgressBarWidth + 8, ' ') << '\r' << std::flush;
    drawnPercent_ = -1;
}

void HeadlessView::setWaitingText(const std::string& text) {
    if (terminal_) {
        if (text.empty()) {
            // The last figure stays on a line of its own: how long it waited.
            if (waitingWidth_ > 0) {
                err_ << '\n' << std::flush;
                waitingWidth_ = 0;
            }
            return;
        }
        if (drawnPercent_ >= 0) {
            clearProgress();
        }
        const std::string shown = VisibleText(text);
        // Characters, not bytes: a UTF-8 sequence takes one column.
        const auto width = static_cast<std::size_t>(
            std::count_if(shown.begin(), shown.end(), [](char c) { return (c & 0xC0) != 0x80; }));
        // A shorter text than the last one blanks the rest of the old one.
        err_ << '\r' << shown << std::string(waitingWidth_ > width ? waitingWidth_ - width : 0, ' ')
             << std::flush;
        waitingWidth_ = std::max(width, waitingWidth_);
        return;
    }
    if (text.empty()) {
        waitingWritten_.reset();
        return;
    }
    const auto now = clock();
    if (!waitingWritten_ || now - *waitingWritten_ >= WaitingLineInterval) {
        err_ << VisibleText(text) << std::endl;
        waitingWritten_ = now;
    }
}

void HeadlessView::processMessages() {
    if (interruptPending && interruptPending() && !closedByInterrupt_) {
        closedByInterrupt_ = true;
        if (onClose) {
            onClose();
        }
    }
}

void HeadlessView::closeWindow() {
    clearProgress();
    windowClosed_ = true;
}

std::optional<std::string> HeadlessView::browseForFolder(const std::string&, const std::string&) {
    return folder;
}

std::optional<int> HeadlessView::chooseDirectory(const std::vector<std::string>&) {
    // A drive scan needs a user to tick drives; the front end never starts one.
    return std::nullopt;
}

void HeadlessView::refuseChoice(const std::string& why) {
    unanswered_ = why;
    // Ends the handler silently; the front end reports the reason.
    throw EAbort(why);
}

std::optional<int> HeadlessView::chooseCompany(
    const std::vector<std::pair<std::string, std::string>>& rows) {
    std::vector<std::string> names;
    for (const auto& row : rows) {
        names.push_back(row.first);
    }
    if (!company) {
        if (rows.empty()) {
            return std::nullopt;  // nothing to choose: as a cancelled chooser
        }
        refuseChoice("the Sage home directory lists " + std::to_string(rows.size()) +
                     " companies; choose one with --company: " + QuotedList(names));
    }
    // By name; where two companies share it, by directory: the one the
    // chooser shows (blanks as "_") or its data directory "<dir>/ACCDATA".
    std::vector<std::size_t> matches;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].first == *company) {
            matches.push_back(i);
        }
    }
    if (matches.empty()) {
        std::string shown = *company;
        std::replace(shown.begin(), shown.end(), ' ', '_');
        while (shown.size() > 1 && shown.back() == '/') {
            shown.pop_back();
        }
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const std::string& path = rows[i].second;
            const std::size_t dir = path.rfind('/');
            if (path == shown || (dir != std::string::npos && path.substr(0, dir) == shown)) {
                matches.push_back(i);
            }
        }
    }
    if (matches.size() > 1) {
        std::vector<std::string> directories;
        for (const std::size_t i : matches) {
            const std::string& path = rows[i].second;
            directories.push_back(path.substr(0, path.rfind('/')));
        }
        refuseChoice("--company: " + std::to_string(matches.size()) + " companies are named \"" +
                     VisibleText(*company) +
                     "\"; choose one by its directory: " + QuotedList(directories));
    }
    if (matches.empty()) {
        refuseChoice("--company: no company is named \"" + VisibleText(*company) + "\"" +
                     (names.empty() ? std::string("; the company list names none")
                                    : "; the companies are " + QuotedList(names)));
    }
    return static_cast<int>(matches.front()) + 1;  // grid rows start under the header
}

int HeadlessView::chooseChart(const std::vector<std::string>& items) {
    if (!chart) {
        refuseChoice("the company has " + std::to_string(items.size()) +
                     " charts of accounts; choose one with --chart: " + QuotedList(items));
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (ChartNumberOf(items[i]) == chart) {
            return static_cast<int>(i);
        }
    }
    refuseChoice("--chart: the company has no chart " + std::to_string(*chart) +
                 "; its charts are " + QuotedList(items));
}

}  // namespace quillmere
