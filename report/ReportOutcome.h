#pragma once
// What the migration report of an export run found, and where it was
// written: what the page flow needs to decide whether to ask before sending
// and what the command line prints.
#include <string>

namespace quillmere {

struct ReportOutcome {
    int errors = 0;
    int warnings = 0;
    int notes = 0;
    std::string htmlPath;  // "<archive stem>.report.html"
    std::string jsonPath;  // "<archive stem>.report.json"
    // What the report cost: the seconds its scans took reading the tables
    // (beside the deflate, on the archive writer's worker) and the seconds
    // the run waited for it to be made and written after the archive.
    double scanSeconds = 0;
    double writeSeconds = 0;

    // Whether the user is asked before the archive is sent.
    bool NeedsDecision() const { return errors > 0 || warnings > 0; }
};

}  // namespace quillmere
