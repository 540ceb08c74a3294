// The migration report of an export run: made once the archive is closed,
// from what the tables hold as written, and written beside the archive.
#include <cstdio>

#include "app/SendDecision.h"
#include "app/ufMain.h"
#include "platform/CodePage.h"
#include "report/ReportRun.h"
#include "sage/TSageObject.h"

namespace quillmere {

DateReading TfrmMain::ReportDates(const std::tm& startedAt) const {
    DateReading dates;
    if (SageObj) {
        dates.settings = SageObj->Settings;
    }
    // The tables write dates with the short date format, or this one when
    // the settings give none.
    dates.picture =
        dates.settings.shortDateFormat.empty() ? "dd/MM/yyyy" : dates.settings.shortDateFormat;
    dates.exportDate = {startedAt.tm_year + 1900, startedAt.tm_mon + 1, startedAt.tm_mday};
    return dates;
}

void TfrmMain::WriteMigrationReport(ReportRun& report, const ControlTotals& totals,
                                    const std::string& archivePath, const std::tm& startedAt) {
    ReportHeader header;
    header.company = CompanyName;
    header.programVersion = QUILLMERE_VERSION;
    char when[80];
    std::snprintf(when, sizeof when, "%04d-%02d-%02dT%02d:%02d:%02d", startedAt.tm_year + 1900,
                  startedAt.tm_mon + 1, startedAt.tm_mday, startedAt.tm_hour, startedAt.tm_min,
                  startedAt.tm_sec);
    header.exportedAt = when;
    header.exportDate = ReportDates(startedAt).exportDate;
    std::vector<std::string> categoryOrder;
    if (SageObj) {
        header.dataSource = DataSourceName(SageObj->VersionNo);
        header.chart = SageObj->ChosenChart;
        for (const auto& [title, range] : SageObj->Categories) {
            categoryOrder.push_back(Utf8FromCp1252(title));
        }
    }
    LastReport.reset();
    try {
        LastReport = report.Write(std::move(header), archivePath, totals, categoryOrder);
    } catch (const std::exception& e) {
        // The archive is whole: the run goes on, without the report.
        Log("The migration report could not be written: " + std::string(e.what()));
        view_.messageBox(
            "The migration report could not be written beside " + archivePath + ": " + e.what(),
            MsgType::Warning, MsgButtons::OK);
        if (totals.Warnings() > 0) {
            view_.messageBox(TotalsWarning(totals, LastSummaryPath), MsgType::Warning,
                             MsgButtons::OK);
        }
        return;
    }
    const std::string counts = Counted(LastReport->errors, "error") + ", " +
                               Counted(LastReport->warnings, "warning") + ", " +
                               Counted(LastReport->notes, "note");
    view_.addStatusLine("Migration report (" + counts + "): " + LastReport->htmlPath);
    Log("Migration report written (" + counts + "): " + LastReport->htmlPath + " and " +
        LastReport->jsonPath);
}

}  // namespace quillmere
