#include "export/DecimalSum.h"

#include <algorithm>
#include <cstdlib>

namespace quillmere {

namespace {

constexpr int SmallScale = 4;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Compares two magnitudes of the same scale as digit strings without
// leading zeros.
int CompareMagnitude(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

std::string AddMagnitudes(const std::string& a, const std::string& b) {
    std::string out;
    int carry = 0;
    for (std::size_t i = 0; i < std::max(a.size(), b.size()) || carry; ++i) {
        const int x = i < a.size() ? a[a.size() - 1 - i] - '0' : 0;
        const int y = i < b.size() ? b[b.size() - 1 - i] - '0' : 0;
        const int sum = x + y + carry;
        out += static_cast<char>('0' + sum % 10);
        carry = sum / 10;
    }
    std::reverse(out.begin(), out.end());
    return out;
}

// a - b for a >= b.
std::string SubtractMagnitudes(const std::string& a, const std::string& b) {
    std::string out;
    int borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        int x = a[a.size() - 1 - i] - '0' - borrow;
        const int y = i < b.size() ? b[b.size() - 1 - i] - '0' : 0;
        borrow = x < y ? 1 : 0;
        x += borrow * 10;
        out += static_cast<char>('0' + x - y);
    }
    while (out.size() > 0 && out.back() == '0') {
        out.pop_back();
    }
    std::reverse(out.begin(), out.end());
    return out;
}

std::string MagnitudeText(std::int64_t value) {
    const auto magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    return magnitude == 0 ? "" : std::to_string(magnitude);
}

}  // namespace

void DecimalSum::Accumulate(Exact& into, Exact value) {
    const int scale = std::max(into.scale, value.scale);
    auto align = [scale](Exact& e) {
        if (!e.digits.empty()) {
            e.digits.append(static_cast<std::size_t>(scale - e.scale), '0');
        }
        e.scale = scale;
    };
    align(into);
    align(value);
    if (into.negative == value.negative) {
        into.digits = AddMagnitudes(into.digits, value.digits);
    } else if (CompareMagnitude(into.digits, value.digits) >= 0) {
        into.digits = SubtractMagnitudes(into.digits, value.digits);
    } else {
        into.digits = SubtractMagnitudes(value.digits, into.digits);
        into.negative = value.negative;
    }
    const auto first = into.digits.find_first_not_of('0');
    into.digits.erase(0, first == std::string::npos ? into.digits.size() : first);
    while (into.scale > 0 && !into.digits.empty() && into.digits.back() == '0') {
        into.digits.pop_back();
        --into.scale;
    }
    if (into.digits.empty()) {
        into = Exact{};
    }
}

bool DecimalSum::Add(std::string_view text) {
    std::string_view s = text;
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    std::string digits;
    int scale = 0;
    bool point = false;
    std::size_t at = 0;
    for (; at < s.size(); ++at) {
        const char c = s[at];
        if (IsDigit(c)) {
            digits += c;
            scale += point ? 1 : 0;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits.empty()) {
        return false;
    }
    if (at < s.size()) {
        // Only an exponent may follow: E, an optional sign, digits.
        if (s[at] != 'E' && s[at] != 'e') {
            return false;
        }
        std::string_view exponent = s.substr(at + 1);
        bool negativeExponent = false;
        if (!exponent.empty() && (exponent.front() == '-' || exponent.front() == '+')) {
            negativeExponent = exponent.front() == '-';
            exponent.remove_prefix(1);
        }
        if (exponent.empty() || exponent.size() > 4 ||
            !std::all_of(exponent.begin(), exponent.end(), IsDigit)) {
            return false;
        }
        const int e = std::atoi(std::string(exponent).c_str());
        scale += negativeExponent ? e : -e;
        if (scale < 0) {
            digits.append(static_cast<std::size_t>(-scale), '0');
            scale = 0;
        }
    }
    if (scale <= SmallScale && digits.size() - static_cast<std::size_t>(scale) <= 14) {
        std::int64_t units = 0;
        for (char c : digits) {
            units = units * 10 + (c - '0');
        }
        for (int i = scale; i < SmallScale; ++i) {
            units *= 10;
        }
        std::int64_t sum = 0;
        if (__builtin_add_overflow(small_, negative ? -units : units, &sum)) {
            Accumulate(large_, Exact{small_ < 0, MagnitudeText(small_), SmallScale});
            sum = negative ? -units : units;
        }
        small_ = sum;
        return true;
    }
    Accumulate(large_, Exact{negative, std::move(digits), scale});
    return true;
}

void DecimalSum::Add(const DecimalSum& other) {
    Accumulate(large_, other.Total());
}

DecimalSum::Exact DecimalSum::Total() const {
    Exact total = large_;
    Accumulate(total, Exact{small_ < 0, MagnitudeText(small_), SmallScale});
    return total;
}

std::string DecimalSum::Text(int minPlaces) const {
    const Exact total = Total();
    std::string digits = total.digits.empty() ? "0" : total.digits;
    const auto scale = static_cast<std::size_t>(total.scale);
    if (digits.size() <= scale) {
        digits.insert(0, scale + 1 - digits.size(), '0');
    }
    std::string whole = digits.substr(0, digits.size() - scale);
    std::string fraction = digits.substr(digits.size() - scale);
    if (fraction.size() < static_cast<std::size_t>(minPlaces)) {
        fraction.append(static_cast<std::size_t>(minPlaces) - fraction.size(), '0');
    }
    return (total.negative ? "-" : "") + whole + (fraction.empty() ? "" : "." + fraction);
}

bool DecimalSum::Subtract(std::string_view text) {
    return Add(NegatedDecimal(text));
}

void DecimalSum::Subtract(const DecimalSum& other) {
    Add(NegatedDecimal(other.Text(0)));
}

std::string NegatedDecimal(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    if (!text.empty() && text.front() == '-') {
        return std::string(text.substr(1));
    }
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    return "-" + std::string(text);
}

}  // namespace quillmere
