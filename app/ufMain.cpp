#include "app/ufMain.h"

#include "platform/ChildProcess.h"
#include "platform/Exceptions.h"
#include "platform/Files.h"
#include "platform/SystemCodePage.h"
#include "sage/SageReader.h"
#include "wizard/HomeDirDefaults.h"
#include "wizard/WriteLog.h"

namespace quillmere {

TfrmMain::TfrmMain(WizardView& view, System& system) : view_(view), system_(system) {
    HTTPRIO1.HTTPWebNode1.OnPostingData = [this](int sent, int total) {
        HTTPRIO1HTTPWebNode1PostingData(sent, total);
    };
    // A close asked for while the upload waits on the network stops it.
    HTTPRIO1.HTTPWebNode1.OnWaiting = [this] { PumpMessages(); };
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::Log(const std::string& message) {
    try {
        WriteLog(LogFileName, message);
    } catch (const EInOutError& e) {
        // "File access denied" alone does not say where: the log is the
        // first file a run writes in its directory, so name it.
        throw Exception(std::string(e.what()) + " (" + LogFileName + ")");
    }
}

std::string TfrmMain::ErrorReportText(const std::string& text) {
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') {
        return text + ".";
    }
    return text;
}

void TfrmMain::LogFailure(const std::string& text) {
    if (LogFileName.empty()) {
        return;
    }
    // One line, so that the log keeps its one-event-a-line shape.
    std::string line = "Failed: ";
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') {
                ++i;
            }
            line += " / ";
        } else {
            line += text[i];
        }
    }
    try {
        Log(line);
    } catch (const std::exception&) {
        // The log itself may be what failed; the report still shows the error.
    }
}

void TfrmMain::Dispatch(void (TfrmMain::*handler)()) {
    Dispatch([this, handler] { (this->*handler)(); });
}

void TfrmMain::Dispatch(const std::function<void()>& handler) {
    if (closed_) {
        return;
    }
    ++dispatchDepth_;
    try {
        handler();
    } catch (const EAbort&) {
        // the silent abort: nothing to show
    } catch (const std::exception& e) {
        LogFailure(e.what());
        view_.errorReport(ApplicationTitle, ErrorReportText(e.what()));
    }
    --dispatchDepth_;
    if (dispatchDepth_ == 0 && closeRequested_) {
        CloseNow();
    }
}

void TfrmMain::RequestClose() {
    if (closed_) {
        return;
    }
    if (dispatchDepth_ > 0) {
        closeRequested_ = true;
    } else {
        CloseNow();
    }
}

void TfrmMain::CloseNow() {
    if (closed_) {
        return;
    }
    FormCloseQuery();
    closed_ = true;
    view_.closeWindow();
}

void TfrmMain::PumpMessages() {
    view_.processMessages();
    if (closeRequested_) {
        throw EAbort();
    }
}

void TfrmMain::FormCreate() {
    LogFileName = system_.executableDir() + "WizardDebug.log";
    HomeDirFound = false;
    LoadStartupHomeDir();
    view_.setActivePage(tabIntro);
}

void TfrmMain::LoadStartupHomeDir() {
    const std::string overrideFile = system_.executableDir() + HomeDirOverrideFile;
    if (FileExists(overrideFile)) {
        const auto lines = ReadTextLines(overrideFile);
        if (lines.empty()) {
            throw EListError::IndexOutOfBounds(0);
        }
        // A text file of the user's, in the system's 8-bit code page.
        HomeDir = Utf8FromSystemCodePage(lines.front());
        return;
    }
    const std::string value = GetLastInstallPath(system_);
    if (!value.empty()) {
        HomeDir = value.substr(0, value.size() - 1);
        Log("Using Home Dir from registry " + HomeDir);
    } else {
        HomeDir = FixedStartupHomeDir;
        Log("Using Default Home Dir");
    }
}

void TfrmMain::cmdNextClick() {
    bool advance = true;
    const int page = view_.activePage();
    if (page == tabIntro) {
        const RegionalSettings settings = system_.regionalSettings();
        Log("Wizard Started at " +
            FormatDateTime(system_.localNow(), "DD/MM/YY HH:MM:SS", settings));
    }
    if (page == tabVersion) {
        if (view_.versionIndex() < 0) {
            view_.messageBox("Must select which version of Sage you are using", MsgType::Error,
                             MsgButtons::OK);
            advance = false;
        } else {
            LeaveVersionPage();
        }
    }
    if (page == tabLocate && !HomeDirFound) {
        view_.messageBox("Sage Home Directory Has not been found.", MsgType::Error, MsgButtons::OK);
        advance = false;
    }
    if (page == tabLogin && !LoggedIn) {
        view_.messageBox("Must Connect to Sage first", MsgType::Error, MsgButtons::OK);
        advance = false;
    }
    if (advance && page < view_.pageCount() - 1) {
        view_.setActivePage(page + 1);
    }
    UpdateButtons();
}

void TfrmMain::LeaveVersionPage() {
    SageObj = std::make_unique<TSageObject>(VersionNo);
    // The new object holds no connection: the user logs in again.
    LoggedIn = false;
    view_.setVisible("lblStatus", false);

    // The fixed install locations are Windows paths; elsewhere the home
    // directory keeps its value (homedir.txt, Browse, Scan).
    const std::string entry = view_.versionText();
    if (system_.windowsPaths()) {
        if (auto dir = VersionDefaultHomeDir(VersionNo, entry)) {
            HomeDir = *dir;
        }
    }
    const OsVersion os = system_.osVersion();
    Log("Windows version detected as:" + std::to_string(os.major) + "." + std::to_string(os.minor));
    if (system_.windowsPaths()) {
        if (auto dir = WindowsVersionDefaultHomeDir(os, entry)) {
            HomeDir = *dir;
        }
    }
    SageObj->HomeDir = HomeDir;
    Log("Sage Object Created");
    Log("Current Home directory is " + HomeDir);
    Log("Version is " + std::to_string(VersionNo));
    SageObj->OnProgress = [this](int position, int maximum) { ShowProgress(position, maximum); };
    SageObj->OnPump = [this] { PumpMessages(); };
    // The driver runs in a reader process of this program's own: a driver
    // that crashes or blocks cannot take the window with it.
    SageObj->UseReader(RunningProgramPath());
    SageObj->OnWaiting = [this](const std::string& doing, int seconds) {
        view_.setWaitingText(seconds > 0 ? WaitingText(doing, seconds) : std::string());
    };

    CheckHomeDir();
    if (HomeDirFound) {
        view_.setText("HTMLabel3", HomeDirFoundText);
        view_.setVisible("cmdBrowse", false);
        view_.setVisible("chkDrives", false);
        view_.setVisible("cmdScan", false);
    } else {
        view_.setText("HTMLabel3", HomeDirNotFoundText);
        view_.setVisible("cmdBrowse", true);
        view_.setVisible("chkDrives", true);
        view_.setVisible("cmdScan", true);
        ListDrives();
    }
}

void TfrmMain::cmdBackClick() {
    const int page = view_.activePage();
    if (page > 0) {
        view_.setActivePage(page - 1);
    }
    UpdateButtons();
}

void TfrmMain::cmdCancelClick() {
    // Once the archive is kept unsent there is nothing left to cancel.
    if (KeptArchive) {
        RequestClose();
        return;
    }
    if (view_.messageBox("Are you sure you wish to cancel?", MsgType::Confirmation,
                         MsgButtons::YesNo) == MsgResult::Yes) {
        RequestClose();
    }
}

void TfrmMain::cboVersionChange() {
    VersionNo = view_.versionIndex() + 7;
}

void TfrmMain::UpdateButtons() {
    const int page = view_.activePage();
    if (page == tabIntro) {
        view_.setEnabled("cmdBack", false);
    } else if (page == tabOptions) {
        // Finish first: a window moves the focus off the Next it disables,
        // and it should find Finish there to take it.
        view_.setEnabled("cmdFinish", true);
        view_.setEnabled("cmdNext", false);
    } else {
        view_.setEnabled("cmdBack", true);
        view_.setEnabled("cmdNext", true);
        view_.setEnabled("cmdFinish", false);
    }
}

bool TfrmMain::FormCloseQuery() {
    SageObj.reset();
    return true;
}

void TfrmMain::ShowProgress(int position, int maximum) {
    PumpMessages();
    view_.setProgressMax(maximum);
    view_.setProgressPosition(position);
}

void TfrmMain::HTTPRIO1HTTPWebNode1PostingData(int sent, int total) {
    view_.setProgressMax(total);
    view_.setProgressPosition(sent);
}

void TfrmMain::CheckHomeDir() {
    if (!HomeDir.empty() && HomeDir.back() == PathSeparator) {
        HomeDir.pop_back();
    }
    HomeDirFound = FileExistsIgnoringCase(HomeDir + PathSeparator, CompanyMarkerName);
    if (HomeDirFound && SageObj) {
        SageObj->HomeDir = HomeDir;
    }
}

void TfrmMain::ListDrives() {
    for (const DriveRoot& drive : system_.logicalDrives()) {
        if (drive.type == DriveType::Fixed || drive.type == DriveType::Remote) {
            view_.addDrive(drive.root);
        }
    }
}

void TfrmMain::Timer1Timer() {
    view_.setVisible("lblScan", !view_.isVisible("lblScan"));
}

}  // namespace quillmere
