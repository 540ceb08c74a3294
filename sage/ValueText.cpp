#include "sage/ValueText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

#include "platform/CodePage.h"
#include "sage/DatePicture.h"

namespace quillmere {

namespace {

std::string Pattern(const std::string& pattern, const char* fallback) {
    return pattern.empty() ? fallback : pattern;
}

// Formatting through the locale costs more than everything else a table
// line needs, and a company's books hold few distinct dates and times of
// day: each text is made once for the formats in use and then reused.
class FormatCache {
  public:
    template <class Make>
    const std::string& Text(const std::string& locale, const std::string& pattern, int key,
                            Make make) {
        if (locale != locale_ || pattern != pattern_ || texts_.size() > MaxTexts) {
            texts_.clear();
            locale_ = locale;
            pattern_ = pattern;
        }
        auto [at, added] = texts_.try_emplace(key);
        if (added) {
            at->second = make();
        }
        return at->second;
    }

  private:
    static constexpr std::size_t MaxTexts = 100000;
    std::string locale_;
    std::string pattern_;
    std::unordered_map<int, std::string> texts_;
};

thread_local FormatCache DateTexts;
thread_local FormatCache TimeTexts;

}  // namespace

std::string DecimalValueText(std::string_view digits, char decimalSeparator) {
    std::string_view s = digits;
    while (!s.empty() && s.front() == ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && s.back() == ' ') {
        s.remove_suffix(1);
    }
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    const auto point = s.find('.');
    std::string whole(s.substr(0, point));
    std::string fraction(point == std::string_view::npos ? std::string_view()
                                                         : s.substr(point + 1));
    for (char c : whole + fraction) {
        if (c < '0' || c > '9') {
            return std::string(digits);  // not a plain number (NaN, ...): as delivered
        }
    }
    if (whole.empty()) {
        whole = "0";
    }
    // Round half away from zero at the fourth place.
    const bool roundUp = fraction.size() > 4 && fraction[4] >= '5';
    fraction.resize(std::min<std::size_t>(fraction.size(), 4));
    if (roundUp) {
        fraction.resize(4, '0');
        std::string all = whole + fraction;
        int i = static_cast<int>(all.size()) - 1;
        while (i >= 0 && all[static_cast<std::size_t>(i)] == '9') {
            all[static_cast<std::size_t>(i--)] = '0';
        }
        if (i < 0) {
            all.insert(all.begin(), '1');
        } else {
            ++all[static_cast<std::size_t>(i)];
        }
        whole = all.substr(0, all.size() - 4);
        fraction = all.substr(all.size() - 4);
    }
    while (!fraction.empty() && fraction.back() == '0') {
        fraction.pop_back();
    }
    const auto nonZero = whole.find_first_not_of('0');
    whole = nonZero == std::string::npos ? "0" : whole.substr(nonZero);
    std::string out;
    if (negative && !(whole == "0" && fraction.empty())) {
        out += '-';
    }
    out += whole;
    if (!fraction.empty()) {
        out += decimalSeparator;
        out += fraction;
    }
    return out;
}

std::string FloatValueText(double value, char decimalSeparator) {
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-INF" : "INF";
    }
    if (value == 0) {
        return "0";
    }
    // 15 significant digits, rounded once: d.dddddddddddddde±x
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    std::string text = buf;
    const bool negative = text.front() == '-';
    if (negative) {
        text.erase(0, 1);
    }
    const auto e = text.find('e');
    const int exponent = std::atoi(text.c_str() + e + 1);
    std::string mantissa = text.substr(0, 1) + text.substr(2, e - 2);  // 15 digits
    while (mantissa.size() > 1 && mantissa.back() == '0') {
        mantissa.pop_back();
    }
    std::string out = negative ? "-" : "";
    if (exponent < -5 || exponent >= 15) {
        out += mantissa[0];
        if (mantissa.size() > 1) {
            out += decimalSeparator;
            out += mantissa.substr(1);
        }
        out += 'E';
        out += std::to_string(exponent);
        return out;
    }
    if (exponent < 0) {
        out += '0';
        out += decimalSeparator;
        out += std::string(static_cast<std::size_t>(-exponent - 1), '0');
        out += mantissa;
        return out;
    }
    const std::size_t wholeDigits = static_cast<std::size_t>(exponent) + 1;
    if (mantissa.size() <= wholeDigits) {
        out += mantissa + std::string(wholeDigits - mantissa.size(), '0');
    } else {
        out += mantissa.substr(0, wholeDigits);
        out += decimalSeparator;
        out += mantissa.substr(wholeDigits);
    }
    return out;
}

std::string DateValueText(const odbc::DateValue& date, const RegionalSettings& settings) {
    const int key = (date.year * 16 + date.month) * 32 + date.day;
    return DateTexts.Text(settings.localeName, settings.shortDateFormat, key, [&] {
        return Cp1252FromUtf8(FormatDatePicture(date.year, date.month, date.day,
                                                Pattern(settings.shortDateFormat, "dd/MM/yyyy"),
                                                settings));
    });
}

std::string TimeValueText(const odbc::TimeValue& time, const RegionalSettings& settings) {
    const int key = (time.hour * 64 + time.minute) * 64 + time.second;
    return TimeTexts.Text(settings.localeName, settings.longTimeFormat, key, [&] {
        return Cp1252FromUtf8(FormatTimePicture(time.hour, time.minute, time.second,
                                                Pattern(settings.longTimeFormat, "HH:mm:ss"),
                                                settings));
    });
}

std::string TimestampValueText(const odbc::TimestampValue& stamp,
                               const RegionalSettings& settings) {
    std::string text = DateValueText(stamp.date, settings);
    const bool midnight = stamp.time.hour == 0 && stamp.time.minute == 0 &&
                          stamp.time.second == 0 && stamp.fraction < 1000000;
    if (!midnight) {
        text += ' ';
        text += TimeValueText(stamp.time, settings);
    }
    return text;
}

std::string ValueText(const odbc::Query& query, int field, const RegionalSettings& settings) {
    if (query.IsNull(field)) {
        return {};
    }
    switch (query.Kind(field)) {
        case odbc::ValueKind::Text:
        case odbc::ValueKind::Integer:
            return query.AsText(field);
        case odbc::ValueKind::Decimal:
            return DecimalValueText(query.DecimalText(field), settings.decimalSeparator);
        case odbc::ValueKind::Float:
            return FloatValueText(query.AsFloat(field), settings.decimalSeparator);
        case odbc::ValueKind::Date:
            return DateValueText(query.AsDate(field), settings);
        case odbc::ValueKind::Time:
            return TimeValueText(query.AsTime(field), settings);
        case odbc::ValueKind::Timestamp:
            return TimestampValueText(query.AsTimestamp(field), settings);
        case odbc::ValueKind::Boolean:
            return query.AsBoolean(field) ? "True" : "False";
    }
    return {};
}

RegionalSettings BareValueSettings(const RegionalSettings& settings) {
    RegionalSettings bare = settings;
    if (bare.decimalSeparator == ',') {
        bare.decimalSeparator = '.';
    }
    return bare;
}

}  // namespace quillmere
