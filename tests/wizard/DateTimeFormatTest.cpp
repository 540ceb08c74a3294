#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/RegionalSettings.h"
#include "platform/System.h"

namespace quillmere {
namespace {

std::tm At(int y, int mo, int d, int h, int mi, int s) {
    std::tm t{};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = s;
    return t;
}

TEST(FormatDateTime, LogPatternWithTheLocaleSeparators) {
    RegionalSettings slash;
    RegionalSettings dotted;
    dotted.dateSeparator = '.';
    dotted.timeSeparator = '.';
    struct Case {
        std::tm t;
        const RegionalSettings* settings;
        const char* pattern;
        const char* expected;
    } cases[] = {
        {At(2025, 12, 9, 14, 5, 33), &slash, "DD/MM/YY HH:MM:SS", "09/12/25 14:05:33"},
        {At(2025, 12, 9, 14, 5, 33), &dotted, "DD/MM/YY HH:MM:SS", "09.12.25 14.05.33"},
        {At(2007, 1, 2, 0, 0, 0), &slash, "DD/MM/YY HH:MM:SS", "02/01/07 00:00:00"},
        {At(2026, 3, 4, 23, 59, 58), &slash, "DDMMYYYY_HHMM", "04032026_2359"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDateTime(c.t, c.pattern, *c.settings), c.expected) << c.pattern;
    }
}

class RegionalSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"LC_ALL", "LC_TIME", "LC_NUMERIC", "LANG"}) {
            if (const char* v = std::getenv(name)) {
                saved_.emplace_back(name, v);
            }
            ::unsetenv(name);
        }
    }
    void TearDown() override {
        for (const char* name : {"LC_ALL", "LC_TIME", "LC_NUMERIC", "LANG"}) {
            ::unsetenv(name);
        }
        for (const auto& [name, value] : saved_) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
    }
    std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(RegionalSettingsTest, NoLocaleMeansBritish) {
    for (const char* lang : {"", "C", "POSIX", "C.UTF-8"}) {
        ::setenv("LANG", lang, 1);
        const RegionalSettings s = RegionalSettingsFromEnvironment();
        EXPECT_EQ(s.shortDateFormat, "dd/MM/yyyy") << lang;
        EXPECT_EQ(s.longTimeFormat, "HH:mm:ss") << lang;
        EXPECT_EQ(s.dateSeparator, '/');
        EXPECT_EQ(s.timeSeparator, ':');
        EXPECT_EQ(s.decimalSeparator, '.');
    }
}

TEST_F(RegionalSettingsTest, GermanLocaleHasDotsAndADecimalComma) {
    ::setenv("LANG", "de_DE.UTF-8", 1);
    const RegionalSettings s = RegionalSettingsFromEnvironment();
    EXPECT_EQ(s.shortDateFormat, "dd.MM.yyyy");
    EXPECT_EQ(s.dateSeparator, '.');
    EXPECT_EQ(s.timeSeparator, ':');
    EXPECT_EQ(s.decimalSeparator, ',');
    EXPECT_EQ(s.longTimeFormat.find('t'), std::string::npos) << s.longTimeFormat;
}

TEST_F(RegionalSettingsTest, SpecificVariablesBeatLangAndLcAllBeatsThem) {
    ::setenv("LANG", "en_GB.UTF-8", 1);
    ::setenv("LC_NUMERIC", "de_DE.UTF-8", 1);
    EXPECT_EQ(RegionalSettingsFromEnvironment().decimalSeparator, ',');
    EXPECT_EQ(RegionalSettingsFromEnvironment().dateSeparator, '/');
    ::setenv("LC_ALL", "en_GB.UTF-8", 1);
    EXPECT_EQ(RegionalSettingsFromEnvironment().decimalSeparator, '.');
}

TEST_F(RegionalSettingsTest, TwoDigitYearsAreWidened) {
    ::setenv("LANG", "en_US.UTF-8", 1);
    const RegionalSettings s = RegionalSettingsFromEnvironment();
    EXPECT_NE(s.shortDateFormat.find("yyyy"), std::string::npos) << s.shortDateFormat;
}

}  // namespace
}  // namespace quillmere
