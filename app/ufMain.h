#pragma once
// TfrmMain: the wizard's state, page flow and handlers. It reaches the screen
// only through a WizardView and the operating system only through System, so
// the whole flow runs the same in the Qt window, the command-line front end
// and the tests.
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/PreflightCheck.h"
#include "export/ControlTotals.h"
#include "platform/System.h"
#include "platform/WizardView.h"
#include "report/ReportOutcome.h"
#include "sage/TSageObject.h"
#include "service/service1.h"

namespace quillmere {

class ReportRun;
struct DateReading;

inline constexpr const char* ApplicationTitle = "Export Wizard for Sage Line 50";
inline constexpr const char* MainCaption = "Quillmere Export Wizard (Ver:2.0.8.1)";

// Page indices of pgcMain.
enum Page { tabIntro = 0, tabVersion = 1, tabLocate = 2, tabLogin = 3, tabOptions = 4 };

// Texts of the locate page's HTMLabel3 ("\n" is a line break).
inline constexpr const char* HomeDirFoundText =
    "The Sage Home Directory has been found by the wizard\n\nWe can now press 'Next' to "
    "continue...";
inline constexpr const char* HomeDirNotFoundText =
    "Could not locate the Sage home directory using the default values.\n\nYou can either select "
    "to browse to the home directory or have the wizard scan selected hard drives for you. (This "
    "may take some time)";

class TfrmMain {
  public:
    TfrmMain(WizardView& view, System& system);
    ~TfrmMain();
    TfrmMain(const TfrmMain&) = delete;
    TfrmMain& operator=(const TfrmMain&) = delete;

    // State, in declaration order.
    std::string HomeDir;
    std::string CompanyPath;
    std::string CompanyName;
    int VersionNo = 0;
    std::string LogFileName;
    bool LoggedIn = false;
    bool HomeDirFound = false;
    std::unique_ptr<TSageObject> SageObj;

    // The SOAP transport of the upload; its posting-data events move pbMain.
    THTTPRIO HTTPRIO1;
    // The service base address (scheme, host and port): the endpoint and the
    // import page both hang off it.
    std::string ServiceBase = DefaultServiceBase;
    // Suppresses the upload as noupload.txt beside the program does (the
    // command line's --no-upload), without a file left behind to suppress
    // the next run's upload as well.
    bool NoUpload = false;

    // Runs one handler as the window runs every event: an EAbort ends it
    // silently, any other error ends it with the general error report. A
    // close requested while it ran takes effect when the outermost handler
    // returns.
    void Dispatch(void (TfrmMain::*handler)());
    void Dispatch(const std::function<void()>& handler);

    // Handlers (call them through Dispatch).
    void FormCreate();
    void cmdNextClick();
    void cmdBackClick();
    void cmdCancelClick();
    void cboVersionChange();
    bool FormCloseQuery();

    // The login page: "..." (cmdCompanySelect) and "Login..." (cmdLogin).
    void txtCompanySelectOldClickBtn();
    void cmdLoginClick();

    // Finish (cmdFinish): the export run. Loads the chart categories, writes
    // the eight tables beside the program and gathers them into the export
    // archive there, deletes the loose files, then submits the archive.
    void cmdFinishClick();

    // The second half of Finish: sends the closed archive to the service and
    // hands the user over to the import page, then closes the window.
    void SubmitArchive(const std::string& archivePath);
    // Whether the upload is suppressed: NoUpload, or noupload.txt beside
    // the program.
    bool UploadSuppressed() const;

    // Before the upload (ufMainConfirm.cpp): when the migration report of
    // the run found errors or warnings and the upload is not suppressed,
    // asks the user whether to send the archive. True to send it; false when
    // the user keeps it, which the status memo and the log say (KeptArchive).
    bool ConfirmSend(const std::string& archivePath);
    // Keeps the archive of every run unsent, without a question, once the
    // export and its report are written (the command line's --review).
    bool ReviewOnly = false;
    // The archive the user chose not to send (or ReviewOnly kept): the run
    // is over, and Cancel closes the window without a question.
    std::optional<std::string> KeptArchive;

    // The control totals of the last export run (ufMainTotals.cpp): begun
    // before the first table, written beside the archive after the last,
    // with a warning when a figure does not agree with the data source.
    ControlTotals StartControlTotals(const std::string& archivePath,
                                     const std::tm& startedAt) const;
    void FinishControlTotals(const ControlTotals& totals, const std::string& archivePath);
    std::optional<ControlTotals> LastTotals;
    std::string LastSummaryPath;
    // The migration report of the last export run, once it is written.
    std::optional<ReportOutcome> LastReport;
    // The migration report (ufMainReport.cpp): how the run's tables write
    // dates, and the report made and written beside the archive once it is
    // closed, named in the status memo and the log. A report that cannot be
    // written is a warning; the control totals' own warning stands in then.
    DateReading ReportDates(const std::tm& startedAt) const;
    void WriteMigrationReport(ReportRun& report, const ControlTotals& totals,
                              const std::string& archivePath, const std::tm& startedAt);

    // What the pre-flight check of the login page's "Check..." works with:
    // the version, home directory and company chosen so far, the user and
    // password typed (the login is tried when a user is), the service.
    PreflightSettings CheckSettings() const;

    // At start: offers to send the archive that an earlier run left unsent
    // in the program's directory (ufMainResend.cpp). Declined, nothing
    // changes.
    void OfferUnsentArchive();

    void UpdateButtons();
    void ShowProgress(int position, int maximum);
    void HTTPRIO1HTTPWebNode1PostingData(int sent, int total);

    // Home-directory location.
    void LoadStartupHomeDir();
    void CheckHomeDir();
    void ListDrives();
    void Timer1Timer();
    void cmdBrowseClick();
    void cmdScanClick();

    // The drive scan pumps messages at most this often (zero: after every
    // directory, as tests use it).
    std::chrono::milliseconds ScanPumpInterval{25};

    // Asks the window to close: at once when no handler runs, otherwise when
    // the running handler returns. A run that pumps messages stops at its
    // next pump (PumpMessages raises EAbort).
    void RequestClose();
    bool CloseRequested() const { return closeRequested_; }
    bool Closed() const { return closed_; }

    // Pumps pending messages; raises EAbort when a close was requested
    // meanwhile, so a long run stops before it touches released objects.
    void PumpMessages();

    // The text of the general error report for an error text.
    static std::string ErrorReportText(const std::string& text);

    WizardView& View() { return view_; }
    System& Sys() { return system_; }

    void Log(const std::string& message);

  private:
    void LeaveVersionPage();
    // Leaves the run's archive unsent: status lines, log lines, KeptArchive.
    void KeepArchive(const std::string& archivePath, const std::string& why);
    // Writes the text of a failure the general error report shows to the log.
    void LogFailure(const std::string& text);
    void CloseNow();

    WizardView& view_;
    System& system_;
    int dispatchDepth_ = 0;
    bool closeRequested_ = false;
    bool closed_ = false;
};

}  // namespace quillmere
