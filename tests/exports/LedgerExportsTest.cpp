// The eight table exports through the real driver against the test books
// (tests/harness/sage-test-data.sql) and the fixture's companies: each table
// in full, the filters, the progress calls, empty books and a failing query.
#include <gtest/gtest.h>

#include <functional>

#include "ExportHarness.h"
#include "platform/odbc/OdbcQuery.h"

namespace quillmere {
namespace {

using Lines = std::vector<std::string>;
using Calls = std::vector<std::pair<int, int>>;
using Export = std::function<void(TSageObject&, RowSink&)>;

const std::string AccountsHeader =
    "ACCOUNT_CODE,ACCOUNT_NAME,ADDRESS_1,ADDRESS_2,ADDRESS_3,ADDRESS_4,ADDRESS_5,CONTACT_NAME,"
    "TELEPHONE,TELEPHONE_2,FAX,E_MAIL,WEB_ADDRESS,ANALYSIS_1,ANALYSIS_2,ANALYSIS_3,STATUS_TEXT,"
    "DEFAULT_TAX_CODE,DEFAULT_NOMINAL_CODE,VAT_REG_NUMBER,CURRENCY_CODE,COUNTRY_CODE,"
    "SETTLEMENT_DISC_RATE,SETTLEMENT_DUE_DAYS,PAYMENT_DUE_DAYS,CREDIT_LIMIT,ACCOUNT_ON_HOLD,TERMS,"
    "DATE_ACCOUNT_OPENED,BALANCE";
const std::string TransactionsHeader =
    "TRANSACTION_NO,TRANSACTION_TYPE,TRANSACTION_DATE, ACCOUNT,INV_REF,NOMINAL,DETAILS,DUE_DATE,"
    "PAID_FLAG,PAID_STATUS,JOURNAL_AMOUNT,NET_AMOUNT,TAX_AMOUNT,GROSS_AMOUNT,AMOUNT_PAID,PAYMENT,"
    "OUTSTANDING,DATE_ENTERED";
const std::string AllocationsHeader = "REFERENCE,DATE,BANK CODE,TX REF,AMOUNT";

// The exports as the export run calls them, by table.
const std::vector<std::pair<const char*, Export>> AllExports = {
    {"sales accounts", [](TSageObject& s, RowSink& r) { s.ExportSalesAccounts("ACCOUNT_REF", r); }},
    {"sales transactions",
     [](TSageObject& s, RowSink& r) { s.ExportSalesTransactions("TRAN_NUMBER", r); }},
    {"purchase accounts",
     [](TSageObject& s, RowSink& r) { s.ExportPurchaseAccounts("ACCOUNT_REF", r); }},
    {"purchase transactions",
     [](TSageObject& s, RowSink& r) { s.ExportPurchaseTransactions("TRAN_NUMBER", r); }},
    {"nominal accounts",
     [](TSageObject& s, RowSink& r) { s.ExportNominalAccounts("ACCOUNT_REF", r); }},
    {"other transactions",
     [](TSageObject& s, RowSink& r) { s.ExportOtherTransactions("TRAN_NUMBER", r); }},
    {"payments", [](TSageObject& s, RowSink& r) { s.ExportPayments(r); }},
    {"receipts", [](TSageObject& s, RowSink& r) { s.ExportReceipts(r); }},
};

class LedgerExports : public ::testing::Test {
  protected:
    std::unique_ptr<TSageObject> sage = test::LoggedInCompany(test::SageUser);
    Lines lines;
    RowList rows{lines};
    Calls calls;

    void SetUp() override {
        sage->OnProgress = [this](int position, int maximum) {
            calls.emplace_back(position, maximum);
        };
    }
    Lines run(const Export& exportTable) {
        lines.clear();
        exportTable(*sage, rows);
        return lines;
    }
};

TEST_F(LedgerExports, AccountTablesInFull) {
    const struct {
        const char* name;
        Export exportTable;
        Lines expected;
    } cases[] = {
        {"sales: quotes doubled, NULL texts and numbers, the pound sign, trailing blanks",
         AllExports[0].second,
         {AccountsHeader,
          "\"ABB001\",\"Abbey \"\"Road\"\" Stores, Ltd\",\"1 High "
          "Street\",\"\",\"\",\"\",\"\",\"Ann "
          "Abbey\",\"\",\"\",\"\",\"ann@abbey.example\",\"\",\"\",\"\",\"\",\"\",\"1\",\"4000\","
          "\"\",\"GBP\",\"GB\",2.5,10,30,5000,0,\"30 days\",\"01/04/2015\",1234.5",
          "\"BRO002\",\"Brown & Sons "
          "\xA3\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\","
          "\"\",\"\",\"GBP\",\"GB\",,,,,1,\"\",\"\",-250.75",
          "\"ZED003\",\"Zed GmbH  \",\"Hauptstra\xDF"
          "e "
          "5\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"1\","
          "\"4000\","
          "\"\",\"EUR\",\"DE\",0,0,60,0,0,\"\",\"31/01/2016\",0"}},
        {"purchase: every column filled, all NULL, and no line for a currency that is missing",
         AllExports[2].second,
         {AccountsHeader,
          "\"SUP001\",\"Paper & Ink \"\"Supplies\"\"\",\"12 Mill Lane\",\"Hunslet\",\"Leeds\","
          "\"West Yorkshire\",\"LS10 1AA\",\"Pat Ink\",\"0113 496 0000\",\"0113 496 0001\","
          "\"0113 496 "
          "0002\",\"orders@paperink.example\",\"www.paperink.example\",\"Stationery\",\"North\","
          "\"Monthly\",\"Active\",\"1\",\"5000\",\"GB123456789\",\"GBP\",\"GB\",1.25,14,30,2000,0,"
          "\"Net 30, no deliveries Sunday\",\"15/09/2014\",-1500.25",
          "\"SUP002\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\","
          "\"\",\"\",\"\",\"\",\"\",\"\",,,,,,\"\",\"\",",
          "\"SUP004\",\"Dollar Parts Inc\",\"1 Main "
          "St\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"0\","
          "\"5001\",\"\",\"USD\",\"US\",0,0,60,10000.5,1,\"\",\"31/12/2015\",0.01"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run(c.exportTable), c.expected);
    }
}

TEST_F(LedgerExports, TheSortColumnGoesIntoTheQueryAsGiven) {
    run([](TSageObject& s, RowSink& r) { s.ExportSalesAccounts("BALANCE DESC", r); });
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].substr(0, 9), "\"ABB001\",");
    EXPECT_EQ(lines[2].substr(0, 9), "\"ZED003\",");
    EXPECT_EQ(lines[3].substr(0, 9), "\"BRO002\",");

    // A column the data source does not know fails the export when it opens.
    EXPECT_THROW(run([](TSageObject& s, RowSink& r) { s.ExportNominalAccounts("NO_SUCH", r); }),
                 odbc::EOdbcError);
    EXPECT_EQ(lines, Lines{"ACCOUNT_REF,ACCOUNT_NAME,ACCOUNT_TYPE,BALANCE,CATEGORY"});
}

// A transaction's journal lines come in the order the data source gives
// them: compare the lines of one transaction without regard to their order.
TEST_F(LedgerExports, TransactionTablesInFull) {
    const struct {
        const char* name;
        Export exportTable;
        Lines expected;
    } cases[] = {
        {"sales: SI, SC and SA with paid flag N; three journal lines; a quote in the details",
         AllExports[1].second,
         {TransactionsHeader,
          "\"1\",\"SI\",\"05/01/2016\",\"ABB001\",\"1001\",\"1100\",\"12\"\" oak "
          "shelf\",\"04/02/2016\",\"Y\",\"P\",120,100,20,120,120,0,0,\"05/01/2016 10:15:00\"",
          "\"1\",\"SI\",\"05/01/2016\",\"ABB001\",\"1001\",\"4000\",\"12\"\" oak "
          "shelf\",\"04/02/2016\",\"Y\",\"P\",-100,100,20,120,120,0,0,\"05/01/2016 10:15:00\"",
          "\"1\",\"SI\",\"05/01/2016\",\"ABB001\",\"1001\",\"2200\",\"12\"\" oak "
          "shelf\",\"04/02/2016\",\"Y\",\"P\",-20,100,20,120,120,0,0,\"05/01/2016 10:15:00\"",
          "\"2\",\"SC\",\"10/01/2016\",\"BRO002\",\"1002\",\"1100\",\"Credit, damaged "
          "goods\",\"09/02/2016\",\"N\",\"U\",-12,-10,-2,-12,0,0,-12,\"10/01/2016\"",
          "\"4\",\"SA\",\"13/01/2016\",\"BRO002\",\"\",\"1100\",\"Payment on "
          "account\",\"12/02/2016\",\"N\",\"U\",-75,75,0,75,0,0,75,\"13/01/2016 09:00:00\""}},
        {"purchase: PI whatever its paid flag, PC, PA with paid flag N, PR",
         AllExports[3].second,
         {TransactionsHeader,
          "\"9\",\"PI\",\"01/02/2016\",\"SUP001\",\"P-77\",\"5000\",\"Paper, "
          "A4\",\"02/03/2016\",\"Y\",\"P\",240,200,40,240,240,0,0,\"01/02/2016 08:30:00\"",
          "\"10\",\"PC\",\"02/02/2016\",\"SUP001\",\"P-78\",\"5000\",\"Returned "
          "toner\",\"03/03/2016\",\"N\",\"U\",-24,-20,-4,-24,0,0,-24,\"02/02/2016 08:30:00\"",
          "\"11\",\"PA\",\"03/02/2016\",\"SUP004\",\"\",\"2100\",\"Payment on "
          "account\",\"04/03/2016\",\"N\",\"U\",30,30,0,30,0,0,30,\"03/02/2016 08:30:00\"",
          "\"13\",\"PR\",\"05/02/2016\",\"SUP002\",\"\",\"2100\",\"Supplier "
          "refund\",\"06/03/2016\",\"N\",\"U\",-7.5,7.5,0,7.5,0,0,7.5,\"05/02/2016 08:30:00\""}},
        {"other: SP, journals and bank entries; NULLs; never PP or SR; no deleted split",
         AllExports[5].second,
         {TransactionsHeader,
          "\"8\",\"SP\",\"22/01/2016\",\"BRO002\",\"\",\"1200\",\"Refund\",\"21/02/2016\",\"Y\","
          "\"P\",-5,5,0,5,5,0,0,\"22/01/2016 12:00:00\"",
          "\"16\",\"JD\",\"01/03/2016\",\"0030\",\"\",\"0030\",\"Depreciation\",\"31/03/2016\","
          "\"-\",\"-\",-100,100,0,100,0,0,0,\"01/03/2016\"",
          "\"17\",\"JC\",\"01/03/2016\",\"0050\",\"\",\"0050\",\"Depreciation\",\"31/03/2016\","
          "\"-\",\"-\",100,100,0,100,0,0,0,\"01/03/2016\"",
          "\"18\",\"BR\",\"02/03/2016\",\"1200\",\"\",\"1200\",\"Bank "
          "interest\",\"01/04/2016\",\"-\",\"-\",1.23,1.23,0,1.23,0,0,0,\"02/03/2016 23:59:59\"",
          "\"19\",\"BP\",\"03/03/2016\",\"1200\",\"\",\"1200\",\"\",\"02/04/2016\",\"\",\"\",,,,,"
          ",,,\"\""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(test::SortedWithinFirstColumn(run(c.exportTable)),
                  test::SortedWithinFirstColumn(c.expected));
    }
}

TEST_F(LedgerExports, PaymentsAndReceiptsInFull) {
    const struct {
        const char* name;
        Export exportTable;
        Lines expected;
    } cases[] = {
        {"payments: PP and PA, one line per allocation, zero amounts left out",
         AllExports[6].second,
         {AllocationsHeader, "\"11\",\"03/02/2016\",\"\",\"77 refund\",-15.5",
          "\"14\",\"06/02/2016\",\"1210\",\"2001\",100",
          "\"14\",\"06/02/2016\",\"1210\",\"34\",25.25",
          "\"14\",\"06/02/2016\",\"1210\",\"9\",174.75"}},
        {"receipts: SR and SA whatever the paid flag, NULL and zero amounts left out",
         AllExports[7].second,
         {AllocationsHeader, "\"3\",\"12/01/2016\",\"1200\",\"\",50",
          "\"4\",\"13/01/2016\",\"1200\",\"\"\"1004\"\", part\",75",
          "\"6\",\"20/01/2016\",\"1200\",\"1001\",120",
          "\"6\",\"20/01/2016\",\"1200\",\"1002 via BACS\",30.5"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(test::SortedWithinFirstColumn(run(c.exportTable)),
                  test::SortedWithinFirstColumn(c.expected));
    }
}

TEST_F(LedgerExports, SmallTablesSetTheRecordCountAndMakeNoProgressCall) {
    // Records of the result, dropped ones included.
    const int records[] = {3, 7, 3, -1, 12, 5, 5, 6};
    for (std::size_t i = 0; i < AllExports.size(); ++i) {
        SCOPED_TRACE(AllExports[i].first);
        sage->RecordCount = -1;
        run(AllExports[i].second);
        EXPECT_EQ(sage->RecordCount, records[i]);
    }
    EXPECT_TRUE(calls.empty());
}

TEST(LedgerExportsOfABusyCompany, DroppedRecordsAreCountedAndThePurchaseExportReportsNothing) {
    auto sage = test::LoggedInCompany("busy_sales");
    Calls calls;
    sage->OnProgress = [&calls](int position, int maximum) {
        calls.emplace_back(position, maximum);
    };
    Lines lines;
    RowList rows(lines);
    sage->ExportSalesTransactions("TRAN_NUMBER", rows);
    EXPECT_EQ(lines.size(), 421u);  // 450 records, 30 paid payments on account dropped
    EXPECT_EQ(sage->RecordCount, 450);
    EXPECT_EQ(calls, (Calls{{200, 450}, {400, 450}}));

    lines.clear();
    calls.clear();
    sage->ExportPurchaseTransactions("TRAN_NUMBER", rows);
    EXPECT_EQ(lines.size(), 251u);
    EXPECT_EQ(sage->RecordCount, 450);  // what the sales export left
    EXPECT_TRUE(calls.empty());
}

TEST(LedgerExportsOfEmptyBooks, EveryTableIsItsHeaderAlone) {
    auto sage = test::LoggedInCompany("empty_books");
    int progressCalls = 0;
    sage->OnProgress = [&progressCalls](int, int) { ++progressCalls; };
    for (const auto& [name, exportTable] : AllExports) {
        SCOPED_TRACE(name);
        Lines lines{"an earlier table's last line"};
        RowList rows(lines);
        sage->RecordCount = 77;
        exportTable(*sage, rows);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], "an earlier table's last line");
        EXPECT_NE(lines[1].find(','), std::string::npos) << "a header line";
        EXPECT_EQ(sage->RecordCount, name == std::string("purchase transactions") ? 77 : 0);
    }
    EXPECT_EQ(progressCalls, 0);
}

TEST(LedgerExportsOfBrokenBooks, AQueryThatFailsLeavesTheHeaderAndReleasesTheQuery) {
    auto sage = test::LoggedInCompany("broken_allocations");
    const int before = odbc::Query::OpenStatements();
    for (const auto& exportTable : {AllExports[6].second, AllExports[7].second}) {
        Lines lines;
        RowList rows(lines);
        try {
            exportTable(*sage, rows);
            FAIL() << "the allocations table has no amount column";
        } catch (const odbc::EOdbcError& e) {
            EXPECT_NE(std::string(e.what()).find("amount"), std::string::npos) << e.what();
        }
        EXPECT_EQ(lines, Lines{AllocationsHeader});
        EXPECT_EQ(odbc::Query::OpenStatements(), before);
    }
    // The connection serves the next export.
    Lines lines;
    RowList rows(lines);
    sage->ExportSalesAccounts("ACCOUNT_REF", rows);
    EXPECT_EQ(lines.size(), 4u);
}

}  // namespace
}  // namespace quillmere
