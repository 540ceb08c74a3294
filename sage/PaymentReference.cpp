#include "sage/PaymentReference.h"

namespace quillmere {

namespace {

std::string RemoveAll(const std::string& text, const std::string& code) {
    std::string out;
    std::size_t from = 0;
    for (std::size_t at = text.find(code); at != std::string::npos; at = text.find(code, from)) {
        out.append(text, from, at - from);
        from = at + code.size();
    }
    out.append(text, from, std::string::npos);
    return out;
}

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

}  // namespace

std::string PaymentReference(const std::string& details) {
    std::size_t start = std::string::npos;
    for (const char* code : {"PI", "PR", "SI", "SP"}) {
        start = details.find(code);
        if (start != std::string::npos) {
            break;
        }
    }
    if (start == std::string::npos) {
        return {};
    }
    std::string reference = details.substr(start);
    for (const char* code : {"SI", "PI", "PR", "SP"}) {
        reference = RemoveAll(reference, code);
    }
    std::size_t first = 0;
    std::size_t last = reference.size();
    while (first < last && IsBlank(reference[first])) {
        ++first;
    }
    while (last > first && IsBlank(reference[last - 1])) {
        --last;
    }
    return reference.substr(first, last - first);
}

}  // namespace quillmere
