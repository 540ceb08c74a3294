// The user's regional settings on Windows, from the user's locale
// (GetLocaleInfoEx), overrides in Control Panel included.
#include "platform/RegionalSettings.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace quillmere {

namespace {

std::string LocaleText(LCTYPE item) {
    wchar_t buffer[128] = {};
    const int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, buffer, 128);
    return n > 1 ? win32::Utf8(std::wstring_view(buffer, static_cast<std::size_t>(n - 1)))
                 : std::string();
}

// The first character of a picture that is not a field letter, a quote or a
// blank: the separator the picture uses.
char SeparatorOf(const std::string& picture, char fallback) {
    bool quoted = false;
    for (char c : picture) {
        if (c == '\'') {
            quoted = !quoted;
        } else if (!quoted && static_cast<unsigned char>(c) < 0x80 && c != ' ' &&
                   !((c | 0x20) >= 'a' && (c | 0x20) <= 'z')) {
            return c;
        }
    }
    return fallback;
}

}  // namespace

RegionalSettings RegionalSettingsFromEnvironment() {
    RegionalSettings s;
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) > 0) {
        s.localeName = win32::Utf8(name);
        for (char& c : s.localeName) {
            c = c == '-' ? '_' : c;  // "en-GB" as "en_GB"
        }
    }
    s.shortDateFormat = LocaleText(LOCALE_SSHORTDATE);
    s.longTimeFormat = LocaleText(LOCALE_STIMEFORMAT);
    if (s.shortDateFormat.empty()) {
        s.shortDateFormat = "dd/MM/yyyy";
    }
    if (s.longTimeFormat.empty()) {
        s.longTimeFormat = "HH:mm:ss";
    }
    s.dateSeparator = SeparatorOf(s.shortDateFormat, '/');
    s.timeSeparator = SeparatorOf(s.longTimeFormat, ':');
    const std::string decimal = LocaleText(LOCALE_SDECIMAL);
    s.decimalSeparator = decimal.size() == 1 ? decimal[0] : '.';
    s.amDesignator = LocaleText(LOCALE_S1159);
    s.pmDesignator = LocaleText(LOCALE_S2359);
    for (int i = 0; i < 12; ++i) {
        s.monthNames[i] = LocaleText(LOCALE_SMONTHNAME1 + i);
        s.abbreviatedMonthNames[i] = LocaleText(LOCALE_SABBREVMONTHNAME1 + i);
    }
    for (int i = 0; i < 7; ++i) {
        s.dayNames[i] = LocaleText(LOCALE_SDAYNAME1 + i);  // Monday first
        s.abbreviatedDayNames[i] = LocaleText(LOCALE_SABBREVDAYNAME1 + i);
    }
    return s;
}

}  // namespace quillmere
