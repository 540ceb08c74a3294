#pragma once
// Control totals of an export run: per table, the lines written and the
// sums of its money columns as written, reconciled against the data
// source's own count and sums over the same query with the same filter.
#include <optional>
#include <string>
#include <vector>

#include "export/DecimalSum.h"
#include "platform/odbc/OdbcConnection.h"
#include "platform/odbc/OdbcSingleRow.h"
#include "sage/LedgerExports.h"

namespace quillmere {

class TSageObject;

// How one figure compares with the data source's.
enum class Agreement { Agrees, Differs, Unchecked };
// Its mark in the summary: "ok", "DIFFERENT", "not checked".
const char* AgreementMark(Agreement agreement);

struct MoneyTotals {
    std::string name;    // the column as the table's header names it
    std::string source;  // the result column the data source adds up
    DecimalSum written;
    int unreadable = 0;                    // written values that are no number
    std::optional<std::string> sourceSum;  // as the data source gives it
    // Values written at four places that the data source holds with more,
    // and what that rounding added to the written sum (written less
    // source, value by value).
    long long roundedValues = 0;
    DecimalSum rounding;
    // The data source's sum as the rounding of the table gives it: the
    // figure the written sum is held against.
    std::optional<std::string> comparedSum;
    Agreement agreement = Agreement::Unchecked;
};

// Values of one column that the table could not hold as the data source
// gave them (ValueLoss): how many, and the first few.
struct ColumnLoss {
    struct Example {
        long long line = 0;   // in the table file, the header being line 1
        std::string source;   // UTF-8, as the data source gave it
        std::string written;  // Windows-1252, as the table holds it
    };
    std::string column;  // as the header names it
    ValueLoss loss = ValueLoss::None;
    long long values = 0;
    std::vector<Example> examples;
    static constexpr std::size_t MaxExamples = 1;
};

struct TableTotals {
    std::string fileName;
    Ledger ledger = Ledger::SalesAccounts;
    long long records = 0;  // lines written under the header
    std::optional<long long> sourceRecords;
    Agreement recordsAgreement = Agreement::Unchecked;
    std::vector<MoneyTotals> money;
    std::vector<ColumnLoss> losses;  // per column and kind, in the order met
    // Why the data source could not be asked (its error text); empty when
    // it was.
    std::string unchecked;
    // The data source's count of kept records and its sums, in the order of
    // SourceTotalsAggregates, when it computed them while the table was
    // exported.
    std::optional<std::vector<odbc::SingleValue>> sourceFigures;
};

// Counts and adds up the lines of a table (header first) as they pass on
// to `next`.
class TotalsSink : public RowSink {
  public:
    TotalsSink(RowSink& next, const ExportDefinition& definition, TableTotals& totals);
    void Add(const std::string& line) override;
    std::vector<std::string> SourceAggregates() const override;
    void SourceAggregated(const std::vector<odbc::SingleValue>& values) override;
    void ValueLost(std::size_t column, ValueLoss loss, const std::string& source,
                   std::string_view written) override;

  private:
    RowSink& next_;
    const ExportDefinition& definition_;
    TableTotals& totals_;
    bool header_ = true;
    std::vector<std::string> names_;   // the header's column names
    std::vector<std::size_t> fields_;  // the field of each money column
};

// The data source's own totals of a table: the export's SQL text without
// its order, wrapped in COUNT(*) and one SUM per money column, with the
// filter's rule as the condition.
std::string SourceTotalsSql(const ExportDefinition& definition);

// The same totals as aggregates beside the record count of the export's
// own query (odbc::Query::SetCountAggregates): the filter's rule moves into
// each aggregate, so one pass over the data counts every record for the
// progress and totals the kept ones.
std::vector<std::string> SourceTotalsAggregates(const ExportDefinition& definition);

// Marks each figure against the data source's totals: those it computed
// during the export, or else those it gives when asked now. A statement the
// data source cannot run leaves the table unchecked with its reason.
void Reconcile(TSageObject& sage, const ExportDefinition& definition, TableTotals& totals);

struct ControlTotals {
    std::string archiveName;
    std::string companyName;
    std::string exportedAt;  // date and time as the user's settings write them
    std::vector<TableTotals> tables;

    // Figures that are not known to agree: DIFFERENT, or not checked.
    int Warnings() const;
    // The sum of the balances in Nominal Ledger Codes; nothing before that
    // table is written.
    std::optional<DecimalSum> TrialBalance() const;
    // The summary, lines ended by "\n".
    std::string Text() const;
};

// The archive's path without ".zip": the files that describe it add to it.
std::string ArchiveStem(const std::string& archivePath);

// The summary file of an archive: "<archive name>.summary.txt" beside it,
// the name without ".zip".
std::string SummaryPath(const std::string& archivePath);

// Writes the summary (lines ended by CR LF, as the log's); raises
// EInOutError when it cannot.
void WriteSummary(const std::string& path, const ControlTotals& totals);

// The warning shown when figures disagree.
std::string TotalsWarning(const ControlTotals& totals, const std::string& summaryPath);

}  // namespace quillmere
