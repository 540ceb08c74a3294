#pragma once
// The migration report as one self-contained HTML page: inline CSS and SVG,
// no script and nothing fetched, laid out for A4 with each section starting
// a page of its own when printed.
#include <string>

#include "report/MigrationReport.h"
#include "report/TextSink.h"

namespace quillmere {

// Writes the page to `out` section by section.
void WriteReportHtml(const MigrationReport& report, TextSink& out);
// The same as one text.
std::string ReportHtml(const MigrationReport& report);

}  // namespace quillmere
