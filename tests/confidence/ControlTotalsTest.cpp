// Control totals without a data source: exact sums of decimal texts, the
// lines of a table counted and added up as they pass, the summary's marks,
// and the search for an archive that an earlier run left unsent.
#include <gtest/gtest.h>

#include "export/ControlTotals.h"
#include "export/DecimalSum.h"
#include "export/ExportTables.h"
#include "export/UnsentArchive.h"
#include "platform/ZipWriter.h"
#include "support/TempDir.h"

namespace quillmere {
namespace {

using test::TempDir;

TEST(DecimalSum, AddsTextsExactly) {
    struct Case {
        std::vector<std::string> texts;
        std::string sum;
    } cases[] = {
        {{}, "0.00"},
        {{"1234.5", "-0.25", "100"}, "1334.25"},
        // Ten pennies are a pound, which binary floating point misses.
        {std::vector<std::string>(10, "0.1"), "1.00"},
        {{"-5", "3"}, "-2.00"},
        {{"-0.5", "0.5"}, "0.00"},
        {{"1E20", "1"}, "100000000000000000001.00"},
        {{"1.5E-7"}, "0.00000015"},
        {{"1.5E-7", "-1.5E-7", "2.125"}, "2.125"},
        {{"+7", "0.0001"}, "7.0001"},
        // Past what the fast path holds: the exact path takes over.
        {std::vector<std::string>(1000, "99999999999999.9999"), "99999999999999999.90"},
        {{"99999999999999.9999", "-99999999999999.9999", "-99999999999999.9999"},
         "-99999999999999.9999"},
        {{"123456789012345678901234.5", "0.5"}, "123456789012345678901235.00"},
    };
    for (const Case& c : cases) {
        DecimalSum sum;
        for (const std::string& text : c.texts) {
            EXPECT_TRUE(sum.Add(text)) << text;
        }
        EXPECT_EQ(sum.Text(), c.sum);
    }
}

TEST(DecimalSum, RefusesWhatIsNoNumberAndKeepsItsSum) {
    for (const char* text : {"", "-", "abc", "1.2.3", "1E", "1E+", "--1", "True", "12,5", "1 "}) {
        DecimalSum sum;
        sum.Add("2.50");
        EXPECT_FALSE(sum.Add(text)) << text;
        EXPECT_EQ(sum.Text(), "2.50") << text;
    }
}

TEST(DecimalSum, ComparesByValue) {
    DecimalSum a, b;
    a.Add("1.50");
    b.Add("1.5000");
    EXPECT_TRUE(a == b);
    b.Add("0.0001");
    EXPECT_FALSE(a == b);
    EXPECT_EQ(a.Text(0), "1.5");
}

// A table of three columns: a quoted name, two money columns written bare.
const ExportDefinition Table{
    "SELECT name, amount, other FROM t ORDER BY %s",
    "NAME,AMOUNT, OTHER",
    {{"NAME", Written::Quoted}, {"AMOUNT", Written::Bare}, {"OTHER", Written::Bare}},
    {},
    true,
    "",
    {"AMOUNT", "OTHER"}};

TEST(TotalsSink, CountsTheLinesAndAddsUpTheMoneyColumnsAsWritten) {
    std::vector<std::string> lines;
    RowList next(lines);
    TableTotals totals;
    TotalsSink sink(next, Table, totals);
    const std::vector<std::string> written = {
        "NAME,AMOUNT, OTHER",
        R"("Smith, ""Jo"", & Co",12.50,1)",  // commas and quotes inside the name
        R"("",,-2)",                         // NULL amount: nothing to add
        R"(",",abc,0.25)",                   // a value that is no number
        R"("x",-0.5,1E2)",
    };
    for (const std::string& line : written) {
        sink.Add(line);
    }
    EXPECT_EQ(lines, written);  // everything passes on unchanged
    EXPECT_EQ(totals.records, 4);
    ASSERT_EQ(totals.money.size(), 2u);
    EXPECT_EQ(totals.money[0].name, "AMOUNT");
    EXPECT_EQ(totals.money[0].written.Text(), "12.00");
    EXPECT_EQ(totals.money[0].unreadable, 1);
    EXPECT_EQ(totals.money[1].name, "OTHER");  // named as the header names it, blanks trimmed
    EXPECT_EQ(totals.money[1].written.Text(), "99.25");
    EXPECT_EQ(totals.money[1].unreadable, 0);
}

TEST(SourceTotalsSql, WrapsTheExportQueryWithoutItsOrderAndWithItsFilter) {
    ExportDefinition filtered = Table;
    filtered.filterSql = "amount <> 0";
    EXPECT_EQ(SourceTotalsSql(filtered),
              "SELECT COUNT(*), SUM(exported.AMOUNT), SUM(exported.OTHER) FROM (SELECT name, "
              "amount, other FROM t ) AS exported WHERE amount <> 0");
}

ControlTotals TwoTables() {
    ControlTotals totals;
    totals.archiveName = "Acme_01022026_0930.zip";
    totals.companyName = "Acme Ltd";
    totals.exportedAt = "2026-02-01 09:30";
    TableTotals sales;
    sales.fileName = "Sales Ledger Codes.csv";
    sales.records = 3;
    sales.sourceRecords = 3;
    sales.recordsAgreement = Agreement::Agrees;
    TableTotals nominal;
    nominal.fileName = "Nominal Ledger Codes.csv";
    nominal.ledger = Ledger::NominalAccounts;
    nominal.records = 2;
    nominal.sourceRecords = 3;
    nominal.recordsAgreement = Agreement::Differs;
    MoneyTotals balance;
    balance.name = balance.source = "BALANCE";
    balance.written.Add("10.00");
    balance.written.Add("-9.99");
    balance.sourceSum = "0.01";
    balance.agreement = Agreement::Agrees;
    nominal.money.push_back(balance);
    totals.tables = {sales, nominal};
    return totals;
}

TEST(ControlTotals, MarksEachFigureAndWarnsOfEveryOneThatDoesNotAgree) {
    ControlTotals totals = TwoTables();
    EXPECT_EQ(totals.Warnings(), 1);
    const std::string text = totals.Text();
    EXPECT_NE(text.find("Company:  Acme Ltd\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Sales Ledger Codes.csv\n"
                        "  records                                 3                  3  ok\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("  records                                 2                  3  "
                        "DIFFERENT\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Nominal trial balance (BALANCE in Nominal Ledger Codes.csv): 0.01, NOT "
                        "zero\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("WARNING: 1 figure does not agree"), std::string::npos) << text;

    // A table the data source could not total is no success either.
    totals.tables[0].recordsAgreement = Agreement::Unchecked;
    totals.tables[0].unchecked = "syntax error";
    totals.tables[1].recordsAgreement = Agreement::Agrees;
    EXPECT_EQ(totals.Warnings(), 1);
    EXPECT_NE(totals.Text().find("not checked: the data source could not total the table: syntax "
                                 "error\n"),
              std::string::npos);
    totals.tables[0].recordsAgreement = Agreement::Agrees;
    EXPECT_EQ(totals.Warnings(), 0);
    EXPECT_NE(totals.Text().find("Every figure agrees with the data source.\n"), std::string::npos);
}

TEST(ControlTotals, TheSummaryLiesBesideTheArchive) {
    EXPECT_EQ(SummaryPath("/w/Acme_01022026_0930.zip"), "/w/Acme_01022026_0930.summary.txt");
    TempDir dir;
    WriteSummary(dir / "s.summary.txt", TwoTables());
    const std::string bytes = test::FileText(dir / "s.summary.txt");
    EXPECT_EQ(bytes.rfind("Control totals of Acme_01022026_0930.zip\r\nCompany:  Acme Ltd\r\n", 0),
              0u)
        << bytes;
    EXPECT_EQ(bytes.find("\n\n"), std::string::npos);  // every line ends in CR LF
}

// An archive with the eight tables, or with the first `tables` of them.
std::string MakeArchive(const TempDir& dir, const std::string& name, std::size_t tables = 8) {
    ZipWriter zip;
    zip.open(dir / name);
    for (std::size_t i = 0; i < tables; ++i) {
        zip.addFile(dir.write("tables/" + ExportTables()[i].fileName, "HEADER\r\n"));
    }
    zip.close();
    return dir / name;
}

TEST(UnsentArchive, TheNewestCompleteArchiveIsOffered) {
    TempDir dir;
    MakeArchive(dir, "AcmeLtd_31012026_2359.zip");
    const std::string chosen = MakeArchive(dir, "AcmeLtd_01022026_0930.zip");
    dir.write("AcmeLtd_01022026_0930.summary.txt",
              "Control totals of AcmeLtd_01022026_0930.zip\r\nCompany:  Acme Ltd\r\n");
    // Newer, but not what a finished run leaves: an archive cut short, one
    // missing a table, names that are not an archive's.
    dir.write("AcmeLtd_02022026_1000.zip", "");
    MakeArchive(dir, "AcmeLtd_03022026_1000.zip", 7);
    MakeArchive(dir, "notes_2026.zip");
    dir.mkdir("AcmeLtd_04022026_1000.zip");

    const auto unsent = FindUnsentArchive(dir.path());
    ASSERT_TRUE(unsent);
    EXPECT_EQ(unsent->path, chosen);
    EXPECT_EQ(unsent->company, "Acme Ltd");
    EXPECT_EQ(unsent->date, "01/02/2026 09:30");
    EXPECT_EQ(UnsentArchiveQuestion(*unsent),
              "An export of Acme Ltd from 01/02/2026 09:30 was not sent. Send it now?");

    // Without its summary the archive's name gives the company.
    std::remove((dir / "AcmeLtd_01022026_0930.summary.txt").c_str());
    EXPECT_EQ(FindUnsentArchive(dir.path())->company, "AcmeLtd");

    TempDir empty;
    EXPECT_FALSE(FindUnsentArchive(empty.path()));
    EXPECT_THROW(CheckCompleteArchive(dir / "AcmeLtd_03022026_1000.zip"), Exception);
}

}  // namespace
}  // namespace quillmere
