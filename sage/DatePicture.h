#pragma once
// Dates and times written by a Windows picture string (the user's short date
// and long time formats), with the names and designators of the regional
// settings. The same code on every system, so a table reads the same
// wherever it was exported.
#include <compare>
#include <optional>
#include <string>
#include <string_view>

#include "platform/System.h"

namespace quillmere {

// d dd ddd dddd (day, two digits, abbreviated and full day name), M MM MMM
// MMMM (month likewise), y (year in the century, no leading zero), yy, yyyy
// (and longer runs of y: the full year); g and gg (era) write nothing; text in
// single quotes is copied, two quotes inside it are one. Anything else is
// copied as it stands.
std::string FormatDatePicture(int year, int month, int day, const std::string& picture,
                              const RegionalSettings& settings);

// h hh (hour of the 12-hour clock), H HH (of 24 hours), m mm, s ss, t (first
// character of the AM/PM designator) and tt (the designator); quotes as for
// dates.
std::string FormatTimePicture(int hour, int minute, int second, const std::string& picture,
                              const RegionalSettings& settings);

}  // namespace quillmere

namespace quillmere {

struct CivilDate {
    int year = 0;
    int month = 0;
    int day = 0;
    auto operator<=>(const CivilDate&) const = default;
};

// The date a text written by FormatDatePicture with the same picture and
// settings stands for (names in UTF-8); nothing when the text does not
// follow the picture or names no real date. A two-digit year is taken from
// 1950 to 2049.
std::optional<CivilDate> ParseDatePicture(std::string_view text, const std::string& picture,
                                          const RegionalSettings& settings);

// The date as ISO text (2026-12-11).
std::string IsoDate(const CivilDate& date);

// Days since 1970-01-01 (negative before it), for differences of dates.
long long DaysSinceEpoch(const CivilDate& date);

}  // namespace quillmere
