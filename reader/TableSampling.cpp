#include "reader/TableSampling.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>

#include "export/ControlTotals.h"
#include "export/ExportTables.h"
#include "platform/ZipFacts.h"

namespace quillmere {

namespace {

using Clock = std::chrono::steady_clock;

// Stops a sampled export once it has its records.
struct SampleFull {};

// Takes the lines of a table's first records, timing them.
class SampleSink : public RowSink {
  public:
    explicit SampleSink(int records) : records_(records) {}
    void Add(const std::string& line) override {
        const auto now = Clock::now();
        if (lines_ == 0) {
            started_ = now;  // the header: the query opens after it
        } else if (lines_ == 1) {
            firstRecord_ = now;
        }
        last_ = now;
        bytes_ += line;
        bytes_ += "\r\n";
        if (++lines_ > records_) {
            throw SampleFull{};
        }
    }
    int records() const { return std::max(lines_ - 1, 0); }
    const std::string& bytes() const { return bytes_; }
    // Seconds from the header to the first record: the query's opening.
    double openSeconds() const {
        return lines_ > 1 ? std::chrono::duration<double>(firstRecord_ - started_).count()
                          : std::chrono::duration<double>(last_ - started_).count();
    }
    // Seconds per record after the first.
    double recordSeconds() const {
        return lines_ > 2
                   ? std::chrono::duration<double>(last_ - firstRecord_).count() / (lines_ - 2)
                   : 0;
    }

  private:
    int records_;
    int lines_ = 0;
    std::string bytes_;
    Clock::time_point started_, firstRecord_, last_;
};

}  // namespace

reader::TableSample SampleTable(TSageObject& sage, Ledger ledger, int sampleRecords) {
    const ExportTable* table = nullptr;
    for (const ExportTable& candidate : ExportTables()) {
        if (candidate.ledger == ledger) {
            table = &candidate;
        }
    }
    if (!table) {
        throw Exception("No such table");
    }
    ExportDefinition countOnly = LedgerExport(ledger, sage);
    countOnly.money.clear();
    const auto row = sage.SingleRow(SourceTotalsSql(countOnly), "counting the records");
    reader::TableSample figures;
    figures.records = std::atoll(row.at(0).text.value_or("0").c_str());
    SampleSink sample(sampleRecords);
    try {
        table->run(sage, sample);
    } catch (const SampleFull&) {
    }
    figures.sampleRecords = sample.records();
    figures.sampleBytes = static_cast<long long>(sample.bytes().size());
    figures.deflatedBytes =
        sample.bytes().empty() ? 0 : static_cast<long long>(DeflatedSize(sample.bytes()));
    figures.openSeconds = sample.openSeconds();
    figures.recordSeconds = sample.recordSeconds();
    return figures;
}

}  // namespace quillmere
