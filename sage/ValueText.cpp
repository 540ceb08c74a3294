#include "sage/ValueText.h"

#include <algorithm>
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

bool AppendDecimalValueText(std::string& out, std::string_view digits, char decimalSeparator) {
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
    const std::string_view whole = s.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : s.substr(point + 1);
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (!std::all_of(whole.begin(), whole.end(), isDigit) ||
        !std::all_of(fraction.begin(), fraction.end(), isDigit)) {
        out += digits;  // not a plain number (NaN, ...): as delivered
        return false;
    }
    // A carry digit, the whole digits ("0" for none) and four places,
    // rounded half away from zero at the fourth place.
    char stack[96];
    std::string heap;
    const std::size_t wholeSize = whole.empty() ? 1 : whole.size();
    const std::size_t size = 1 + wholeSize + 4;
    char* buf = stack;
    if (size > sizeof stack) {
        heap.resize(size);
        buf = heap.data();
    }
    buf[0] = '0';
    if (whole.empty()) {
        buf[1] = '0';
    } else {
        std::copy(whole.begin(), whole.end(), buf + 1);
    }
    char* places = buf + 1 + wholeSize;
    for (std::size_t i = 0; i < 4; ++i) {
        places[i] = i < fraction.size() ? fraction[i] : '0';
    }
    if (fraction.size() > 4 && fraction[4] >= '5') {
        char* d = buf + size - 1;
        while (*d == '9') {
            *d-- = '0';
        }
        ++*d;  // stops at the carry digit at the latest
    }
    std::size_t placesKept = 4;
    while (placesKept > 0 && places[placesKept - 1] == '0') {
        --placesKept;
    }
    const char* first = buf;
    while (first < places - 1 && *first == '0') {
        ++first;
    }
    const bool zero = first == places - 1 && *first == '0' && placesKept == 0;
    if (negative && !zero) {
        out += '-';
    }
    out.append(first, static_cast<std::size_t>(places - first));
    if (placesKept > 0) {
        out += decimalSeparator;
        out.append(places, placesKept);
    }
    return fraction.size() > 4 && fraction.find_first_not_of('0', 4) != std::string_view::npos;
}

std::string DecimalValueText(std::string_view digits, char decimalSeparator) {
    std::string out;
    AppendDecimalValueText(out, digits, decimalSeparator);
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

namespace {

// The cached texts, by reference: valid until the next call on this thread.
const std::string& DateText(const odbc::DateValue& date, const RegionalSettings& settings) {
    const int key = (date.year * 16 + date.month) * 32 + date.day;
    return DateTexts.Text(settings.localeName, settings.shortDateFormat, key, [&] {
        return Cp1252FromUtf8(FormatDatePicture(date.year, date.month, date.day,
                                                Pattern(settings.shortDateFormat, "dd/MM/yyyy"),
                                                settings));
    });
}

const std::string& TimeText(const odbc::TimeValue& time, const RegionalSettings& settings) {
    const int key = (time.hour * 64 + time.minute) * 64 + time.second;
    return TimeTexts.Text(settings.localeName, settings.longTimeFormat, key, [&] {
        return Cp1252FromUtf8(FormatTimePicture(time.hour, time.minute, time.second,
                                                Pattern(settings.longTimeFormat, "HH:mm:ss"),
                                                settings));
    });
}

void AppendTimestampText(std::string& out, const odbc::TimestampValue& stamp,
                         const RegionalSettings& settings) {
    out += DateText(stamp.date, settings);
    const bool midnight = stamp.time.hour == 0 && stamp.time.minute == 0 &&
                          stamp.time.second == 0 && stamp.fraction < 1000000;
    if (!midnight) {
        out += ' ';
        out += TimeText(stamp.time, settings);
    }
}

}  // namespace

std::string DateValueText(const odbc::DateValue& date, const RegionalSettings& settings) {
    return DateText(date, settings);
}

std::string TimeValueText(const odbc::TimeValue& time, const RegionalSettings& settings) {
    return TimeText(time, settings);
}

std::string TimestampValueText(const odbc::TimestampValue& stamp,
                               const RegionalSettings& settings) {
    std::string text;
    AppendTimestampText(text, stamp, settings);
    return text;
}

ValueLoss AppendValueText(std::string& out, const odbc::Query& query, int field,
                          const RegionalSettings& settings) {
    if (query.IsNull(field)) {
        return ValueLoss::None;
    }
    switch (query.Kind(field)) {
        case odbc::ValueKind::Text:
        case odbc::ValueKind::Integer:
            return query.AppendText(field, out) > 0 ? ValueLoss::Replaced : ValueLoss::None;
        case odbc::ValueKind::Decimal:
            return AppendDecimalValueText(out, query.DecimalView(field), settings.decimalSeparator)
                       ? ValueLoss::Rounded
                       : ValueLoss::None;
        case odbc::ValueKind::Float:
            out += FloatValueText(query.AsFloat(field), settings.decimalSeparator);
            break;
        case odbc::ValueKind::Date:
            out += DateText(query.AsDate(field), settings);
            break;
        case odbc::ValueKind::Time:
            out += TimeText(query.AsTime(field), settings);
            break;
        case odbc::ValueKind::Timestamp:
            AppendTimestampText(out, query.AsTimestamp(field), settings);
            break;
        case odbc::ValueKind::Boolean:
            out += query.AsBoolean(field) ? "True" : "False";
            break;
    }
    return ValueLoss::None;
}

std::string ValueText(const odbc::Query& query, int field, const RegionalSettings& settings) {
    std::string out;
    AppendValueText(out, query, field, settings);
    return out;
}

RegionalSettings BareValueSettings(const RegionalSettings& settings) {
    RegionalSettings bare = settings;
    if (bare.decimalSeparator == ',') {
        bare.decimalSeparator = '.';
    }
    return bare;
}

}  // namespace quillmere
