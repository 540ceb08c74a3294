#include "platform/CodePage.h"

namespace quillmere {

namespace {

// Characters of 0x80..0x9F; the five bytes Windows leaves undefined map to
// the C1 control with the same number, as Windows' own conversion does.
constexpr char16_t High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char ToCp1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<char>(c);
    }
    for (int i = 0; i < 32; ++i) {
        if (High[i] == c) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

}  // namespace

std::size_t AppendCp1252FromUtf16(std::string& out, std::u16string_view text) {
    // ASCII, nearly every character of a table, goes straight through.
    std::size_t replaced = 0;
    const std::size_t start = out.size();
    out.resize(start + text.size());
    char* to = out.data() + start;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x80) {
            *to++ = static_cast<char>(c);
        } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                   text[i + 1] <= 0xDFFF) {
            ++i;  // a character beyond the BMP: one "?"
            *to++ = '?';
            ++replaced;
        } else {
            *to = ToCp1252(c);
            replaced += *to++ == '?';
        }
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
    return replaced;
}

std::string Cp1252FromUtf16(std::u16string_view text) {
    std::string out;
    AppendCp1252FromUtf16(out, text);
    return out;
}

std::string Cp1252FromUtf8(std::string_view text) {
    return Cp1252FromUtf16(Utf16FromUtf8(text));
}

std::string Utf8FromCp1252(std::string_view text) {
    std::u16string wide;
    wide.reserve(text.size());
    for (unsigned char b : text) {
        wide += (b >= 0x80 && b < 0xA0) ? High[b - 0x80] : static_cast<char16_t>(b);
    }
    return Utf8FromUtf16(wide);
}

std::u16string Utf16FromUtf8(std::string_view text) {
    // A byte that does not start or continue a well-formed sequence (stray
    // continuation, overlong form, surrogate, beyond U+10FFFF, cut short)
    // becomes U+FFFD, one per byte that cannot be used.
    std::u16string out;
    out.reserve(text.size());
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = byte(i);
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        int length = 0;
        char32_t c = 0;
        char32_t least = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, c = lead & 0x1F, least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, c = lead & 0x0F, least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, c = lead & 0x07, least = 0x10000;
        }
        int used = 1;
        for (; length > 0 && used < length && i + static_cast<std::size_t>(used) < text.size();
             ++used) {
            const unsigned char next = byte(i + static_cast<std::size_t>(used));
            if ((next & 0xC0) != 0x80) {
                break;
            }
            c = (c << 6) | (next & 0x3F);
        }
        if (length == 0 || used < length || c < least || c > 0x10FFFF ||
            (c >= 0xD800 && c <= 0xDFFF)) {
            out += u'\uFFFD';
            i += 1;
            continue;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += static_cast<std::size_t>(length);
    }
    return out;
}

std::string Utf8FromUtf16(std::u16string_view text) {
    // An unpaired surrogate becomes U+FFFD.
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace quillmere
