#include "sage/DatePicture.h"

#include <cstdio>

namespace quillmere {

namespace {

std::string Number(int value, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", digits, value);
    return buf;
}

// Monday 0 ... Sunday 6, for a date of the Gregorian calendar.
int DayOfWeek(int year, int month, int day) {
    static constexpr int Offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3) {
        --year;
    }
    const int sundayFirst =
        (year + year / 4 - year / 100 + year / 400 + Offsets[(month - 1) % 12] + day) % 7;
    return (sundayFirst + 6) % 7;
}

// Walks a picture: `field(letter, count)` writes a run of one letter and
// returns false when the letter is not a field (then it is copied).
template <class Field>
std::string Walk(const std::string& picture, Field field) {
    std::string out;
    for (std::size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        if (c == '\'') {
            // Quoted text; '' inside it is one quote.
            ++i;
            while (i < picture.size()) {
                if (picture[i] == '\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                        out += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                out += picture[i++];
            }
            continue;
        }
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c) {
            ++run;
        }
        if (!field(out, c, static_cast<int>(run))) {
            out.append(run, c);
        }
        i += run;
    }
    return out;
}

}  // namespace

std::string FormatDatePicture(int year, int month, int day, const std::string& picture,
                              const RegionalSettings& settings) {
    const int monthIndex = (month + 11) % 12;
    return Walk(picture, [&](std::string& out, char c, int count) {
        switch (c) {
            case 'd':
                if (count <= 2) {
                    out += Number(day, count);
                } else {
                    const int weekday = DayOfWeek(year, month, day);
                    out += count == 3 ? settings.abbreviatedDayNames[weekday]
                                      : settings.dayNames[weekday];
                }
                return true;
            case 'M':
                if (count <= 2) {
                    out += Number(month, count);
                } else {
                    out += count == 3 ? settings.abbreviatedMonthNames[monthIndex]
                                      : settings.monthNames[monthIndex];
                }
                return true;
            case 'y':
                out += count <= 2 ? Number(year % 100, count) : Number(year, 4);
                return true;
            case 'g':
                return true;
            default:
                return false;
        }
    });
}

std::string FormatTimePicture(int hour, int minute, int second, const std::string& picture,
                              const RegionalSettings& settings) {
    const std::string& designator = hour < 12 ? settings.amDesignator : settings.pmDesignator;
    return Walk(picture, [&](std::string& out, char c, int count) {
        const int digits = count >= 2 ? 2 : 1;
        switch (c) {
            case 'h':
                out += Number(hour % 12 == 0 ? 12 : hour % 12, digits);
                return true;
            case 'H':
                out += Number(hour, digits);
                return true;
            case 'm':
                out += Number(minute, digits);
                return true;
            case 's':
                out += Number(second, digits);
                return true;
            case 't':
                out += count == 1 ? designator.substr(0, 1) : designator;
                return true;
            default:
                return false;
        }
    });
}

}  // namespace quillmere
