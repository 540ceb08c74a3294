#include "app/SendDecision.h"

namespace quillmere {

std::string Counted(int count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string SendQuestionText(const ReportOutcome& report) {
    // Only what was found is named: "2 errors", "1 warning", or both.
    std::string found;
    if (report.errors > 0) {
        found = Counted(report.errors, "error");
    }
    if (report.warnings > 0) {
        found += (found.empty() ? "" : " and ") + Counted(report.warnings, "warning");
    }
    return "The migration report found " + found +
           " in the books to be sent.\nThe report: " + report.htmlPath +
           "\n\nOnce sent, the books are imported as they are. If you keep the archive, you can "
           "put things right in Sage and export again, or send this archive later.";
}

std::string ReportCountsLine(const ReportOutcome& report) {
    return "Migration report: " + Counted(report.errors, "error") + ", " +
           Counted(report.warnings, "warning") + ", " + Counted(report.notes, "note") + ": " +
           report.htmlPath + " (" + report.jsonPath + ")";
}

}  // namespace quillmere
