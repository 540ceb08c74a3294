#pragma once
// The words around the choice before sending: the question the wizard asks
// when the migration report found errors or warnings, and the line the
// command line prints about the report.
#include <string>

#include "report/ReportOutcome.h"

namespace quillmere {

// The question's title and its three answers, as every window shows them.
inline constexpr const char* SendQuestionTitle = "Send the archive?";
inline constexpr const char* SendAnywayCaption = "Send anyway";
inline constexpr const char* OpenReportCaption = "Open the report";
inline constexpr const char* KeepArchiveCaption = "Don't send (keep the archive)";

// "1 error", "2 errors", "0 warnings": a count with its noun, singular for one.
std::string Counted(int count, const std::string& noun);

// "The migration report found 2 errors and 1 warning in the books to be
// sent." and the report's path, then what the choice means.
std::string SendQuestionText(const ReportOutcome& report);

// "Migration report: 2 errors, 1 warning, 3 notes: <html> (<json>)"
std::string ReportCountsLine(const ReportOutcome& report);

}  // namespace quillmere
