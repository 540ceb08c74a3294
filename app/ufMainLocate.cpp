// The locate page's Browse and Scan buttons.
#include <string>
#include <vector>

#include "app/ufMain.h"
#include "platform/Files.h"
#include "wizard/FindFileDirs.h"
#include "wizard/HomeDirDefaults.h"

namespace quillmere {

namespace {

constexpr const char* BrowsePrompt = "Please select directory where COMPANY file is located";
constexpr const char* LocatedText = "Sage Home Directory has now been located";

}  // namespace

void TfrmMain::cmdBrowseClick() {
    if (!DirectoryExists(HomeDir)) {
        HomeDir.clear();  // the browser starts at its default place
    }
    if (auto picked = view_.browseForFolder(BrowsePrompt, HomeDir)) {
        HomeDir = *picked;
        CheckHomeDir();
        if (HomeDirFound) {
            view_.messageBox(LocatedText, MsgType::Information, MsgButtons::OK);
        }
    } else {
        view_.messageBox("No Directory Selected!", MsgType::Warning, MsgButtons::OK);
    }
    if (!HomeDir.empty() && HomeDir.back() == PathSeparator) {
        HomeDir.pop_back();
    }
    HomeDirFound = FileExistsIgnoringCase(HomeDir + PathSeparator, CompanyMarkerName);
}

void TfrmMain::cmdScanClick() {
    std::vector<std::string> results;
    view_.setTimerEnabled(true);
    view_.setEnabled("cmdScan", false);
    // The scan button, the timer and the label return to rest however the
    // scan ends, also when an error or a close ends it early; a label left
    // blinking would claim a scan that no longer runs.
    auto rest = [this] {
        view_.setEnabled("cmdScan", true);
        view_.setTimerEnabled(false);
        view_.setVisible("lblScan", false);
    };
    try {
        PumpThrottle throttle(ScanPumpInterval);
        const auto pump = [this, &throttle] {
            if (throttle.Due()) {
                PumpMessages();
            }
        };
        // The list is read entry by entry: the user may tick a later drive
        // while an earlier one is being searched.
        for (int i = 0; i < view_.driveCount(); ++i) {
            if (view_.driveChecked(i)) {
                const std::string drive = view_.driveText(i);
                Log("Checking drive " + drive);
                FindFileDirs(results, drive, CompanyMarkerName, pump);
            }
        }

        if (results.empty()) {
            view_.messageBox("No Sage Directory Found!", MsgType::Error, MsgButtons::OK);
        } else if (results.size() == 1) {
            Log("Found 1 files");
            Log("Path:" + results.front());
            HomeDir = results.front();
        } else {
            Log("Found " + std::to_string(results.size()) + " files");
            std::string paths = "Path(s):";
            for (const std::string& result : results) {
                paths += result + "\r\n";
            }
            Log(paths);
            const std::optional<int> chosen = view_.chooseDirectory(results);
            if (chosen && *chosen >= 0 && *chosen < static_cast<int>(results.size())) {
                HomeDir = results[static_cast<std::size_t>(*chosen)];
            }
        }
    } catch (...) {
        rest();
        throw;
    }
    rest();

    CheckHomeDir();
    if (HomeDirFound) {
        view_.messageBox(LocatedText, MsgType::Information, MsgButtons::OK);
    } else {
        view_.messageBox("Sage Home Directory incorrectly specified", MsgType::Error,
                         MsgButtons::OK);
    }
}

}  // namespace quillmere
