#include "report/ReportRun.h"

#include <chrono>
#include <vector>

#include "platform/Exceptions.h"
#include "platform/FileBytes.h"
#include "platform/Files.h"
#include "report/ReportHtml.h"
#include "report/ReportJson.h"
#include "report/Sha256.h"

namespace quillmere {

std::string ReportJsonPath(const std::string& archivePath) {
    return ArchiveStem(archivePath) + ".report.json";
}

std::string ReportHtmlPath(const std::string& archivePath) {
    return ArchiveStem(archivePath) + ".report.html";
}

std::function<void(std::string_view, bool)> ReportRun::AddTable(Ledger ledger,
                                                                const std::string& fileName,
                                                                const std::string& path) {
    TableScan& scan = *scans_.emplace_back(MakeTableScan(ledger, fileName, dates_));
    paths_.push_back(path);
    double& seconds = *scanSeconds_.emplace_back(std::make_unique<double>(0));
    // Each scan is only ever fed by its own table's job.
    return [&scan, &seconds](std::string_view block, bool last) {
        const auto start = std::chrono::steady_clock::now();
        scan.Feed(block);
        if (last) {
            scan.Finish();
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
}

void ReportRun::CompleteFromFiles() {
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < scans_.size(); ++i) {
        TableScan& scan = *scans_[i];
        if (scan.Complete()) {
            continue;
        }
        scan.Restart();
        FileBytes file(paths_[i]);
        std::vector<std::uint8_t> block(1 << 16);
        for (;;) {
            const std::size_t got = file.Read(block.data(), block.size());
            if (got == 0) {
                break;
            }
            scan.Feed(std::string_view(reinterpret_cast<const char*>(block.data()), got));
        }
        scan.Finish();
    }
    rereadSeconds_ =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

ReportOutcome ReportRun::Write(ReportHeader header, const std::string& archivePath,
                               const ControlTotals& totals,
                               const std::vector<std::string>& categoryOrder) {
    if (!failure_.empty()) {
        throw Exception("a table could not be read again: " + failure_);
    }
    const auto start = std::chrono::steady_clock::now();
    header.archiveName = BareFileName(archivePath);
    header.archiveBytes = static_cast<long long>(FileBytes(archivePath).Size());
    header.archiveSha256 = FileSha256(archivePath);
    report_ = MakeMigrationReport(std::move(header), scans_, totals, categoryOrder);
    // What the tables gave is in the report now.
    scans_.clear();

    ReportOutcome outcome;
    outcome.errors = report_.Count(Severity::Error);
    outcome.warnings = report_.Count(Severity::Warning);
    outcome.notes = report_.Count(Severity::Note);
    outcome.jsonPath = ReportJsonPath(archivePath);
    outcome.htmlPath = ReportHtmlPath(archivePath);
    FileSink json(outcome.jsonPath);
    WriteReportJson(report_, json);
    json.Commit();
    FileSink html(outcome.htmlPath);
    WriteReportHtml(report_, html);
    html.Commit();
    for (const auto& seconds : scanSeconds_) {
        outcome.scanSeconds += *seconds;
    }
    outcome.writeSeconds =
        rereadSeconds_ +
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

}  // namespace quillmere
