// Value texts of every column type, with the types as the real driver
// reports them, in en_GB and in a locale with a decimal comma.
#include <gtest/gtest.h>

#include "SageHarness.h"
#include "platform/odbc/OdbcQuery.h"
#include "sage/ValueText.h"
#include "support/FakeSystem.h"

namespace quillmere {
namespace {

using odbc::ValueKind;

RegionalSettings GermanSettings() {
    RegionalSettings s;
    s.localeName = "de_DE";
    s.dateSeparator = '.';
    s.timeSeparator = ':';
    s.decimalSeparator = ',';
    s.shortDateFormat = "dd.MM.yyyy";
    s.longTimeFormat = "HH:mm:ss";
    return s;
}

struct Case {
    const char* expression;  // selected as the one column of the result
    ValueKind kind;
    const char* british;
    const char* german;  // nullptr: as in en_GB
};

const Case Cases[] = {
    {"CAST(NULL AS numeric(12,2))", ValueKind::Decimal, "", nullptr},
    {"CAST(NULL AS varchar(10))", ValueKind::Text, "", nullptr},
    {"CAST(NULL AS date)", ValueKind::Date, "", nullptr},
    {"CAST(NULL AS boolean)", ValueKind::Boolean, "", nullptr},
    // text: as delivered, in Windows-1252, nothing trimmed or escaped
    {"CAST('Abbey \"Road\", Ltd  ' AS varchar(40))", ValueKind::Text, "Abbey \"Road\", Ltd  ",
     nullptr},
    {"CAST('£5 – €3 Ωx' AS varchar(20))", ValueKind::Text,
     "\xA3"
     "5 \x96 \x80"
     "3 ?x",
     nullptr},
    {"CAST('line1' || chr(13) || chr(10) || 'line2' AS text)", ValueKind::Text, "line1\r\nline2",
     nullptr},
    // integers
    {"CAST(-42 AS integer)", ValueKind::Integer, "-42", nullptr},
    {"CAST(7 AS smallint)", ValueKind::Integer, "7", nullptr},
    {"CAST(9000000000 AS bigint)", ValueKind::Integer, "9000000000", nullptr},
    // exact decimals: 4 places, general notation
    {"CAST(-1234.50 AS numeric(12,2))", ValueKind::Decimal, "-1234.5", "-1234,5"},
    {"CAST(100.00 AS numeric(12,2))", ValueKind::Decimal, "100", nullptr},
    {"CAST(-0.25 AS numeric(12,2))", ValueKind::Decimal, "-0.25", "-0,25"},
    {"CAST(1.23456 AS numeric(12,5))", ValueKind::Decimal, "1.2346", "1,2346"},
    {"CAST(-1.23455 AS numeric(12,5))", ValueKind::Decimal, "-1.2346", "-1,2346"},
    {"CAST(9.99995 AS numeric(12,5))", ValueKind::Decimal, "10", nullptr},
    {"CAST(-0.00004 AS numeric(12,5))", ValueKind::Decimal, "0", nullptr},
    {"CAST(12345678901234.5678 AS numeric(20,4))", ValueKind::Decimal, "12345678901234.5678",
     "12345678901234,5678"},
    // floating values: 15 digits, "E" notation at the ends
    {"CAST(1e20 AS float8)", ValueKind::Float, "1E20", nullptr},
    {"CAST(1.5e-7 AS float8)", ValueKind::Float, "1.5E-7", "1,5E-7"},
    {"CAST(0.00001 AS float8)", ValueKind::Float, "0.00001", "0,00001"},
    {"CAST(0 AS float8)", ValueKind::Float, "0", nullptr},
    {"CAST(-2.5 AS float8)", ValueKind::Float, "-2.5", "-2,5"},
    {"CAST(1 AS float8) / 3", ValueKind::Float, "0.333333333333333", "0,333333333333333"},
    {"CAST(123456789012345 AS float8)", ValueKind::Float, "123456789012345", nullptr},
    {"CAST(1234567890123456 AS float8)", ValueKind::Float, "1.23456789012346E15",
     "1,23456789012346E15"},
    {"CAST(0.25 AS real)", ValueKind::Float, "0.25", "0,25"},
    // dates and times
    {"DATE '2016-01-31'", ValueKind::Date, "31/01/2016", "31.01.2016"},
    {"DATE '2016-01-31' + 30", ValueKind::Date, "01/03/2016", "01.03.2016"},
    {"TIMESTAMP '2016-01-31 14:05:09'", ValueKind::Timestamp, "31/01/2016 14:05:09",
     "31.01.2016 14:05:09"},
    {"TIMESTAMP '2016-01-31 00:00:00'", ValueKind::Timestamp, "31/01/2016", "31.01.2016"},
    {"TIME '07:05:09'", ValueKind::Time, "07:05:09", nullptr},
    {"TRUE", ValueKind::Boolean, "True", nullptr},
    {"FALSE", ValueKind::Boolean, "False", nullptr},
};

TEST(ValueTextThroughTheDriver, EveryTypeInBothLocales) {
    auto sage = test::LoggedInSage();
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.expression);
        odbc::Query query(sage->Connection);
        query.SetSql(std::string("SELECT ") + c.expression + " AS v");
        query.Open();
        ASSERT_FALSE(query.Eof());
        EXPECT_EQ(query.Kind(0), c.kind);
        EXPECT_EQ(ValueText(query, 0, test::BritishSettings()), c.british);
        EXPECT_EQ(ValueText(query, 0, GermanSettings()), c.german ? c.german : c.british);
    }
}

TEST(ValueTextThroughTheDriver, ColumnsAreFoundByNameWithoutRegardToCase) {
    auto sage = test::LoggedInSage();
    odbc::Query query(sage->Connection);
    query.SetSql("SELECT account_ref, balance FROM sales_ledger ORDER BY account_ref");
    query.Open();
    EXPECT_EQ(query.FieldIndex("ACCOUNT_REF"), 0);
    EXPECT_EQ(query.FieldIndex("Balance"), 1);
    EXPECT_EQ(query.RecordCount(), 3);
    EXPECT_EQ(query.AsText(query.FieldIndex("Account_Ref")), "ABB001");
    EXPECT_DOUBLE_EQ(query.AsFloat(1), 1234.5);
    try {
        query.FieldIndex("CODE");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Column 'CODE' is not in the result");
    }
}

TEST(ValueTextThroughTheDriver, IntegersAndFloatsAreReadFromEveryNumericType) {
    auto sage = test::LoggedInSage();
    odbc::Query query(sage->Connection);
    query.SetSql(
        "SELECT CAST(12 AS smallint) AS a, CAST(-3.00 AS numeric(5,2)) AS b, "
        "CAST(NULL AS integer) AS c, CAST('41' AS varchar(4)) AS d, CAST(2.5 AS float8) AS e, "
        "CAST('x1' AS varchar(4)) AS f, CAST(3000000000 AS bigint) AS g");
    query.Open();
    EXPECT_EQ(query.AsInteger(0), 12);
    EXPECT_EQ(query.AsInteger(1), -3);
    EXPECT_EQ(query.AsInteger(2), 0);
    EXPECT_EQ(query.AsInteger(3), 41);
    EXPECT_DOUBLE_EQ(query.AsFloat(4), 2.5);
    EXPECT_DOUBLE_EQ(query.AsFloat(2), 0.0);
    EXPECT_THROW(query.AsInteger(5), Exception);
    EXPECT_THROW(query.AsInteger(6), Exception);  // beyond 32 bits
}

}  // namespace
}  // namespace quillmere
