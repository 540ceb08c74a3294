// Dates and times by the user's Windows picture strings, as the tables write
// them on every system.
#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "sage/DatePicture.h"

namespace quillmere {
namespace {

RegionalSettings German() {
    RegionalSettings s;
    s.amDesignator = "";
    s.pmDesignator = "";
    s.monthNames[2] = "M\xC3\xA4rz";  // UTF-8, as the settings hold names
    s.abbreviatedMonthNames[2] = "M\xC3\xA4r";
    s.dayNames[6] = "Sonntag";
    s.abbreviatedDayNames[6] = "So";
    return s;
}

struct DateCase {
    int year, month, day;
    const char* picture;
    const char* text;
};

TEST(DatePicture, DateFieldsByPicture) {
    const DateCase cases[] = {
        {2016, 3, 5, "dd/MM/yyyy", "05/03/2016"},
        {2016, 3, 5, "d.M.yyyy", "5.3.2016"},
        {2016, 12, 31, "M/d/yyyy", "12/31/2016"},
        {2016, 3, 5, "yyyy-MM-dd", "2016-03-05"},
        {2009, 3, 5, "dd/MM/yy", "05/03/09"},
        {2009, 3, 5, "d/M/y", "5/3/9"},
        {987, 1, 2, "dd/MM/yyyy", "02/01/0987"},  // the year keeps four digits
        {2016, 3, 6, "ddd dd MMM yyyy", "Sun 06 Mar 2016"},
        {2016, 2, 29, "dddd d MMMM", "Monday 29 February"},
        {2000, 1, 1, "dddd", "Saturday"},  // a century leap year
        {1900, 1, 1, "dddd", "Monday"},    // a century that is not one
        {2016, 3, 5, "gg yyyy", " 2016"},  // no era
        {2016, 3, 5, "'Day' d", "Day 5"},  // quoted text is not a field
        {2016, 3, 5, "d 'o''clock'", "5 o'clock"},
        {2016, 3, 5, "yyyy'", "2016"},  // an unclosed quote ends the text
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDatePicture(c.year, c.month, c.day, c.picture, RegionalSettings()), c.text)
            << c.picture;
    }
}

TEST(DatePicture, NamesComeFromTheSettings) {
    EXPECT_EQ(FormatDatePicture(2016, 3, 6, "ddd, d. MMMM yyyy", German()),
              "So, 6. M\xC3\xA4rz 2016");
    EXPECT_EQ(Cp1252FromUtf8(FormatDatePicture(2016, 3, 6, "d. MMM", German())), "6. M\xE4r");
}

struct TimeCase {
    int hour, minute, second;
    const char* picture;
    const char* text;
};

TEST(DatePicture, TimeFieldsByPicture) {
    const TimeCase cases[] = {
        {9, 5, 7, "HH:mm:ss", "09:05:07"},        {9, 5, 7, "H:m:s", "9:5:7"},
        {0, 0, 0, "h:mm:ss tt", "12:00:00 AM"},  // midnight is 12 AM
        {12, 30, 0, "h:mm:ss tt", "12:30:00 PM"}, {23, 59, 59, "hh:mm:ss t", "11:59:59 P"},
        {13, 1, 2, "HH.mm.ss", "13.01.02"},       {13, 1, 2, "'T'HH", "T13"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatTimePicture(c.hour, c.minute, c.second, c.picture, RegionalSettings()),
                  c.text)
            << c.picture;
    }
    // A locale without designators writes none.
    EXPECT_EQ(FormatTimePicture(15, 0, 0, "h:mm tt", German()), "3:00 ");
}

}  // namespace
}  // namespace quillmere
