// The export walk against the real driver: lines, counter and progress,
// sinks, and the query released on every path.
#include <gtest/gtest.h>

#include "SageHarness.h"
#include "platform/odbc/OdbcQuery.h"
#include "support/FakeSystem.h"
#include "support/TempDir.h"

namespace quillmere {
namespace {

using Calls = std::vector<std::pair<int, int>>;

// One integer column n = 1..count, sorted by the caller's column.
ExportDefinition Numbers(int count) {
    return {"SELECT n, CAST(n AS varchar(10)) AS t FROM generate_series(1, " +
                std::to_string(count) + ") AS n ORDER BY %s",
            "N,T",
            {{"N", Written::Bare}, {"T", Written::Quoted}}};
}

class Walk : public ::testing::Test {
  protected:
    std::unique_ptr<TSageObject> sage = test::LoggedInSage();
    Calls calls;
    std::vector<std::string> lines;
    RowList rows{lines};

    void SetUp() override {
        sage->RecordCount = 77;
        sage->OnProgress = [this](int position, int maximum) {
            calls.emplace_back(position, maximum);
        };
    }
};

TEST_F(Walk, CountsRecordsAndReportsEvery200) {
    struct {
        int records;
        Calls expected;
    } const cases[] = {
        {0, {}},
        {1, {}},
        {198, {}},
        {199, {{200, 199}}},
        {400, {{200, 400}, {400, 400}}},
        {2500,
         {{200, 2500},
          {400, 2500},
          {600, 2500},
          {800, 2500},
          {1000, 2500},
          {1200, 2500},
          {1400, 2500},
          {1600, 2500},
          {1800, 2500},
          {2000, 2500},
          {2200, 2500},
          {2400, 2500}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.records);
        calls.clear();
        lines.clear();
        sage->ExportRows(Numbers(c.records), "n", rows);
        EXPECT_EQ(sage->RecordCount, c.records);
        EXPECT_EQ(calls, c.expected);
        ASSERT_EQ(lines.size(), static_cast<std::size_t>(c.records) + 1);
        EXPECT_EQ(lines.front(), "N,T");
        // Across the fetch blocks every record comes once, in order.
        for (int i = 1; i <= c.records; ++i) {
            ASSERT_EQ(lines[i], std::to_string(i) + ",\"" + std::to_string(i) + "\"");
        }
    }
}

TEST_F(Walk, WithoutACallbackTheLinesAreTheSame) {
    sage->ExportRows(Numbers(1000), "n", rows);
    const auto withCallback = lines;
    lines.clear();
    sage->OnProgress = nullptr;
    sage->ExportRows(Numbers(1000), "n", rows);
    EXPECT_EQ(lines, withCallback);
    EXPECT_EQ(sage->RecordCount, 1000);
}

TEST_F(Walk, AppendsToAnExistingListAndPutsTheSortColumnInPlace) {
    lines = {"earlier line"};
    sage->ExportRows(Numbers(3), "n DESC", rows);
    EXPECT_EQ(lines,
              (std::vector<std::string>{"earlier line", "N,T", "3,\"3\"", "2,\"2\"", "1,\"1\""}));
}

TEST_F(Walk, DroppedRecordsAreCountedAndAWalkWithoutCountingLeavesEverythingAlone) {
    ExportDefinition definition = Numbers(400);
    definition.filter = [](const ExportRecord& r) { return r.Integer("N") % 4 == 0; };
    sage->ExportRows(definition, "n", rows);
    EXPECT_EQ(lines.size(), 101u);
    EXPECT_EQ(lines[1], "4,\"4\"");
    EXPECT_EQ(calls, (Calls{{200, 400}, {400, 400}}));

    calls.clear();
    lines.clear();
    definition.countRecords = false;
    sage->RecordCount = 77;
    sage->ExportRows(definition, "n", rows);
    EXPECT_EQ(lines.size(), 101u);
    EXPECT_EQ(sage->RecordCount, 77);
    EXPECT_TRUE(calls.empty());
}

TEST_F(Walk, LongTextColumnsAreReadRecordByRecord) {
    const ExportDefinition definition{
        "SELECT n, repeat('x', n) AS t FROM generate_series(1, 450) AS n ORDER BY %s",
        "N,T",
        {{"n", Written::Bare}, {"t", Written::Quoted}}};
    sage->ExportRows(definition, "n", rows);
    ASSERT_EQ(lines.size(), 451u);
    EXPECT_EQ(lines[450], "450,\"" + std::string(450, 'x') + "\"");
    EXPECT_EQ(calls, (Calls{{200, 450}, {400, 450}}));
}

// The ledger of the test data: quoting, NULLs, the £ sign, blanks kept.
const ExportDefinition Ledger{
    "SELECT s.* FROM sales_ledger s INNER JOIN currency c ON s.currency = c.number ORDER BY %s",
    "ACCOUNT_CODE,ACCOUNT_NAME,ADDRESS_1,CODE,CREDIT_LIMIT,ACCOUNT_ON_HOLD,DATE_ACCOUNT_OPENED,"
    "BALANCE",
    {{"ACCOUNT_REF", Written::Quoted},
     {"NAME", Written::Quoted},
     {"ADDRESS_1", Written::Quoted},
     {"CODE", Written::Quoted},
     {"CREDIT_LIMIT", Written::Bare},
     {"ACCOUNT_ON_HOLD", Written::Bare},
     {"DATE_ACCOUNT_OPENED", Written::Quoted},
     {"BALANCE", Written::Bare}}};

TEST_F(Walk, WritesQuotedAndBareValuesWithQuotesDoubled) {
    sage->ExportRows(Ledger, "ACCOUNT_REF", rows);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         Ledger.header,
                         "\"ABB001\",\"Abbey \"\"Road\"\" Stores, Ltd\",\"1 High Street\","
                         "\"GBP\",5000,0,\"01/04/2015\",1234.5",
                         "\"BRO002\",\"Brown & Sons \xA3\",\"\",\"GBP\",,1,\"\",-250.75",
                         "\"ZED003\",\"Zed GmbH  \",\"Hauptstra\xDF"
                         "e 5\",\"EUR\",0,0,"
                         "\"31/01/2016\",0",
                     }));
}

TEST_F(Walk, ADecimalCommaStaysOutOfBareValues) {
    sage->Settings.decimalSeparator = ',';
    sage->Settings.shortDateFormat = "dd.MM.yyyy";
    const ExportDefinition definition{
        "SELECT CAST(-1234.5 AS numeric(12,2)) AS amount, "
        "CAST(2.25 AS float8) AS rate, DATE '2016-01-31' AS d ORDER BY %s",
        "A,Q,R,D",
        {{"amount", Written::Bare},
         {"amount", Written::Quoted},
         {"rate", Written::Bare},
         {"d", Written::Quoted}}};
    sage->ExportRows(definition, "1", rows);
    EXPECT_EQ(lines.at(1), "-1234.5,\"-1234,5\",2.25,\"31.01.2016\"");
}

TEST_F(Walk, ATransformTurnsTheValueTextIntoTheTextWritten) {
    ExportDefinition definition = Numbers(2);
    definition.columns.push_back(
        {"T", Written::Quoted, [](const std::string& t) { return "#" + t; }});
    sage->ExportRows(definition, "n", rows);
    EXPECT_EQ(lines.at(2), "2,\"2\",\"#2\"");
}

TEST_F(Walk, FailuresKeepTheLinesSoFarAndReleaseTheQuery) {
    const int before = odbc::Query::OpenStatements();

    ExportDefinition wrongSql = Numbers(5);
    wrongSql.sql = "SELECT n FROM no_such_table ORDER BY %s";
    try {
        sage->ExportRows(wrongSql, "n", rows);
        FAIL() << "a wrong SQL text passed";
    } catch (const odbc::EOdbcError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("no_such_table"), std::string::npos) << text;
        EXPECT_NE(text.back(), '\n');
    }
    EXPECT_EQ(lines, std::vector<std::string>{"N,T"});
    EXPECT_EQ(sage->RecordCount, 77);
    EXPECT_EQ(odbc::Query::OpenStatements(), before);

    lines.clear();
    ExportDefinition missing = Numbers(5);
    missing.columns.push_back({"CODE", Written::Quoted});
    EXPECT_THROW(sage->ExportRows(missing, "n", rows), Exception);
    EXPECT_EQ(lines, std::vector<std::string>{"N,T"});
    EXPECT_EQ(odbc::Query::OpenStatements(), before);

    // A close requested in the middle: the progress call aborts the walk.
    lines.clear();
    sage->OnProgress = [](int position, int) {
        if (position == 400) {
            throw EAbort();
        }
    };
    EXPECT_THROW(sage->ExportRows(Numbers(1000), "n", rows), EAbort);
    EXPECT_EQ(lines.size(), 400u);
    EXPECT_EQ(odbc::Query::OpenStatements(), before);

    // The connection is still good for the next export.
    lines.clear();
    sage->OnProgress = nullptr;
    sage->ExportRows(Numbers(2), "n", rows);
    EXPECT_EQ(lines.size(), 3u);
}

TEST_F(Walk, AFileSinkWritesEachLineWithCrLfAsItArrives) {
    test::TempDir dir;
    {
        RowFile file(dir / "table.csv");
        sage->ExportRows(Numbers(2), "n", file);
        file.Close();
    }
    EXPECT_EQ(test::FileText(dir / "table.csv"), "N,T\r\n1,\"1\"\r\n2,\"2\"\r\n");
    dir.mkdir("a directory");
    EXPECT_THROW(RowFile(dir / "a directory"), EInOutError);
}

}  // namespace
}  // namespace quillmere
