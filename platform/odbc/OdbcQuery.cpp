#include "platform/odbc/OdbcQuery.h"

#include "platform/odbc/OdbcApi.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <climits>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/CodePage.h"

namespace quillmere::odbc {

namespace {

// Character columns up to this many characters are bound; longer or
// unbounded ones make the query read record by record with SQLGetData.
constexpr SQLULEN MaxBoundChars = 4000;
std::atomic<int> openStatements{0};

// Bytes of one block of bound columns, at most.
constexpr std::size_t MaxBlockBytes = 8u << 20;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
           });
}

ValueKind KindOf(SQLSMALLINT sqlType) {
    switch (sqlType) {
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
            return ValueKind::Integer;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            return ValueKind::Decimal;
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return ValueKind::Float;
        case SQL_TYPE_DATE:
        case SQL_DATE:
            return ValueKind::Date;
        case SQL_TYPE_TIME:
        case SQL_TIME:
            return ValueKind::Time;
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
            return ValueKind::Timestamp;
        case SQL_BIT:
            return ValueKind::Boolean;
        default:
            return ValueKind::Text;
    }
}

std::string Trimmed(std::string s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

[[noreturn]] void NotA(const std::string& text, const char* what) {
    throw Exception("'" + text + "' is not a valid " + what + " value");
}

// Whether `sql` holds `word` at `at` as a whole keyword, ignoring case.
bool KeywordAt(const std::string& sql, std::size_t at, std::string_view word) {
    const auto isWordChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    };
    if (at == std::string::npos || at + word.size() > sql.size() ||
        (at > 0 && isWordChar(sql[at - 1])) ||
        (at + word.size() < sql.size() && isWordChar(sql[at + word.size()]))) {
        return false;
    }
    return EqualsIgnoringCase(std::string_view(sql).substr(at, word.size()), word);
}

}  // namespace

struct Query::Column {
    std::string name;
    SQLSMALLINT sqlType = 0;
    SQLULEN size = 0;
    SQLSMALLINT scale = 0;
    ValueKind kind = ValueKind::Text;
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLLEN elementSize = 0;  // bytes of one cell in `data`
    bool unbounded = false;  // longer than a bound cell can hold: forces record-by-record reading
    std::vector<unsigned char> data;
    std::vector<SQLLEN> indicator;
    // Record by record, the current value of a text or decimal column, read
    // whole whatever its length.
    std::u16string longText;
    std::string longDigits;
};

// The helper thread of an open query: fetches one block at a time when
// asked. One thread serves the whole walk, so the driver's allocations stay
// with one thread.
class Query::Fetcher {
  public:
    explicit Fetcher(std::function<SQLRETURN(int)> fetch)
        : fetch_(std::move(fetch)), thread_([this] { Run(); }) {}
    ~Fetcher() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    Fetcher(const Fetcher&) = delete;
    Fetcher& operator=(const Fetcher&) = delete;

    void Start(int block) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            block_ = block;
            requested_ = true;
            done_ = false;
        }
        wake_.notify_one();
    }
    SQLRETURN Wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        finished_.wait(lock, [this] { return done_; });
        return result_;
    }

  private:
    void Run() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return stop_ || requested_; });
            if (stop_) {
                return;
            }
            requested_ = false;
            const int block = block_;
            lock.unlock();
            const SQLRETURN result = fetch_(block);
            lock.lock();
            result_ = result;
            done_ = true;
            finished_.notify_one();
        }
    }

    std::function<SQLRETURN(int)> fetch_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    int block_ = 0;
    bool requested_ = false;
    bool done_ = false;
    bool stop_ = false;
    SQLRETURN result_ = SQL_SUCCESS;
    std::thread thread_;  // last: starts once everything above exists
};

Query::Query(Connection& connection) : connection_(connection) {}

Query::~Query() {
    Close();
}

int Query::OpenStatements() {
    return openStatements;
}

int Query::FieldCount() const {
    return static_cast<int>(columns_.size());
}

void Query::Open() {
    Close();
    if (!connection_.Connected()) {
        throw Exception("Operation is not allowed when the connection is closed");
    }
    Check(SQLAllocHandle(SQL_HANDLE_STMT, connection_.Handle(), &stmt_), SQL_HANDLE_DBC,
          connection_.Handle(), "SQLAllocHandle");
    ++openStatements;
    countAggregateValues_.reset();
    try {
        execute();
        if (columns_.empty()) {
            throw Exception("The SQL text returns no records");
        }
        SQLLEN count = -1;
        checkFetch(SQLRowCount(stmt_, &count), "SQLRowCount");
        if (count >= 0) {
            recordCount_ = count > INT_MAX ? INT_MAX : static_cast<int>(count);
        } else {
            countRecords();
        }
        bind();
        eof_ = false;
        recordNo_ = 0;
        fetchBlock();
    } catch (...) {
        Close();
        throw;
    }
}

void Query::execute() {
    std::u16string text = Utf16FromUtf8(sql_);
    checkFetch(SQLExecDirectW(stmt_, reinterpret_cast<SQLWCHAR*>(text.data()),
                              static_cast<SQLINTEGER>(text.size())),
               "SQLExecDirect");
    describe();
}

void Query::Close() {
    if (fetching_) {
        fetcher_->Wait();  // a fetch in flight still uses the statement and the buffers
        fetching_ = false;
    }
    fetcher_.reset();
    block_ = 0;
    if (stmt_) {
        SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
        stmt_ = nullptr;
        --openStatements;
    }
    columns_.clear();
    rowsInBlock_ = 0;
    row_ = 0;
    eof_ = true;
}

void Query::describe() {
    SQLSMALLINT count = 0;
    Check(SQLNumResultCols(stmt_, &count), SQL_HANDLE_STMT, stmt_, "SQLNumResultCols");
    columns_.resize(static_cast<std::size_t>(count));
    for (SQLSMALLINT i = 0; i < count; ++i) {
        Column& c = columns_[static_cast<std::size_t>(i)];
        SQLWCHAR name[256];
        SQLSMALLINT nameLength = 0, nullable = 0;
        Check(SQLDescribeColW(stmt_, SQLUSMALLINT(i + 1), name, SQLSMALLINT(std::size(name)),
                              &nameLength, &c.sqlType, &c.size, &c.scale, &nullable),
              SQL_HANDLE_STMT, stmt_, "SQLDescribeCol");
        c.name = Utf8FromUtf16(std::u16string_view(
            reinterpret_cast<const char16_t*>(name),
            std::min<std::size_t>(static_cast<std::size_t>(nameLength), std::size(name) - 1)));
        c.kind = KindOf(c.sqlType);
        switch (c.kind) {
            case ValueKind::Integer:
                c.cType = SQL_C_SBIGINT;
                c.elementSize = sizeof(SQLBIGINT);
                break;
            case ValueKind::Decimal:
                c.cType = SQL_C_CHAR;
                c.elementSize = 80;
                break;
            case ValueKind::Float:
                c.cType = SQL_C_DOUBLE;
                c.elementSize = sizeof(SQLDOUBLE);
                break;
            case ValueKind::Date:
                c.cType = SQL_C_TYPE_DATE;
                c.elementSize = sizeof(SQL_DATE_STRUCT);
                break;
            case ValueKind::Time:
                c.cType = SQL_C_TYPE_TIME;
                c.elementSize = sizeof(SQL_TIME_STRUCT);
                break;
            case ValueKind::Timestamp:
                c.cType = SQL_C_TYPE_TIMESTAMP;
                c.elementSize = sizeof(SQL_TIMESTAMP_STRUCT);
                break;
            case ValueKind::Boolean:
                c.cType = SQL_C_BIT;
                c.elementSize = sizeof(unsigned char);
                break;
            case ValueKind::Text:
                c.cType = SQL_C_WCHAR;
                c.unbounded = c.size == 0 || c.size > MaxBoundChars ||
                              c.sqlType == SQL_LONGVARCHAR || c.sqlType == SQL_WLONGVARCHAR ||
                              c.sqlType == SQL_LONGVARBINARY;
                // Room for every character as a surrogate pair, and the terminator.
                c.elementSize = c.unbounded ? 0 : static_cast<SQLLEN>((c.size * 2 + 1) * 2);
                break;
        }
        // A leftover tail of a column that delivers more than it declares
        // would be lost: guard the numeric text too.
        if (c.kind == ValueKind::Decimal && c.size + 3 > 80) {
            c.unbounded = true;
        }
    }
    rowByRow_ =
        std::any_of(columns_.begin(), columns_.end(), [](const Column& c) { return c.unbounded; });
}

void Query::bind() {
    std::size_t rowBytes = 0;
    for (const Column& c : columns_) {
        rowBytes += static_cast<std::size_t>(c.elementSize) + sizeof(SQLLEN);
    }
    SQLULEN rows = rowByRow_ ? 1 : static_cast<SQLULEN>(blockRows_);
    rows = std::max<SQLULEN>(
        1, std::min<SQLULEN>(rows, MaxBlockBytes / std::max<std::size_t>(rowBytes, 1)));
    Check(SQLSetStmtAttr(stmt_, SQL_ATTR_ROW_BIND_TYPE,
                         reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_BIND_BY_COLUMN)), 0),
          SQL_HANDLE_STMT, stmt_, "SQLSetStmtAttr");
    Check(SQLSetStmtAttr(stmt_, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rows), 0),
          SQL_HANDLE_STMT, stmt_, "SQLSetStmtAttr");
    Check(SQLSetStmtAttr(stmt_, SQL_ATTR_ROWS_FETCHED_PTR, &fetched_, 0), SQL_HANDLE_STMT, stmt_,
          "SQLSetStmtAttr");
    boundRows_ = rows;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        Column& c = columns_[i];
        if (rowByRow_) {
            // Everything through SQLGetData: one record per call.
            c.indicator.assign(1, SQL_NULL_DATA);
            c.data.assign(std::max<SQLLEN>(c.elementSize, 1), 0);
            continue;
        }
        // Two blocks: the driver fills one while the other is read.
        c.indicator.assign(2 * rows, SQL_NULL_DATA);
        c.data.assign(static_cast<std::size_t>(c.elementSize) * rows * 2, 0);
    }
}

SQLRETURN Query::fetchInto(int block) {
    const std::size_t first = static_cast<std::size_t>(block) * boundRows_;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        Column& c = columns_[i];
        const SQLRETURN rc =
            SQLBindCol(stmt_, SQLUSMALLINT(i + 1), c.cType,
                       c.data.data() + first * static_cast<std::size_t>(c.elementSize),
                       c.elementSize, c.indicator.data() + first);
        if (!SQL_SUCCEEDED(rc)) {
            return rc;
        }
    }
    return SQLFetchScroll(stmt_, SQL_FETCH_NEXT, 0);
}

void Query::fetchBlock() {
    row_ = 0;
    rowsInBlock_ = 0;
    SQLRETURN rc;
    if (rowByRow_) {
        rc = SQLFetchScroll(stmt_, SQL_FETCH_NEXT, 0);
    } else if (fetching_) {
        rc = fetcher_->Wait();
        fetching_ = false;
        block_ ^= 1;
    } else {
        rc = fetchInto(block_);
    }
    if (rc == SQL_NO_DATA) {
        eof_ = true;
        return;
    }
    checkFetch(rc, "SQLFetch");
    rowsInBlock_ = fetched_;
    if (rowsInBlock_ == 0) {
        eof_ = true;
        return;
    }
    if (rowByRow_) {
        readWholeRow();
        return;
    }
    if (blockHasCutValue()) {
        // A value longer than its column declares did not fit its cell. The
        // rest of it cannot be fetched from a block, so the query starts
        // again, reads record by record and goes on from this block.
        restartRecordByRecord();
        return;
    }
    // The next block is fetched while this one is read: the driver's
    // conversions and the data source's work overlap with the caller's.
    // Only the fetch touches the statement until the block is taken.
    if (!fetcher_) {
        fetcher_ = std::make_unique<Fetcher>([this](int block) { return fetchInto(block); });
    }
    fetcher_->Start(block_ ^ 1);
    fetching_ = true;
}

bool Query::blockHasCutValue() const {
    const std::size_t first = static_cast<std::size_t>(block_) * boundRows_;
    for (const Column& c : columns_) {
        if (c.cType != SQL_C_WCHAR && c.cType != SQL_C_CHAR) {
            continue;
        }
        // Room for the value's bytes before the terminator.
        const SQLLEN room = c.elementSize - (c.cType == SQL_C_WCHAR ? 2 : 1);
        for (std::size_t r = first; r < first + rowsInBlock_; ++r) {
            const SQLLEN bytes = c.indicator[r];
            if (bytes == SQL_NO_TOTAL || bytes > room) {
                return true;
            }
        }
    }
    return false;
}

void Query::restartRecordByRecord() {
    // Nothing is in flight: the block just taken was the last fetch asked for.
    fetcher_.reset();
    block_ = 0;
    const std::size_t columnCount = columns_.size();
    columns_.clear();
    SQLFreeStmt(stmt_, SQL_CLOSE);
    SQLFreeStmt(stmt_, SQL_UNBIND);
    execute();
    if (columns_.size() != columnCount) {
        throw Exception("The result of the query changed while it was read");
    }
    rowByRow_ = true;
    bind();
    // Pass over the records that the caller has already read.
    for (long long skipped = 0; skipped < recordNo_; ++skipped) {
        const SQLRETURN rc = SQLFetchScroll(stmt_, SQL_FETCH_NEXT, 0);
        if (rc == SQL_NO_DATA) {
            throw Exception("The result of the query changed while it was read");
        }
        checkFetch(rc, "SQLFetch");
    }
    fetchBlock();
}

// Reads the current record's value of a character column in parts until the
// driver has delivered all of it; returns its length indicator (0 or
// SQL_NULL_DATA).
template <typename Text>
SQLLEN Query::readWhole(SQLUSMALLINT col, Text& value) {
    using Unit = typename Text::value_type;
    constexpr SQLSMALLINT cType = sizeof(Unit) == 1 ? SQL_C_CHAR : SQL_C_WCHAR;
    value.clear();
    Unit part[4096];
    constexpr std::size_t capacity = std::size(part) - 1;  // the terminator takes one
    for (;;) {
        SQLLEN got = 0;
        const SQLRETURN rc = SQLGetData(stmt_, col, cType, part, sizeof part, &got);
        if (rc == SQL_NO_DATA) {
            return 0;  // every part read
        }
        checkFetch(rc, "SQLGetData");
        if (got == SQL_NULL_DATA) {
            value.clear();
            return SQL_NULL_DATA;
        }
        // A part that did not fit fills the buffer; `got` is then what was
        // left before this call, or SQL_NO_TOTAL.
        const bool cut =
            got == SQL_NO_TOTAL || static_cast<std::size_t>(got) / sizeof(Unit) > capacity;
        value.append(part, cut ? capacity : static_cast<std::size_t>(got) / sizeof(Unit));
        if (!cut) {
            return 0;
        }
    }
}

void Query::readWholeRow() {
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        Column& c = columns_[i];
        const auto col = SQLUSMALLINT(i + 1);
        if (c.cType == SQL_C_WCHAR) {
            c.indicator[0] = readWhole(col, c.longText);
        } else if (c.cType == SQL_C_CHAR) {
            c.indicator[0] = readWhole(col, c.longDigits);
        } else {
            checkFetch(
                SQLGetData(stmt_, col, c.cType, c.data.data(), c.elementSize, &c.indicator[0]),
                "SQLGetData");
        }
    }
}

void Query::checkFetch(SQLRETURN rc, const char* what) const {
    CheckSourceCall(connection_, rc, SQL_HANDLE_STMT, stmt_, what);
}

void Query::countRecords() {
    countAggregateValues_.reset();
    if (!countAggregates_.empty() && countRecordsWithAggregates()) {
        return;
    }
    SQLHSTMT count = nullptr;
    CheckSourceCall(connection_, SQLAllocHandle(SQL_HANDLE_STMT, connection_.Handle(), &count),
                    SQL_HANDLE_DBC, connection_.Handle(), "SQLAllocHandle");
    try {
        std::u16string text = Utf16FromUtf8(CountSql(sql_));
        CheckSourceCall(connection_,
                        SQLExecDirectW(count, reinterpret_cast<SQLWCHAR*>(text.data()),
                                       static_cast<SQLINTEGER>(text.size())),
                        SQL_HANDLE_STMT, count, "SQLExecDirect");
        SQLBIGINT n = 0;
        SQLLEN ind = 0;
        CheckSourceCall(connection_, SQLFetch(count), SQL_HANDLE_STMT, count, "SQLFetch");
        CheckSourceCall(connection_, SQLGetData(count, 1, SQL_C_SBIGINT, &n, sizeof n, &ind),
                        SQL_HANDLE_STMT, count, "SQLGetData");
        recordCount_ = n > INT_MAX ? INT_MAX : static_cast<int>(n);
    } catch (...) {
        SQLFreeHandle(SQL_HANDLE_STMT, count);
        throw;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, count);
}

bool Query::countRecordsWithAggregates() {
    std::vector<SingleValue> row;
    try {
        row = SingleRow(connection_, CountSql(sql_, countAggregates_));
    } catch (const EOdbcError& e) {
        if (LostConnection(connection_, e)) {
            throw;
        }
        // An aggregate the data source cannot compute costs the caller its
        // figures, not the records: they are counted alone.
        return false;
    } catch (const Exception&) {
        return false;  // no row: counted alone, as above
    }
    if (row.size() != 1 + countAggregates_.size() || !row[0].text) {
        return false;
    }
    const long long n = std::atoll(row[0].text->c_str());
    recordCount_ = n > INT_MAX ? INT_MAX : static_cast<int>(n);
    row.erase(row.begin());
    countAggregateValues_ = std::move(row);
    return true;
}

void Query::First() {
    if (!Active()) {
        throw Exception("Operation is not allowed when the query is closed");
    }
    if (recordNo_ != 0) {
        throw Exception("The query cannot go back to its first record");
    }
}

void Query::Next() {
    if (eof_) {
        throw Exception("The query has passed its last record");
    }
    ++recordNo_;
    if (++row_ >= rowsInBlock_) {
        fetchBlock();
    }
}

const Query::Column& Query::column(int field) const {
    if (field < 0 || field >= FieldCount()) {
        throw Exception("Column " + std::to_string(field) + " is not in the result");
    }
    if (eof_) {
        throw Exception("The query has no current record");
    }
    return columns_[static_cast<std::size_t>(field)];
}

const std::string& Query::FieldName(int field) const {
    return columns_.at(static_cast<std::size_t>(field)).name;
}

std::optional<int> Query::FindField(std::string_view name) const {
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (EqualsIgnoringCase(columns_[i].name, name)) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

int Query::FieldIndex(std::string_view name) const {
    if (auto i = FindField(name)) {
        return *i;
    }
    throw Exception("Column '" + std::string(name) + "' is not in the result");
}

SQLSMALLINT Query::SqlType(int field) const {
    return columns_.at(static_cast<std::size_t>(field)).sqlType;
}
ValueKind Query::Kind(int field) const {
    return columns_.at(static_cast<std::size_t>(field)).kind;
}
SQLULEN Query::ColumnSize(int field) const {
    return columns_.at(static_cast<std::size_t>(field)).size;
}
int Query::DecimalDigits(int field) const {
    return columns_.at(static_cast<std::size_t>(field)).scale;
}

std::size_t Query::at() const {
    return rowByRow_ ? 0 : static_cast<std::size_t>(block_) * boundRows_ + row_;
}

const unsigned char* Query::cell(const Column& c) const {
    return c.data.data() + at() * static_cast<std::size_t>(c.elementSize);
}

bool Query::IsNull(int field) const {
    const Column& c = column(field);
    return c.indicator[at()] == SQL_NULL_DATA;
}

std::u16string Query::wideText(const Column& c) const {
    if (rowByRow_) {
        return c.longText;
    }
    // A bound block holds only values that fit their cells (blockHasCutValue).
    return std::u16string(reinterpret_cast<const char16_t*>(cell(c)),
                          static_cast<std::size_t>(c.indicator[at()]) / 2);
}

std::string Query::decimalDigits(const Column& c) const {
    if (rowByRow_) {
        return c.longDigits;
    }
    return std::string(reinterpret_cast<const char*>(cell(c)),
                       static_cast<std::size_t>(c.indicator[at()]));
}

std::string_view Query::DecimalView(int field) const {
    const Column& c = column(field);
    if (IsNull(field)) {
        return {};
    }
    if (c.kind != ValueKind::Decimal) {
        throw Exception("Column " + c.name + " holds no exact decimal");
    }
    if (rowByRow_) {
        return c.longDigits;
    }
    return {reinterpret_cast<const char*>(cell(c)), static_cast<std::size_t>(c.indicator[at()])};
}

std::size_t Query::AppendText(int field, std::string& out) const {
    const Column& c = column(field);
    if (IsNull(field)) {
        return 0;
    }
    switch (c.kind) {
        case ValueKind::Text:
            if (rowByRow_) {
                return AppendCp1252FromUtf16(out, c.longText);
            }
            return AppendCp1252FromUtf16(out, {reinterpret_cast<const char16_t*>(cell(c)),
                                               static_cast<std::size_t>(c.indicator[at()]) / 2});
        case ValueKind::Integer: {
            char buf[24];
            const auto end = std::to_chars(buf, buf + sizeof buf, AsInt64(field)).ptr;
            out.append(buf, end);
            return 0;
        }
        case ValueKind::Decimal:
            out += DecimalView(field);
            return 0;
        default:
            out += AsText(field);
            return 0;
    }
}

std::string Query::AsUtf8(int field) const {
    const Column& c = column(field);
    if (IsNull(field)) {
        return {};
    }
    if (c.kind == ValueKind::Text) {
        return Utf8FromUtf16(wideText(c));
    }
    return AsText(field);
}

std::string Query::DecimalText(int field) const {
    const Column& c = column(field);
    if (IsNull(field)) {
        return {};
    }
    if (c.kind != ValueKind::Decimal) {
        return AsText(field);
    }
    return decimalDigits(c);
}

std::string Query::AsText(int field) const {
    const Column& c = column(field);
    if (IsNull(field)) {
        return {};
    }
    char buf[64];
    switch (c.kind) {
        case ValueKind::Text:
            return Cp1252FromUtf16(wideText(c));
        case ValueKind::Integer:
            return std::to_string(AsInt64(field));
        case ValueKind::Decimal:
            return decimalDigits(c);
        case ValueKind::Float:
            std::snprintf(buf, sizeof buf, "%.17g", AsFloat(field));
            return buf;
        case ValueKind::Boolean:
            return AsBoolean(field) ? "True" : "False";
        case ValueKind::Date: {
            const DateValue d = AsDate(field);
            std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
            return buf;
        }
        case ValueKind::Time: {
            const TimeValue t = AsTime(field);
            std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
            return buf;
        }
        case ValueKind::Timestamp: {
            const TimestampValue s = AsTimestamp(field);
            std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", s.date.year,
                          s.date.month, s.date.day, s.time.hour, s.time.minute, s.time.second);
            return buf;
        }
    }
    return {};
}

std::int64_t Query::AsInt64(int field) const {
    const Column& c = column(field);
    if (IsNull(field)) {
        return 0;
    }
    switch (c.kind) {
        case ValueKind::Integer: {
            SQLBIGINT v;
            std::memcpy(&v, cell(c), sizeof v);
            return v;
        }
        case ValueKind::Boolean:
            return AsBoolean(field) ? 1 : 0;
        case ValueKind::Float: {
            const double v = AsFloat(field);
            if (v != v || v < -9.2e18 || v > 9.2e18) {
                NotA(AsText(field), "integer");
            }
            return static_cast<std::int64_t>(v < 0 ? v - 0.5 : v + 0.5);
        }
        default: {
            const std::string text = Trimmed(AsText(field));
            std::int64_t v = 0;
            const char* first = text.data();
            const char* last = text.data() + text.size();
            if (first != last && *first == '+') {
                ++first;
            }
            auto [end, ec] = std::from_chars(first, last, v);
            // Exact decimals with a zero fraction ("12.00") are integers too.
            if (ec == std::errc() && end != last && *end == '.' &&
                std::all_of(end + 1, last, [](char ch) { return ch == '0'; })) {
                end = last;
            }
            if (ec != std::errc() || end != last || first == last) {
                NotA(text, "integer");
            }
            return v;
        }
    }
}

int Query::AsInteger(int field) const {
    const std::int64_t v = AsInt64(field);
    if (v < INT_MIN || v > INT_MAX) {
        NotA(std::to_string(v), "integer");
    }
    return static_cast<int>(v);
}

double Query::AsFloat(int field) const {
    const Column& c = column(field);
    if (IsNull(field)) {
        return 0;
    }
    switch (c.kind) {
        case ValueKind::Float: {
            SQLDOUBLE v;
            std::memcpy(&v, cell(c), sizeof v);
            return v;
        }
        case ValueKind::Integer:
        case ValueKind::Boolean:
            return static_cast<double>(AsInt64(field));
        default: {
            const std::string text = Trimmed(AsText(field));
            char* end = nullptr;
            const double v = std::strtod(text.c_str(), &end);
            if (text.empty() || end != text.c_str() + text.size()) {
                NotA(text, "floating point");
            }
            return v;
        }
    }
}

bool Query::AsBoolean(int field) const {
    const Column& c = column(field);
    if (IsNull(field)) {
        return false;
    }
    if (c.kind == ValueKind::Boolean) {
        return *cell(c) != 0;
    }
    return AsInt64(field) != 0;
}

DateValue Query::AsDate(int field) const {
    const Column& c = column(field);
    if (IsNull(field)) {
        return {};
    }
    if (c.kind == ValueKind::Timestamp) {
        return AsTimestamp(field).date;
    }
    if (c.kind != ValueKind::Date) {
        NotA(AsText(field), "date");
    }
    SQL_DATE_STRUCT d;
    std::memcpy(&d, cell(c), sizeof d);
    return {d.year, d.month, d.day};
}

TimeValue Query::AsTime(int field) const {
    const Column& c = column(field);
    if (IsNull(field)) {
        return {};
    }
    if (c.kind == ValueKind::Timestamp) {
        return AsTimestamp(field).time;
    }
    if (c.kind != ValueKind::Time) {
        NotA(AsText(field), "time");
    }
    SQL_TIME_STRUCT t;
    std::memcpy(&t, cell(c), sizeof t);
    return {t.hour, t.minute, t.second};
}

TimestampValue Query::AsTimestamp(int field) const {
    const Column& c = column(field);
    if (IsNull(field)) {
        return {};
    }
    if (c.kind == ValueKind::Date) {
        return {AsDate(field), {}, 0};
    }
    if (c.kind != ValueKind::Timestamp) {
        NotA(AsText(field), "date and time");
    }
    SQL_TIMESTAMP_STRUCT s;
    std::memcpy(&s, cell(c), sizeof s);
    return {{s.year, s.month, s.day}, {s.hour, s.minute, s.second}, s.fraction};
}

std::string CountSql(const std::string& sql) {
    return CountSql(sql, {});
}

std::string CountSql(const std::string& sql, const std::vector<std::string>& aggregates) {
    std::string count = "SELECT COUNT(*)";
    for (const std::string& aggregate : aggregates) {
        count += ", " + aggregate;
    }
    return count + " FROM (" + WithoutFinalOrderBy(sql) + ") AS " + CountedRecordsAlias;
}

std::string WithoutFinalOrderBy(const std::string& sql) {
    std::string inner = sql;
    while (!inner.empty() &&
           (inner.back() == ';' || std::isspace(static_cast<unsigned char>(inner.back())))) {
        inner.pop_back();
    }
    // The order does not change the count but costs the data source a sort:
    // a final ORDER BY at the top level goes, unless a row limit follows it.
    std::size_t orderBy = std::string::npos;
    bool limited = false;
    int depth = 0;
    char quote = 0;
    for (std::size_t i = 0; i < inner.size(); ++i) {
        const char c = inner[i];
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (depth == 0) {
            if (KeywordAt(inner, i, "ORDER") &&
                KeywordAt(inner, inner.find_first_not_of(" \t\r\n", i + 5), "BY")) {
                orderBy = i;
                limited = false;
            } else if (orderBy != std::string::npos &&
                       (KeywordAt(inner, i, "LIMIT") || KeywordAt(inner, i, "OFFSET") ||
                        KeywordAt(inner, i, "FETCH") || KeywordAt(inner, i, "FOR"))) {
                limited = true;
            }
        }
    }
    if (orderBy != std::string::npos && !limited && quote == 0 && depth == 0) {
        inner.erase(orderBy);
    }
    return inner;
}

}  // namespace quillmere::odbc
