// Connection strings, code pages and the number rules, without a database.
#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "sage/ExportWalk.h"
#include "sage/TSageObject.h"
#include "sage/ValueText.h"

namespace quillmere {
namespace {

TEST(ConnectionString, BracesOnlyTheValuesThatNeedThem) {
    EXPECT_EQ(OdbcConnectionString(17, "clerk", "", "C:\\Sage\\Company.000\\ACCDATA"),
              "DSN=SageLine50v17;UID=clerk;PWD=;DIR=C:\\Sage\\Company.000\\ACCDATA");
    struct {
        std::string value;
        std::string written;
    } const cases[] = {
        {"plain", "plain"},
        {"with \"quote\"", "with \"quote\""},
        {"a=b", "a=b"},
        {"semi;colon", "{semi;colon}"},
        {"x;DSN=other", "{x;DSN=other}"},
        {"open{", "{open{}"},
        {"close}", "{close}}}"},
        {"}};{", "{}}}};{}"},
        {" padded ", "{ padded }"},
        {"/My Sage/Co 1/ACCDATA", "/My Sage/Co 1/ACCDATA"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConnectionStringValue(c.value), c.written) << c.value;
    }
    EXPECT_EQ(OdbcConnectionString(9, "u;1", "p}w", "d"),
              "DSN=SageLine50v9;UID={u;1};PWD={p}}w};DIR=d");
}

TEST(CodePage, Windows1252BothWays) {
    EXPECT_EQ(Cp1252FromUtf8("£ € – é ß"), "\xA3 \x80 \x96 \xE9 \xDF");
    EXPECT_EQ(Cp1252FromUtf8("Ω 😀 x"), "? ? x");  // one "?" per character
    EXPECT_EQ(Utf8FromCp1252("\xA3\x80\x81\xFF"), "£€\xC2\x81ÿ");
    EXPECT_EQ(Utf8FromCp1252(Cp1252FromUtf8("Zoë’s “café”")), "Zoë’s “café”");
}

TEST(CodePage, Utf8AndUtf16BothWays) {
    const std::string text = "A£€😀";  // one, two, three and four bytes
    EXPECT_EQ(Utf16FromUtf8(text), u"A£€😀");
    EXPECT_EQ(Utf8FromUtf16(u"A£€😀"), text);
    // What is not well-formed UTF-8 becomes U+FFFD, a byte at a time: a stray
    // continuation, a lead cut short, an overlong form, a surrogate, beyond
    // U+10FFFF.
    struct Case {
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {"a\x80"
         "b",
         u"a\uFFFDb"},
        {"a\xE2\x82", u"a\uFFFD\uFFFD"},
        {"\xC0\xAF", u"\uFFFD\uFFFD"},
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf16FromUtf8(c.bytes), c.text) << c.bytes;
    }
    // An unpaired surrogate from a driver becomes U+FFFD too.
    EXPECT_EQ(Utf8FromUtf16(std::u16string(1, u'\xD800') + u"x"), "\xEF\xBF\xBDx");
}

TEST(NumberTexts, DecimalsAndFloatsAtTheirEdges) {
    struct {
        const char* digits;
        const char* text;
    } const decimals[] = {
        {"0.00", "0"}, {"-0.00005", "-0.0001"}, {"0.00005", "0.0001"}, {"99.99995", "100"},
        {".5", "0.5"}, {"007.10", "7.1"},       {"-12", "-12"},        {"NaN", "NaN"},
    };
    for (const auto& c : decimals) {
        EXPECT_EQ(DecimalValueText(c.digits, '.'), c.text) << c.digits;
    }
    struct {
        double value;
        const char* text;
    } const floats[] = {
        {1e15, "1E15"},         {999999999999999.0, "999999999999999"},
        {0.000015, "0.000015"}, {0.0000099, "9.9E-6"},
        {-1e-300, "-1E-300"},   {123.456, "123.456"},
        {0.1 + 0.2, "0.3"},
    };
    for (const auto& c : floats) {
        EXPECT_EQ(FloatValueText(c.value, '.'), c.text) << c.value;
    }
}

TEST(SortColumn, IsPutInPlaceOfTheFirstPlaceholderAsGiven) {
    EXPECT_EQ(WithSortColumn("SELECT * FROM t ORDER BY %s", "ACCOUNT_REF"),
              "SELECT * FROM t ORDER BY ACCOUNT_REF");
    EXPECT_EQ(WithSortColumn("SELECT 1 ORDER BY tran_number", "x"),
              "SELECT 1 ORDER BY tran_number");
}

}  // namespace
}  // namespace quillmere
