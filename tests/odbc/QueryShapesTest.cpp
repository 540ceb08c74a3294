// The query reader on results of every shape (short, long, unbounded and
// oversized columns in every position, NULLs, no records) through the real
// driver. Each result is compared value by value with psql's reading of the
// same SQL text: an independent client that binds nothing.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "SageHarness.h"
#include "platform/CodePage.h"
#include "platform/odbc/OdbcQuery.h"
#include "support/Command.h"

namespace quillmere {
namespace {

using Value = std::optional<std::string>;  // nullopt: NULL
using Table = std::vector<std::vector<Value>>;

// psql writes this for a NULL, so that it differs from the empty text.
const std::string NullMark = "<NULL>";

// The records of psql's CSV output (header line first, dropped), values in
// Windows-1252 as the reader delivers them.
Table ParseCsv(const std::string& csv) {
    Table rows;
    std::vector<Value> row;
    std::string value;
    bool quoted = false, wasQuoted = false;
    const auto endValue = [&] {
        const std::string text = Cp1252FromUtf8(value);
        row.push_back(!wasQuoted && value == NullMark ? Value{} : Value{text});
        value.clear();
        wasQuoted = false;
    };
    for (std::size_t i = 0; i < csv.size(); ++i) {
        const char c = csv[i];
        if (quoted) {
            if (c == '"' && i + 1 < csv.size() && csv[i + 1] == '"') {
                value += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                value += c;
            }
        } else if (c == '"') {
            quoted = wasQuoted = true;
        } else if (c == ',') {
            endValue();
        } else if (c == '\n') {
            endValue();
            rows.push_back(std::move(row));
            row.clear();
        } else {
            value += c;
        }
    }
    if (!rows.empty()) {
        rows.erase(rows.begin());
    }
    return rows;
}

Table ReadWithPsql(const std::string& sql) {
    const std::string command = "PGPASSWORD=" + test::ShellQuote(test::SagePassword) +
                                " psql -X -q --csv -P " + test::ShellQuote("null=" + NullMark) +
                                " -h " + test::ShellQuote(test::HarnessInfo("socket")) + " -p " +
                                test::HarnessInfo("port") + " -U " + test::SageUser + " -d " +
                                test::HarnessInfo("database") + " -c " + test::ShellQuote(sql);
    int status = -1;
    const std::string out = test::RunCommand(command, &status);
    EXPECT_EQ(status, 0) << command;
    return ParseCsv(out);
}

Table ReadWithQuery(odbc::Query& query) {
    Table rows;
    for (query.First(); !query.Eof(); query.Next()) {
        std::vector<Value> row;
        for (int f = 0; f < query.FieldCount(); ++f) {
            row.push_back(query.IsNull(f) ? Value{} : Value{query.AsText(f)});
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

// A short description of the first difference, so a failure stays readable
// when values are 100,000 characters long.
std::string FirstDifference(const Table& got, const Table& expected) {
    if (got.size() != expected.size()) {
        return std::to_string(got.size()) + " records instead of " +
               std::to_string(expected.size());
    }
    for (std::size_t r = 0; r < got.size(); ++r) {
        if (got[r].size() != expected[r].size()) {
            return "record " + std::to_string(r) + " has " + std::to_string(got[r].size()) +
                   " values instead of " + std::to_string(expected[r].size());
        }
        for (std::size_t f = 0; f < got[r].size(); ++f) {
            const Value& a = got[r][f];
            const Value& b = expected[r][f];
            if (a != b) {
                const auto show = [](const Value& v) {
                    return v ? std::to_string(v->size()) + " bytes \"" + v->substr(0, 40) + "\""
                             : std::string("NULL");
                };
                return "record " + std::to_string(r) + " value " + std::to_string(f) + ": " +
                       show(a) + " instead of " + show(b);
            }
        }
    }
    return {};
}

struct Shape {
    const char* name;
    const char* sql;
    int blockRows;  // 0: the reader's default
};

const Shape Shapes[] = {
    {"no long column", "SELECT id, code, amount, opened, title FROM shapes ORDER BY id", 0},
    {"a long column first", "SELECT memo, id, code, amount, opened, title FROM shapes ORDER BY id",
     0},
    {"a long column in the middle",
     "SELECT id, code, memo, amount, opened, title FROM shapes ORDER BY id", 0},
    {"a long column last", "SELECT id, code, amount, opened, title, memo FROM shapes ORDER BY id",
     0},
    {"two long columns", "SELECT id, memo, code, note, amount, title FROM shapes ORDER BY id", 0},
    {"every column long", "SELECT memo, note, CAST(title AS text) FROM shapes ORDER BY id", 0},
    {"every column of the table", "SELECT s.* FROM shapes s ORDER BY id", 0},
    {"values longer than the column declares, in the first block",
     "SELECT id, code, free, title, amount FROM shapes ORDER BY id", 0},
    {"values longer than the column declares, blocks after the first already read",
     "SELECT id, code, free, title, amount FROM shapes ORDER BY id", 2},
    {"a decimal wider than a bound cell",
     "SELECT id, CAST(amount * 10 ^ 80 AS numeric(100, 2)) AS wide, code FROM shapes ORDER BY id",
     0},
    {"all NULL", "SELECT memo, code, amount, opened, note, free FROM shapes WHERE id = 7", 0},
    {"no records", "SELECT id, memo, code, free FROM shapes WHERE id < 0", 0},
    {"many records through a long column, record by record",
     "SELECT g AS n, repeat('r', g % 5000) AS long_text, CAST(g AS varchar(10)) AS short_text "
     "FROM generate_series(1, 3000) AS g ORDER BY g",
     0},
};

TEST(QueryShapes, EveryResultReadsAsPsqlReadsIt) {
    auto sage = test::LoggedInSage();
    for (const Shape& shape : Shapes) {
        SCOPED_TRACE(shape.name);
        const Table expected = ReadWithPsql(shape.sql);
        odbc::Query query(sage->Connection);
        query.SetSql(shape.sql);
        if (shape.blockRows > 0) {
            query.SetBlockRows(shape.blockRows);
        }
        query.Open();
        EXPECT_EQ(query.RecordCount(), static_cast<int>(expected.size()));
        const Table got = ReadWithQuery(query);
        EXPECT_EQ(FirstDifference(got, expected), "");
    }
}

// The oversized cases above prove something only while the driver declares
// a size that some values exceed; check that it still does.
TEST(QueryShapes, TheOversizedColumnDeclaresLessThanItsLongestValue) {
    auto sage = test::LoggedInSage();
    odbc::Query query(sage->Connection);
    query.SetSql("SELECT free FROM shapes WHERE id = 9");
    query.Open();
    ASSERT_FALSE(query.Eof());
    EXPECT_GT(query.ColumnSize(0), 0u);
    EXPECT_LT(query.ColumnSize(0), 5000u);
    EXPECT_EQ(query.AsText(0), std::string(5000, 'w'));
}

// A query that went over to record-by-record reading part way starts afresh
// when it is opened again, and holds one statement throughout.
TEST(QueryShapes, AReopenedQueryReadsTheSameRecordsAgain) {
    auto sage = test::LoggedInSage();
    odbc::Query query(sage->Connection);
    query.SetSql("SELECT id, code, free, memo FROM shapes ORDER BY id");
    query.SetBlockRows(3);
    query.Open();
    const Table first = ReadWithQuery(query);
    query.Open();
    const Table second = ReadWithQuery(query);
    EXPECT_EQ(first.size(), 11u);
    EXPECT_EQ(FirstDifference(second, first), "");
    EXPECT_EQ(odbc::Query::OpenStatements(), 1);
    query.Close();
    EXPECT_EQ(odbc::Query::OpenStatements(), 0);
}

// Aggregates asked for ride on the statement that counts the records; one
// the data source refuses costs its figures only: the records are still
// counted and every one read, through the cursor opened before the refusal.
TEST(QueryShapes, CountAggregatesRideOnTheRecordCountOrAreLeftOut) {
    auto sage = test::LoggedInSage();
    const std::string sql = "SELECT id, code, amount, title FROM shapes ORDER BY id";
    const Table expected = ReadWithPsql(sql);
    const Table sums = ReadWithPsql(
        "SELECT SUM(amount), SUM(CASE WHEN amount > 0 THEN 1 ELSE 0 END), MAX(code) FROM shapes");
    ASSERT_EQ(sums.size(), 1u);
    struct Case {
        const char* name;
        std::vector<std::string> aggregates;
        std::optional<std::vector<Value>> values;  // nothing: left out
    } cases[] = {
        {"computed",
         {"SUM(counted_records.amount)", "SUM(CASE WHEN amount > 0 THEN 1 ELSE 0 END)",
          "MAX(counted_records.code)"},
         sums[0]},
        {"one the data source cannot compute (no sum of text)",
         {"SUM(counted_records.amount)", "SUM(counted_records.title)"},
         std::nullopt},
        {"a column the result does not have",
         {"SUM(counted_records.no_such_column)"},
         std::nullopt},
        {"none asked for", {}, std::nullopt},
    };
    odbc::Query query(sage->Connection);  // reopened for each case: nothing carries over
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        query.SetSql(sql);
        query.SetBlockRows(2);
        query.SetCountAggregates(c.aggregates);
        query.Open();
        EXPECT_EQ(query.RecordCount(), static_cast<int>(expected.size()));
        ASSERT_EQ(query.CountAggregateValues().has_value(), c.values.has_value());
        if (c.values) {
            std::vector<Value> got;
            for (const odbc::SingleValue& v : *query.CountAggregateValues()) {
                got.push_back(v.text);
            }
            EXPECT_EQ(got, *c.values);
        }
        EXPECT_EQ(FirstDifference(ReadWithQuery(query), expected), "");
    }
}

}  // namespace
}  // namespace quillmere
