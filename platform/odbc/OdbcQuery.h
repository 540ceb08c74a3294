#pragma once
// A read-only query over an open Connection: set the SQL text, open it, walk
// its records forward and read the columns of the current record.
//
// Opening executes the statement and knows the number of records at once
// (when the driver cannot tell it, a COUNT(*) over the same SQL text is run
// beside it, so the result is never held twice; aggregates the caller asks
// for ride on that statement, at no second pass over the data). Records are
// fetched in blocks of bound column arrays, many rows per driver call, the
// next block on a helper thread while the caller reads the current one. A result with a
// column of unbounded size (text, long binary) is read record by record, every
// value whole; so is the rest of a result in which a value turns out longer
// than its column declares (the query is run again from its start and the
// records already read are passed over).
// Releasing the query closes it.
#include "platform/odbc/OdbcApi.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/odbc/OdbcConnection.h"
#include "platform/odbc/OdbcSingleRow.h"

namespace quillmere::odbc {

// How a column's values are held, decided by the SQL type the driver reports.
enum class ValueKind {
    Text,       // character types, 8-bit or wide, and anything without a better match
    Integer,    // TINYINT, SMALLINT, INTEGER, BIGINT
    Decimal,    // DECIMAL, NUMERIC: kept as the driver's exact digits
    Float,      // REAL, FLOAT, DOUBLE
    Date,       // DATE
    Time,       // TIME
    Timestamp,  // TIMESTAMP
    Boolean,    // BIT
};

struct DateValue {
    int year = 0, month = 0, day = 0;
};
struct TimeValue {
    int hour = 0, minute = 0, second = 0;
};
struct TimestampValue {
    DateValue date;
    TimeValue time;
    std::uint32_t fraction = 0;  // billionths of a second
};

class Query {
  public:
    explicit Query(Connection& connection);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    // The SQL text (UTF-8), sent as it stands.
    void SetSql(std::string sql) { sql_ = std::move(sql); }
    const std::string& Sql() const { return sql_; }

    // Aggregates over the whole result that the statement counting the
    // records computes beside COUNT(*): expressions over the result columns,
    // which it names by the alias CountedRecordsAlias ("SUM(counted_records.
    // AMOUNT)"). Set before Open.
    void SetCountAggregates(std::vector<std::string> expressions) {
        countAggregates_ = std::move(expressions);
    }
    // Their values from the last Open; nothing when the driver told the count
    // itself, so no statement counted, or when the data source could not
    // compute them (the records were then counted alone).
    const std::optional<std::vector<SingleValue>>& CountAggregateValues() const {
        return countAggregateValues_;
    }

    // Most records fetched per driver call (default 1000; fewer when the
    // records are wide).
    void SetBlockRows(int rows) { blockRows_ = rows < 1 ? 1 : rows; }

    // Executes the SQL text and moves to the first record. Raises EOdbcError
    // with the driver's text when the statement fails; the query is closed
    // then. Opening an open query closes it first.
    void Open();
    void Close();
    bool Active() const { return stmt_ != nullptr; }

    // Statement handles held by all open queries of the process (a query
    // that is released holds none).
    static int OpenStatements();

    // Number of records of the whole result, known from the open.
    int RecordCount() const { return recordCount_; }

    // First() only confirms the first record: the walk goes forward only.
    void First();
    bool Eof() const { return eof_; }
    void Next();

    int FieldCount() const;
    const std::string& FieldName(int field) const;
    // The index of a column by name, without regard to ASCII case.
    std::optional<int> FindField(std::string_view name) const;
    // As FindField; raises an error naming the column when it is missing.
    int FieldIndex(std::string_view name) const;

    SQLSMALLINT SqlType(int field) const;
    ValueKind Kind(int field) const;
    // Declared precision / size and scale of the column.
    SQLULEN ColumnSize(int field) const;
    int DecimalDigits(int field) const;

    // Values of the current record (none when Eof). A NULL reads as the empty
    // text, 0 or false.
    bool IsNull(int field) const;
    // The value as text in Windows-1252: characters as delivered (a character
    // the code page lacks becomes "?"), numbers in plain notation with ".",
    // dates as yyyy-mm-dd, times as hh:mm:ss.
    std::string AsText(int field) const;
    // 32-bit integer; raises an error when the value is no integer in range.
    int AsInteger(int field) const;
    std::int64_t AsInt64(int field) const;
    double AsFloat(int field) const;
    bool AsBoolean(int field) const;
    // Decimal columns: the exact digits as the driver gives them ("-12.50").
    std::string DecimalText(int field) const;
    // The same digits without a copy, valid until the query moves on.
    std::string_view DecimalView(int field) const;
    // Appends AsText(field) to `out` without a text of its own in between;
    // the number of characters written as "?" because Windows-1252 lacks
    // them.
    std::size_t AppendText(int field, std::string& out) const;
    // A text column's value as the driver gives it, in UTF-8 (other kinds:
    // AsText).
    std::string AsUtf8(int field) const;
    DateValue AsDate(int field) const;
    TimeValue AsTime(int field) const;
    TimestampValue AsTimestamp(int field) const;

  private:
    struct Column;
    const Column& column(int field) const;
    const unsigned char* cell(const Column& c) const;
    std::u16string wideText(const Column& c) const;
    std::string decimalDigits(const Column& c) const;
    void execute();
    void describe();
    void bind();
    void fetchBlock();
    SQLRETURN fetchInto(int block);
    std::size_t at() const;
    bool blockHasCutValue() const;
    void restartRecordByRecord();
    void readWholeRow();
    template <typename Text>
    SQLLEN readWhole(SQLUSMALLINT col, Text& value);
    void countRecords();
    bool countRecordsWithAggregates();
    // CheckSourceCall() for a call on the query's own statement.
    void checkFetch(SQLRETURN rc, const char* what) const;

    Connection& connection_;
    std::string sql_;
    int blockRows_ = 1000;
    SQLHSTMT stmt_ = nullptr;
    std::vector<Column> columns_;
    bool rowByRow_ = false;
    SQLULEN rowsInBlock_ = 0;
    SQLULEN row_ = 0;
    // Bound results hold two blocks of boundRows_ records: block_ is read
    // while fetcher_ fetches the other. fetched_ is the driver's count of
    // the last fetch.
    SQLULEN boundRows_ = 0;
    int block_ = 0;
    SQLULEN fetched_ = 0;
    class Fetcher;
    std::unique_ptr<Fetcher> fetcher_;
    bool fetching_ = false;
    long long recordNo_ = 0;
    bool eof_ = true;
    int recordCount_ = 0;
    std::vector<std::string> countAggregates_;
    std::optional<std::vector<SingleValue>> countAggregateValues_;
};

// The name by which the counting statement knows the query's result.
inline constexpr const char* CountedRecordsAlias = "counted_records";

// The statement that counts the records of `sql` when the driver cannot
// tell the count: SELECT COUNT(*) over it, without its final ORDER BY (which
// cannot change the count) unless a row limit follows that clause.
std::string CountSql(const std::string& sql);
// The same with `aggregates` computed beside the count, in their order.
std::string CountSql(const std::string& sql, const std::vector<std::string>& aggregates);

// The SQL text without its final top-level ORDER BY (unless a row limit
// follows that clause) and without a trailing ";": the same records, in no
// particular order, ready to be wrapped in an aggregate.
std::string WithoutFinalOrderBy(const std::string& sql);

}  // namespace quillmere::odbc
