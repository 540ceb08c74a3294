#pragma once
// The migration report as JSON, for tools: every figure and every finding's
// items in full (the fields are documented in the README).
#include <string>

#include "report/MigrationReport.h"
#include "report/TextSink.h"

namespace quillmere {

// Writes the JSON to `out` as it is made.
void WriteReportJson(const MigrationReport& report, TextSink& out);
// The same as one text.
std::string ReportJson(const MigrationReport& report);

// A JSON string literal of a UTF-8 text, quotes included.
std::string JsonString(const std::string& text);

}  // namespace quillmere
