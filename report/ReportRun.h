#pragma once
// The migration report of one export run, gathered as the run goes: a scan
// per table fed with the table file's bytes while the archive's writer
// deflates them, then, once the archive is closed, the report made and
// written beside it as "<archive stem>.report.json" and ".report.html".
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "export/ControlTotals.h"
#include "report/LedgerScans.h"
#include "report/MigrationReport.h"
#include "report/ReportOutcome.h"

namespace quillmere {

// "<archive stem>.report.json" / ".report.html" beside the archive.
std::string ReportJsonPath(const std::string& archivePath);
std::string ReportHtmlPath(const std::string& archivePath);

class ReportRun {
  public:
    explicit ReportRun(DateReading dates) : dates_(std::move(dates)) {}

    // A table about to go into the archive: the reader for its bytes, which
    // the archive's writer calls on its worker.
    std::function<void(std::string_view block, bool last)> AddTable(Ledger ledger,
                                                                    const std::string& fileName,
                                                                    const std::string& path);

    // Reads again, from its file, each table whose bytes did not all reach
    // its scan (the writer's early work failed and it read the file again
    // itself). Call after the archive is closed, before the files go.
    void CompleteFromFiles();

    // Marks the report as not to be made: a table could not be read.
    void Fail(const std::string& why) { failure_ = why; }

    // Makes the report and writes both files; raises EInOutError when a file
    // cannot be written (and Exception after Fail). `header` gets the
    // archive's size and SHA-256 here.
    ReportOutcome Write(ReportHeader header, const std::string& archivePath,
                        const ControlTotals& totals, const std::vector<std::string>& categoryOrder);

    // The report last written.
    const MigrationReport& Report() const { return report_; }

  private:
    DateReading dates_;
    std::vector<std::unique_ptr<TableScan>> scans_;
    std::vector<std::string> paths_;
    // Seconds each scan spent on its bytes (each written by its own job).
    std::vector<std::unique_ptr<double>> scanSeconds_;
    double rereadSeconds_ = 0;
    std::string failure_;
    MigrationReport report_;
};

}  // namespace quillmere
