#include "report/TableLines.h"

#include <cstring>

namespace quillmere {

void LineFields::Split(std::string_view line) {
    fields_.clear();
    unquoted_.clear();
    // Values with doubled quotes are written one after another into
    // unquoted_; its buffer must not move while views point into it.
    unquoted_.reserve(line.size());
    std::size_t at = 0;
    for (;;) {
        if (at < line.size() && line[at] == '"') {
            std::size_t end = at + 1;
            bool doubled = false;
            for (; end < line.size(); ++end) {
                if (line[end] == '"') {
                    if (end + 1 < line.size() && line[end + 1] == '"') {
                        doubled = true;
                        ++end;
                    } else {
                        break;
                    }
                }
            }
            const std::string_view inner = line.substr(at + 1, end - at - 1);
            if (doubled) {
                const std::size_t start = unquoted_.size();
                for (std::size_t i = 0; i < inner.size(); ++i) {
                    unquoted_ += inner[i];
                    if (inner[i] == '"') {
                        ++i;
                    }
                }
                fields_.push_back(std::string_view(unquoted_).substr(start));
            } else {
                fields_.push_back(inner);
            }
            at = end + 1;
            // Anything between the closing quote and the comma is no part of
            // the value.
            const auto comma = line.find(',', std::min(at, line.size()));
            if (comma == std::string_view::npos) {
                return;
            }
            at = comma + 1;
            continue;
        }
        const auto comma = line.find(',', at);
        if (comma == std::string_view::npos) {
            fields_.push_back(line.substr(std::min(at, line.size())));
            return;
        }
        fields_.push_back(line.substr(at, comma - at));
        at = comma + 1;
    }
}

void TableLines::Feed(std::string_view bytes) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '"') {
            quoted_ = !quoted_;
        } else if (c == '\n' && !quoted_) {
            std::string_view line = bytes.substr(start, i - start);
            if (!pending_.empty()) {
                pending_.append(line);
                line = pending_;
            }
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
            }
            line_(line, ++number_);
            pending_.clear();
            start = i + 1;
        }
    }
    pending_.append(bytes.substr(start));
}

void TableLines::Finish() {
    if (!pending_.empty()) {
        std::string_view line = pending_;
        if (line.back() == '\r') {
            line.remove_suffix(1);
        }
        line_(line, ++number_);
        pending_.clear();
    }
    quoted_ = false;
}

}  // namespace quillmere
