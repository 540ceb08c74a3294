#include "sage/DatePicture.h"

#include <algorithm>
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

namespace quillmere {

namespace {

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : Days[month - 1];
}

// Reads up to `most` digits (at least one) at `at`.
std::optional<int> Digits(std::string_view text, std::size_t& at, int most) {
    int value = 0;
    int read = 0;
    while (read < most && at < text.size() && text[at] >= '0' && text[at] <= '9') {
        value = value * 10 + (text[at++] - '0');
        ++read;
    }
    return read == 0 ? std::nullopt : std::optional<int>(value);
}

// The index of the longest of `names` that the text holds at `at`.
template <std::size_t N>
std::optional<int> Name(std::string_view text, std::size_t& at,
                        const std::array<std::string, N>& names) {
    std::optional<int> best;
    std::size_t bestSize = 0;
    for (std::size_t i = 0; i < N; ++i) {
        const std::string& name = names[i];
        if (!name.empty() && name.size() > bestSize && text.substr(at, name.size()) == name) {
            best = static_cast<int>(i);
            bestSize = name.size();
        }
    }
    at += bestSize;
    return best;
}

}  // namespace

std::optional<CivilDate> ParseDatePicture(std::string_view text, const std::string& picture,
                                          const RegionalSettings& settings) {
    CivilDate date;
    std::size_t at = 0;
    bool ok = true;
    // The picture's literal text is matched through the formatter's own walk:
    // each field reads from the text, everything else must stand there.
    const auto matchLiteral = [&](const std::string& literal) {
        if (ok && text.substr(at, literal.size()) == literal) {
            at += literal.size();
        } else {
            ok = false;
        }
    };
    const std::string trailing = Walk(picture, [&](std::string& pending, char c, int count) {
        if (c != 'd' && c != 'M' && c != 'y' && c != 'g') {
            return false;  // copied as text, matched as such
        }
        matchLiteral(pending);
        pending.clear();
        if (!ok || c == 'g') {
            return true;
        }
        std::optional<int> value;
        if (c == 'd') {
            if (count <= 2) {
                value = Digits(text, at, 2);
                date.day = value.value_or(0);
            } else {
                value = count == 3 ? Name(text, at, settings.abbreviatedDayNames)
                                   : Name(text, at, settings.dayNames);
            }
        } else if (c == 'M') {
            if (count <= 2) {
                value = Digits(text, at, 2);
            } else {
                value = count == 3 ? Name(text, at, settings.abbreviatedMonthNames)
                                   : Name(text, at, settings.monthNames);
                if (value) {
                    ++*value;
                }
            }
            date.month = value.value_or(0);
        } else {
            if (count <= 2) {
                value = Digits(text, at, 2);
                if (value) {
                    *value += *value < 50 ? 2000 : 1900;
                }
            } else {
                value = Digits(text, at, std::max(count, 4));
            }
            date.year = value.value_or(0);
        }
        ok = value.has_value();
        return true;
    });
    matchLiteral(trailing);
    if (!ok || at != text.size() || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.year < 1 || date.day > DaysInMonth(date.year, date.month)) {
        return std::nullopt;
    }
    return date;
}

std::string IsoDate(const CivilDate& date) {
    return Number(date.year, 4) + "-" + Number(date.month, 2) + "-" + Number(date.day, 2);
}

long long DaysSinceEpoch(const CivilDate& date) {
    // Days from civil (proleptic Gregorian), era by era of 400 years.
    const long long y = date.year - (date.month <= 2 ? 1 : 0);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yearOfEra = y - era * 400;
    const long long dayOfYear =
        (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace quillmere
