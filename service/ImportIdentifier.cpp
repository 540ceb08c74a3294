#include "service/ImportIdentifier.h"

namespace quillmere {

namespace {

bool IsBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

std::optional<std::string> ImportIdentifierProblem(std::string_view identifier) {
    if (identifier.empty()) {
        return "the identifier is empty";
    }
    if (identifier.size() > MaxImportIdentifierLength) {
        return "the identifier is longer than " + std::to_string(MaxImportIdentifierLength) +
               " characters";
    }
    if (IsBlank(static_cast<unsigned char>(identifier.front())) ||
        IsBlank(static_cast<unsigned char>(identifier.back()))) {
        return "the identifier is blank or has blanks around it";
    }
    for (const char ch : identifier) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7f) {
            return "the identifier holds a control character";
        }
    }
    return std::nullopt;
}

std::string PercentEncoded(std::string_view text) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            out += ch;
        } else {
            out += '%';
            out += Hex[c >> 4];
            out += Hex[c & 15];
        }
    }
    return out;
}

}  // namespace quillmere
