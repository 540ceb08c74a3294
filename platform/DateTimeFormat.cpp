#include <cstdio>

#include "platform/System.h"

namespace quillmere {

namespace {

std::string TwoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v % 100);
    return buf;
}

bool StartsWithCI(const std::string& s, std::size_t pos, const char* token) {
    for (std::size_t i = 0; token[i]; ++i) {
        if (pos + i >= s.size() || (s[pos + i] | 0x20) != (token[i] | 0x20)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string FormatDateTime(const std::tm& t, const std::string& pattern,
                           const RegionalSettings& settings) {
    std::string out;
    bool lastWasHour = false;  // "MM" right after an hour means minutes
    for (std::size_t i = 0; i < pattern.size();) {
        if (StartsWithCI(pattern, i, "YYYY")) {
            out += std::to_string(t.tm_year + 1900);
            i += 4;
            lastWasHour = false;
        } else if (StartsWithCI(pattern, i, "YY")) {
            out += TwoDigits(t.tm_year + 1900);
            i += 2;
            lastWasHour = false;
        } else if (StartsWithCI(pattern, i, "DD")) {
            out += TwoDigits(t.tm_mday);
            i += 2;
            lastWasHour = false;
        } else if (StartsWithCI(pattern, i, "HH")) {
            out += TwoDigits(t.tm_hour);
            i += 2;
            lastWasHour = true;
        } else if (StartsWithCI(pattern, i, "NN")) {
            out += TwoDigits(t.tm_min);
            i += 2;
            lastWasHour = false;
        } else if (StartsWithCI(pattern, i, "MM")) {
            out += TwoDigits(lastWasHour ? t.tm_min : t.tm_mon + 1);
            i += 2;
            lastWasHour = false;
        } else if (StartsWithCI(pattern, i, "SS")) {
            out += TwoDigits(t.tm_sec);
            i += 2;
            lastWasHour = false;
        } else if (pattern[i] == '/') {
            out += settings.dateSeparator;
            ++i;
        } else if (pattern[i] == ':') {
            out += settings.timeSeparator;
            ++i;
        } else {
            out += pattern[i];
            ++i;
        }
    }
    return out;
}

}  // namespace quillmere
