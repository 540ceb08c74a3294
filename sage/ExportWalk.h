#pragma once
// The export walk shared by every table export: one query, one header line,
// one line per kept record, a counter and a progress call every 200 records.
//
// An export is data plus a sink:
//
//   const ExportDefinition definition{
//       "SELECT ... ORDER BY %s",                    // %s: the caller's sort column
//       "ACCOUNT_REF,ACCOUNT_NAME,BALANCE",          // header line, written as given
//       {{"ACCOUNT_REF", Written::Quoted},           // columns in line order
//        {"NAME", Written::Quoted},
//        {"BALANCE", Written::Bare}},
//       [](const ExportRecord& r) { return r.Text("TYPE") != "SA"; },  // filter, may be empty
//   };
//   std::vector<std::string> lines;
//   RowList rows(lines);                             // or RowFile file(path)
//   sage.ExportRows(definition, "ACCOUNT_REF", rows);  // TSageObject::ExportRows
//
// Line format: values joined by "," in column order. A quoted value is the
// value text between double quotes with every double quote inside doubled
// (so a quote in any text column cannot end the value early); a bare value
// is the value text alone, and a decimal comma of the locale becomes "."
// there. A NULL gives "" quoted and nothing bare. Value texts: ValueText.h.
//
// What the walk does, in order (TSageObject::ExportRows / WalkQuery):
//   1. a new query on the open connection with the SQL text, "%s" replaced
//      by the sort column exactly as given;
//   2. the header line goes to the sink (before the query opens, so a query
//      that fails to open leaves the header alone);
//   3. open, first record; RecordCount := the number of records
//      (countRecords false: RecordCount untouched and no progress at all);
//   4. counter := 1; for each record: if the filter keeps it, its line goes
//      to the sink; next record; counter + 1; when the counter is a multiple
//      of 200 and OnProgress is set, OnProgress(counter, RecordCount);
//   5. the query is released, also when a step fails (the error goes on to
//      the caller; lines already given to the sink stay there).
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/System.h"
#include "platform/odbc/OdbcQuery.h"
#include "sage/ValueText.h"

namespace quillmere {

// The current record of a walk, read by column name without regard to case.
class ExportRecord {
  public:
    ExportRecord(const odbc::Query& query, const RegionalSettings& settings)
        : query_(query), settings_(settings) {}

    // The value text (Windows-1252) in the user's regional formats.
    std::string Text(std::string_view column) const;
    // The value as a floating number / 32-bit integer; NULL reads as 0.
    double Float(std::string_view column) const;
    int Integer(std::string_view column) const;
    bool IsNull(std::string_view column) const;

    const odbc::Query& Query() const { return query_; }
    const RegionalSettings& Settings() const { return settings_; }

  private:
    const odbc::Query& query_;
    const RegionalSettings& settings_;
};

enum class Written { Quoted, Bare };

struct ExportColumn {
    // The result column whose value text is written.
    std::string source;
    Written written = Written::Quoted;
    // Turns the value text into the text written (a lookup such as the
    // nominal category); empty writes the value text itself.
    std::function<std::string(const std::string& valueText)> transform = {};
};

struct ExportDefinition {
    std::string sql;
    std::string header;
    std::vector<ExportColumn> columns;
    // Keeps a record (true) or drops it; empty keeps every record. Dropped
    // records are counted for progress like written ones.
    std::function<bool(const ExportRecord&)> filter = {};
    // False: the walk neither sets RecordCount nor reports progress.
    bool countRecords = true;
    // The filter's rule as an SQL condition on the query's result columns,
    // so the data source can count the kept records itself; empty when the
    // export keeps every record.
    std::string filterSql = {};
    // The money columns (result column names) whose written values the
    // control totals add up.
    std::vector<std::string> money = {};
};

// Where the lines of a table go, in order, as they are made.
class RowSink {
  public:
    virtual ~RowSink() = default;
    virtual void Add(const std::string& line) = 0;
    // False: the walk fetches every record and makes no line at all (not
    // even the header), so the cost of the data source alone shows.
    virtual bool WantsLines() const { return true; }
    // Aggregates over the export's whole query that the sink would have the
    // data source compute while it counts the records (expressions over the
    // result columns as odbc::Query::SetCountAggregates takes them); none by
    // default.
    virtual std::vector<std::string> SourceAggregates() const { return {}; }
    // Their values, told before the first record, when the data source
    // computed them.
    virtual void SourceAggregated(const std::vector<odbc::SingleValue>&) {}
    // A value of the line being made lost something in writing: `column` is
    // its place in the line, `source` the value as the data source gave it
    // (UTF-8), `written` the text the line holds for it. Told before the
    // line is added; rare, so it may cost.
    virtual void ValueLost(std::size_t /*column*/, ValueLoss /*loss*/,
                           const std::string& /*source*/, std::string_view /*written*/) {}
};

// Takes no lines: the export's query is walked and its records thrown away.
class DiscardedRows : public RowSink {
  public:
    void Add(const std::string&) override {}
    bool WantsLines() const override { return false; }
};

// The row list: appends to a list of lines that the caller owns.
class RowList : public RowSink {
  public:
    explicit RowList(std::vector<std::string>& lines) : lines_(lines) {}
    void Add(const std::string& line) override { lines_.push_back(line); }
    std::vector<std::string>& Lines() { return lines_; }

  private:
    std::vector<std::string>& lines_;
};

// Writes each line, ended by CR LF, to a file as it arrives, so a large
// table never sits in memory. The file is created (or emptied) at once;
// failures raise EInOutError. Close() reports a failed final write.
class RowFile : public RowSink {
  public:
    explicit RowFile(const std::string& path);
    ~RowFile() override;
    RowFile(const RowFile&) = delete;
    RowFile& operator=(const RowFile&) = delete;

    void Add(const std::string& line) override;
    void Close();
    // The lines written so far.
    int LineCount() const { return lines_; }

  private:
    std::FILE* file_ = nullptr;
    int lines_ = 0;
};

// The line of the current record for the columns of `definition`. `fields` caches
// the result column of each export column; an empty cache is filled on the
// first call (so a column missing from the result fails on the first line).
std::string RowLine(const ExportDefinition& definition, const odbc::Query& query,
                    const RegionalSettings& settings, std::vector<int>& fields);

// The regional formats of quoted and of bare values (BareValueSettings),
// made once per table rather than once per line.
struct RowFormats {
    explicit RowFormats(const RegionalSettings& settings);
    RegionalSettings quoted;
    RegionalSettings bare;
};

// RowLine appended to `line`: the walk reuses one line buffer for a table.
// A value that loses something in writing is told to `losses` when given.
void AppendRowLine(std::string& line, const ExportDefinition& definition, const odbc::Query& query,
                   const RowFormats& formats, std::vector<int>& fields, RowSink* losses = nullptr);

// The SQL text with its first "%s" replaced by `sortColumn` as given.
std::string WithSortColumn(const std::string& sql, const std::string& sortColumn);

}  // namespace quillmere
