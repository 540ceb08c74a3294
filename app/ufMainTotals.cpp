// The control totals of an export run: begun with the archive, written
// beside it as "<archive name>.summary.txt" once the last table is in.
#include <cstdio>

#include "app/ufMain.h"
#include "platform/Files.h"

namespace quillmere {

ControlTotals TfrmMain::StartControlTotals(const std::string& archivePath,
                                           const std::tm& startedAt) const {
    ControlTotals totals;
    totals.archiveName = BareFileName(archivePath);
    totals.companyName = CompanyName;
    char when[64];
    std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d", startedAt.tm_year + 1900,
                  startedAt.tm_mon + 1, startedAt.tm_mday, startedAt.tm_hour, startedAt.tm_min);
    totals.exportedAt = when;
    return totals;
}

void TfrmMain::FinishControlTotals(const ControlTotals& totals, const std::string& archivePath) {
    LastTotals = totals;
    LastSummaryPath = SummaryPath(archivePath);
    try {
        WriteSummary(LastSummaryPath, totals);
    } catch (const std::exception& e) {
        // The tables are complete and in the archive: the run goes on.
        view_.messageBox(
            "The control totals could not be written to " + LastSummaryPath + ": " + e.what(),
            MsgType::Warning, MsgButtons::OK);
    }
}

}  // namespace quillmere
