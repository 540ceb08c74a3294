#include "sage/CompanyList.h"

#include <cstdio>

#include "platform/CodePage.h"
#include "platform/SystemCodePage.h"

namespace quillmere {

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

void AppendEscaped(std::string& out, unsigned char c) {
    char code[8];
    std::snprintf(code, sizeof code, "\\x%02X", static_cast<unsigned>(c));
    out += code;
}

}  // namespace

std::vector<std::string> CompanyDirectories(std::string_view listText) {
    std::vector<std::string> directories;
    std::size_t start = 0;
    while (start < listText.size()) {
        std::size_t end = listText.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            end = listText.size();
        }
        const std::string_view line = TrimBlanks(listText.substr(start, end - start));
        if (!line.empty()) {
            directories.push_back(Utf8FromSystemCodePage(line));
        }
        start = end + 1;
        if (end < listText.size() && listText[end] == '\r' && start < listText.size() &&
            listText[start] == '\n') {
            ++start;
        }
    }
    return directories;
}

std::string CompanyNameFromSetup(std::string_view setupBytes) {
    if (setupBytes.size() <= 3) {
        return {};
    }
    return Utf8FromCp1252(std::string(TrimBlanks(setupBytes.substr(3, 60))));
}

std::string VisibleText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7f) {
            AppendEscaped(out, c);
        } else if (c == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            // U+0080 to U+009F in UTF-8: the C1 controls (CSI among them).
            AppendEscaped(out, static_cast<unsigned char>(text[i + 1]));
            ++i;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace quillmere
