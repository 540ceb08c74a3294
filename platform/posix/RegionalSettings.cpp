// The user's regional settings from the locale variables, through QLocale's
// data, with Qt's formats written as the Windows picture strings that the
// program formats by. Unset, C and POSIX mean en_GB, the product's home locale (cron jobs
// and CI have no locale).
#include <QLocale>
#include <QString>
#include <cstdlib>

#include "platform/RegionalSettings.h"

namespace quillmere {

namespace {

std::string LocaleVariable(const char* specific) {
    for (const char* name : {"LC_ALL", specific, "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            return value;
        }
    }
    return {};
}

QLocale LocaleFrom(std::string name) {
    name = name.substr(0, name.find_first_of(".@"));  // drop ".UTF-8" and "@euro"
    if (name.empty() || name == "C" || name == "POSIX") {
        name = "en_GB";
    }
    QLocale locale(QString::fromStdString(name));
    if (locale.language() == QLocale::C) {
        locale = QLocale(QStringLiteral("en_GB"));
    }
    return locale;
}

// First character of a date or time pattern that is neither a letter nor a quote.
char SeparatorOf(const QString& format, char fallback) {
    for (QChar c : format) {
        if (!c.isLetter() && c != u'\'' && c.unicode() < 0x80 && c != u' ') {
            return static_cast<char>(c.unicode());
        }
    }
    return fallback;
}

// Windows' short date formats carry the century: widen a two-digit year.
QString WithFourDigitYear(QString format) {
    if (!format.contains(QStringLiteral("yyyy"))) {
        format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    }
    return format;
}

// Qt's pattern as a Windows picture: Qt's "t" (time zone) is dropped with the
// blank before it (Windows' long time has no time zone), "AP" / "ap" / "A" /
// "a" become the designator "tt", and without a designator Qt's "h" is the
// 24-hour "H".
QString AsWindowsPicture(const QString& format) {
    bool twelveHour = false;
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
        } else if (!quoted && (c == u'A' || c == u'a')) {
            twelveHour = true;
        }
    }
    QString out;
    quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'\'') {
            quoted = !quoted;
        } else if (!quoted && c == u't') {
            continue;
        } else if (!quoted && (c == u'A' || c == u'a')) {
            if (i + 1 < format.size() && (format[i + 1] == u'P' || format[i + 1] == u'p')) {
                ++i;
            }
            out += QStringLiteral("tt");
            continue;
        } else if (!quoted && c == u'h' && !twelveHour) {
            out += u'H';
            continue;
        }
        out += c;
    }
    return out.trimmed();
}

}  // namespace

RegionalSettings RegionalSettingsFromEnvironment() {
    const QLocale timeLocale = LocaleFrom(LocaleVariable("LC_TIME"));
    const QLocale numberLocale = LocaleFrom(LocaleVariable("LC_NUMERIC"));
    RegionalSettings s;
    s.localeName = timeLocale.name().toStdString();
    const QString date =
        AsWindowsPicture(WithFourDigitYear(timeLocale.dateFormat(QLocale::ShortFormat)));
    const QString time = AsWindowsPicture(timeLocale.timeFormat(QLocale::LongFormat));
    s.shortDateFormat = date.toStdString();
    s.longTimeFormat = time.toStdString();
    s.dateSeparator = SeparatorOf(date, '/');
    s.timeSeparator = SeparatorOf(time, ':');
    s.amDesignator = timeLocale.amText().toStdString();
    s.pmDesignator = timeLocale.pmText().toStdString();
    for (int i = 0; i < 12; ++i) {
        s.monthNames[i] = timeLocale.monthName(i + 1, QLocale::LongFormat).toStdString();
        s.abbreviatedMonthNames[i] =
            timeLocale.monthName(i + 1, QLocale::ShortFormat).toStdString();
    }
    for (int i = 0; i < 7; ++i) {
        s.dayNames[i] = timeLocale.dayName(i + 1, QLocale::LongFormat).toStdString();
        s.abbreviatedDayNames[i] = timeLocale.dayName(i + 1, QLocale::ShortFormat).toStdString();
    }
    const QString decimal = numberLocale.decimalPoint();
    s.decimalSeparator = decimal.size() == 1 && decimal[0].unicode() < 0x80
                             ? static_cast<char>(decimal[0].unicode())
                             : '.';
    return s;
}

}  // namespace quillmere
