#include "ui/console/UnattendedRun.h"

#include <optional>

#include "app/SendDecision.h"
#include "app/VersionEntries.h"
#include "app/ufMain.h"
#include "export/UnsentArchive.h"
#include "platform/Exceptions.h"
#include "platform/Files.h"
#include "sage/CompanyList.h"
#include "ui/console/PreflightRun.h"

namespace quillmere {

namespace {

// The host system with the browser left closed (--no-browser).
class NoBrowserSystem : public System {
  public:
    explicit NoBrowserSystem(System& host) : host_(host) {}
    std::string executableDir() const override { return host_.executableDir(); }
    OsVersion osVersion() const override { return host_.osVersion(); }
    bool windowsPaths() const override { return host_.windowsPaths(); }
    std::string registryDefaultValue(const std::string& key) const override {
        return host_.registryDefaultValue(key);
    }
    std::vector<DriveRoot> logicalDrives() const override { return host_.logicalDrives(); }
    std::tm localNow() const override { return host_.localNow(); }
    RegionalSettings regionalSettings() const override { return host_.regionalSettings(); }
    void openInBrowser(const std::string&) const override {}

  private:
    System& host_;
};

// Whether --company names the chosen company by its directory (the data path
// without its last part, ACCDATA).
bool NamesDirectory(std::string company, const std::string& dataPath) {
    while (company.size() > 1 && company.back() == '/') {
        company.pop_back();
    }
    return company == dataPath.substr(0, dataPath.rfind('/'));
}

class Walk {
  public:
    Walk(HeadlessView& view, System& system, std::ostream& err)
        : view_(view), form_(view, system), err_(err) {}

    TfrmMain& form() { return form_; }

    // Runs a handler as a click does, then lets a pending Ctrl-C act as the
    // close box between clicks. False when it showed an error, met a choice
    // that the options do not answer, or the window closed.
    bool click(void (TfrmMain::*handler)()) {
        const int errors = view_.errorsShown();
        form_.Dispatch(handler);
        view_.processMessages();
        return view_.errorsShown() == errors && !view_.unanswered() && !form_.Closed();
    }

    // Next, which must move on by one page.
    bool next() {
        const int page = view_.activePage();
        return click(&TfrmMain::cmdNextClick) && view_.activePage() == page + 1;
    }

    // The status of a run that stopped before its end.
    int stopped() {
        if (view_.unanswered()) {
            err_ << "quillmere-export: " << *view_.unanswered() << std::endl;
            return ExitUsage;
        }
        if (view_.closedByInterrupt()) {
            err_ << "Interrupted." << std::endl;
            return ExitInterrupted;
        }
        return ExitFailed;
    }

    int usage(const std::string& why) {
        err_ << "quillmere-export: " << why << std::endl;
        return ExitUsage;
    }

  private:
    HeadlessView& view_;
    TfrmMain form_;
    std::ostream& err_;
};

// The status of a finished submission (accepted, suppressed or refused) or
// of one that stopped with an error, from what the window shows.
int SubmissionStatus(Walk& walk, HeadlessView& view, bool failed, std::ostream& out) {
    TfrmMain& form = walk.form();
    if (view.isVisible("txtURL")) {
        // Accepted: the import page's address is the last line of the output,
        // also when a later step (the browser, the log) failed, since the
        // service holds the file.
        out << view.text("txtURL") << std::endl;
        return failed || !form.Closed() ? ExitFailed : ExitFinished;
    }
    if (!form.Closed() || view.closedByInterrupt()) {
        return walk.stopped();
    }
    // Closed without an address: the upload was suppressed, or the service
    // refused the file, which the submission reports in an error box.
    return failed ? ExitRefused : ExitFinished;
}

// A run that kept its archive unsent (--review, or --strict and errors in
// the migration report): why, and the command that sends it later.
int KeptStatus(const ExportOptions& options, const TfrmMain& form, std::ostream& err) {
    const std::string& archive = *form.KeptArchive;
    if (options.review) {
        err << "Not sent (--review): the archive is kept as " << archive << "\n";
    } else {
        err << "Not sent (--strict): the migration report found "
            << Counted(form.LastReport ? form.LastReport->errors : 0, "error")
            << "; the archive is kept as " << archive << "\n";
    }
    err << "To send it: quillmere-export --resend \"" << archive << "\"" << std::endl;
    return options.review ? ExitFinished : ExitNotSent;
}

// --resend: the submission of a normal run for a kept archive, without Sage.
int Resend(const ExportOptions& options, Walk& walk, HeadlessView& view, System& system,
           std::ostream& out) {
    TfrmMain& form = walk.form();
    form.LogFileName = system.executableDir() + "WizardDebug.log";
    const std::string archive = *options.resend;
    const int errors = view.errorsShown();
    form.Dispatch([&] {
        CheckCompleteArchive(archive);
        if (form.UploadSuppressed()) {
            throw Exception("noupload.txt in " + system.executableDir() +
                            " suppresses the upload: remove it to send " + archive);
        }
        form.SubmitArchive(archive);
    });
    return SubmissionStatus(walk, view, view.errorsShown() != errors, out);
}

}  // namespace

int RunUnattended(const ExportOptions& options, const std::string& password, HeadlessView& view,
                  System& system, std::ostream& out, std::ostream& err) {
    std::optional<NoBrowserSystem> noBrowser;
    Walk walk(view, options.noBrowser ? noBrowser.emplace(system) : system, err);
    TfrmMain& form = walk.form();
    if (!options.serviceUrl.empty()) {
        form.ServiceBase = options.serviceUrl;
    }
    form.HTTPRIO1.HTTPWebNode1.CAFile = options.caFile;
    form.NoUpload = options.noUpload;
    form.ReviewOnly = options.review;
    view.keepOnErrors = options.strict;
    view.folder = options.home;
    view.company = options.company;
    view.chart = options.chart;
    view.onClose = [&form] { form.RequestClose(); };
    if (options.resend) {
        return Resend(options, walk, view, system, out);
    }
    if (options.check) {
        return RunPreflight(options, password, system, view, out);
    }

    if (!walk.click(&TfrmMain::FormCreate) || !walk.next()) {
        return walk.stopped();
    }
    // The version page: the entry is picked, which fires its change event.
    view.version = options.versionIndex;
    view.versionEntry =
        std::string(VersionEntries.at(static_cast<std::size_t>(options.versionIndex)));
    if (!walk.click(&TfrmMain::cboVersionChange) || !walk.next()) {
        return walk.stopped();
    }
    // The locate page: Browse picks --home; Next refuses a directory
    // without a company list.
    if (options.home && !walk.click(&TfrmMain::cmdBrowseClick)) {
        return walk.stopped();
    }
    if (!walk.next()) {
        return walk.stopped();
    }
    // The login page.
    if (!walk.click(&TfrmMain::txtCompanySelectOldClickBtn)) {
        return walk.stopped();
    }
    // A single company is taken without the chooser: --company must name it.
    if (options.company && !form.CompanyPath.empty() && form.CompanyName != *options.company &&
        !NamesDirectory(*options.company, form.CompanyPath)) {
        return walk.usage("--company: no company is named \"" + VisibleText(*options.company) +
                          "\"; the company is \"" + VisibleText(form.CompanyName) + "\"");
    }
    view.setText("txtUserID", options.user);
    view.setText("txtPassword", password);
    if (!walk.click(&TfrmMain::cmdLoginClick) || !form.LoggedIn || !walk.next()) {
        return walk.stopped();
    }

    // Finish: the export run and the submission, which close the window at
    // their end; a failure leaves it open.
    const int errors = view.errorsShown();
    form.Dispatch(&TfrmMain::cmdFinishClick);
    view.clearProgress();
    if (form.LastReport) {
        err << ReportCountsLine(*form.LastReport) << std::endl;
    }
    if (options.summary && form.LastTotals) {
        out << "\n" << form.LastTotals->Text() << std::endl;
    }
    if (form.KeptArchive && view.errorsShown() == errors) {
        return KeptStatus(options, form, err);
    }
    return SubmissionStatus(walk, view, view.errorsShown() != errors, out);
}

}  // namespace quillmere
