#pragma once
// An export run of the real program with its migration report, and the
// independent checks that read what it wrote.
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace quillmere::test {

struct ReportRun {
    int status = -1;
    std::string err;
    std::string archive;  // <stem>.zip
    std::string json;     // <stem>.report.json
    std::string html;     // <stem>.report.html
    std::string summary;  // the control totals' summary
};

// Exports the company (a Sage home of its own under `dir`) without uploading,
// in the British regional settings (dates dd/MM/yyyy).
ReportRun ExportWithReport(const TempDir& dir, const std::string& company,
                           const std::string& directory);

// Runs a Python check on the run's files; `status` gets its exit status.
std::string RunCheck(const std::string& script, const std::vector<std::string>& args, int& status);

}  // namespace quillmere::test
