// The rules of the exports that need no database: the invoice reference of
// an allocation, the category of a nominal account, the chart chooser's items.
#include <gtest/gtest.h>

#include "platform/Exceptions.h"
#include "platform/odbc/OdbcQuery.h"
#include "sage/ChartOfAccounts.h"
#include "sage/PaymentReference.h"
#include "sage/TSageObject.h"

namespace quillmere {
namespace {

TEST(PaymentReference, CutsTheInvoiceReferenceOutOfTheDetails) {
    struct {
        const char* details;
        const char* reference;
    } const cases[] = {
        {"PI 1234", "1234"},
        {"Payment for PI 1234", "1234"},  // the text before the code goes
        {"PR 12 PI 34", "34"},            // PI is searched first and found
        {"SI 5678 via BACS", "5678 via BACS"},
        {"Cheque 100", ""},
        {"", ""},
        {"PIPI 9", "9"},
        {"SP 77 refund", "77 refund"},
        {"PR 55", "55"},
        {"SI 1 PR 2 SI 3", "2  3"},  // PR is searched before SI: the text starts there
        {"SP 1 SI 2", "2"},          // SI is searched before SP
        {"pi 1234", ""},             // case-sensitive
        {"PIPPII 8", "PI 8"},        // a removal does not rescan what it joined
        {"PI PSII 1", "1"},          // SI goes first, which joins a PI that goes next
        {"PI SPRP 5", "5"},          // PR goes before SP, joining an SP that goes next
        {"\t PI 12 \r\n", "12"},     // characters 0..32 trimmed at both ends
        {"PI \xA3"
         "5 \xA0",
         "\xA3"
         "5 \xA0"},  // bytes above 127 are not blanks
        {"PI", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PaymentReference(c.details), c.reference) << '"' << c.details << '"';
    }
}

TEST(NominalCategory, FirstLoadedRangeThatHoldsTheReferenceAsText) {
    TSageObject sage(17);
    EXPECT_EQ(sage.NominalCategory("1100"), "") << "no ranges loaded";
    const struct {
        const char* title;
        const char* low;
        const char* high;
    } ranges[] = {
        {"Fixed Assets", "0010", "0049"},
        {"Current Assets", "1000", "1999"},
        {"Debtors", "1100", "1199"},
        {"Lower", "a", "z"},
        {"Upper", "A", "Z"},
        {"High bytes", "\xA0", "\xFF"},
        {"Current Assets", "2000", "2099"},  // a second range with the same title
    };
    for (const auto& r : ranges) {
        sage.Categories.emplace_back(r.title,
                                     std::make_unique<TChartAccount>(r.title, 0, 0, r.low, r.high));
    }
    struct {
        const char* ref;
        const char* category;
    } const cases[] = {
        {"0030", "Fixed Assets"},
        {"0010", "Fixed Assets"},  // equal to Low
        {"0049", "Fixed Assets"},  // equal to High
        {"0050", ""},
        {"0009", ""},
        {"1100", "Current Assets"},   // inside two ranges: the one loaded first
        {"10000", "Current Assets"},  // as text between 1000 and 1999
        {"1999", "Current Assets"},
        {"19990", ""},  // after 1999: the longer text sorts after its prefix
        {"2", ""},
        {"2050", "Current Assets"},
        {"5000", ""},
        {"b", "Lower"},  // case-sensitive
        {"B", "Upper"},
        {"\xA3", "High bytes"},  // bytes compare unsigned: 0xA3 sorts after "z"
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sage.NominalCategory(c.ref), c.category) << c.ref;
    }
}

TEST(ChartItems, ShowTheNumberTrimmedAndReadItBack) {
    EXPECT_EQ(ChartItemText("1", "Standard"), "1 - Standard");
    EXPECT_EQ(ChartItemText("  7 ", " Two  words "), "7 -  Two  words ");
    EXPECT_EQ(ChartItemText("", ""), " - ");

    struct {
        const char* item;
        int chart;
    } const good[] = {
        {"1 - Standard", 1},       {"7 -  Two  words ", 7}, {"  12   - x", 12},
        {"3-name-with-dashes", 3}, {"+4 - Plus", 4},        {"2147483647 - Largest", 2147483647},
    };
    for (const auto& c : good) {
        EXPECT_EQ(ChartNumberOfItem(c.item), c.chart) << c.item;
    }
    const char* bad[] = {"",
                         " - Standard",
                         "-1 - Negative",
                         "x1 - Letters",
                         "1a - Letters",
                         "2147483648 - Too large",
                         "1 2 - Two numbers"};
    for (const char* item : bad) {
        EXPECT_THROW(ChartNumberOfItem(item), Exception) << item;
    }
    try {
        ChartNumberOfItem("Standard - 1");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "'Standard' is not a valid chart number");
    }
}

// Where the driver cannot count a result, the count runs without the sort.
TEST(CountSql, DropsOnlyAFinalTopLevelOrderWithoutARowLimit) {
    const struct {
        const char* sql;
        const char* counted;  // inside SELECT COUNT(*) FROM (...) AS counted_records
    } cases[] = {
        {"SELECT * FROM t ORDER BY ACCOUNT_REF", "SELECT * FROM t "},
        {"SELECT a FROM t order\n by a DESC, b;  ", "SELECT a FROM t "},
        {"SELECT a FROM t WHERE a.deleted_flag = 0 ORDER BY tran_number",
         "SELECT a FROM t WHERE a.deleted_flag = 0 "},
        {"SELECT a FROM t", "SELECT a FROM t"},
        {"SELECT a FROM t ORDER BY a LIMIT 5", "SELECT a FROM t ORDER BY a LIMIT 5"},
        {"SELECT a FROM t ORDER BY a OFFSET 2", "SELECT a FROM t ORDER BY a OFFSET 2"},
        {"SELECT a FROM (SELECT a FROM t ORDER BY a LIMIT 3) x",
         "SELECT a FROM (SELECT a FROM t ORDER BY a LIMIT 3) x"},
        {"SELECT rank() OVER (ORDER BY a) FROM t", "SELECT rank() OVER (ORDER BY a) FROM t"},
        {"SELECT 'ORDER BY x' AS o, a FROM t", "SELECT 'ORDER BY x' AS o, a FROM t"},
        {"SELECT a AS \"order by\" FROM t", "SELECT a AS \"order by\" FROM t"},
        {"SELECT border, bylaw FROM t", "SELECT border, bylaw FROM t"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(odbc::CountSql(c.sql),
                  std::string("SELECT COUNT(*) FROM (") + c.counted + ") AS counted_records")
            << c.sql;
    }
}

}  // namespace
}  // namespace quillmere
