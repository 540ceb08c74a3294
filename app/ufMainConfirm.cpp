// Finish, between the export and the upload: when the migration report found
// errors or warnings, the user decides whether the archive is sent.
#include "app/SendDecision.h"
#include "app/ufMain.h"
#include "platform/FileUrl.h"

namespace quillmere {

namespace {

std::string Findings(const ReportOutcome& report) {
    return Counted(report.errors, "error") + ", " + Counted(report.warnings, "warning");
}

}  // namespace

void TfrmMain::KeepArchive(const std::string& archivePath, const std::string& why) {
    // The archive stays where the run wrote it, where the next start finds
    // it and offers to send it. The window stays open (Finish disabled) so
    // that these lines can be read.
    KeptArchive = archivePath;
    view_.addStatusLine("The archive was not sent.");
    view_.addStatusLine("It is kept as " + archivePath);
    view_.addStatusLine("It can be sent later: the wizard offers to send it when it next starts.");
    Log("Not sent: " + why);
    Log("Archive kept: " + archivePath);
}

bool TfrmMain::ConfirmSend(const std::string& archivePath) {
    if (ReviewOnly) {
        KeepArchive(archivePath, "kept for review");
        return false;
    }
    if (UploadSuppressed() || !LastReport || !LastReport->NeedsDecision()) {
        return true;
    }
    const ReportOutcome& report = *LastReport;
    const SendQuestion question{report.errors, report.warnings, report.htmlPath,
                                SendQuestionText(report)};
    for (;;) {
        switch (view_.askBeforeSending(question)) {
            case SendChoice::SendAnyway:
                Log("Sending despite the migration report (" + Findings(report) + ")");
                return true;
            case SendChoice::OpenReport:
                // The question comes back: reading the report decides nothing.
                Log("Opening the migration report " + report.htmlPath);
                system_.openInBrowser(FileUrl(report.htmlPath));
                break;
            case SendChoice::KeepArchive:
                KeepArchive(archivePath, "the migration report found " + Findings(report));
                return false;
        }
    }
}

}  // namespace quillmere
