// The parts of the file operations that are text rules, the same on every
// system: joining paths and splitting a file into lines.
#include "platform/Files.h"

namespace quillmere {

std::string WithTrailingSeparator(const std::string& path) {
    if (!path.empty() && path.back() == PathSeparator) {
        return path;
    }
    return path + PathSeparator;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) {
        return name;
    }
    return WithTrailingSeparator(dir) + name;
}

std::string BareFileName(const std::string& path) {
    auto pos = path.find_last_of(PathSeparators);
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::vector<std::string> ReadTextLines(const std::string& path) {
    const std::string text = ReadWholeFile(path);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
    return lines;
}

}  // namespace quillmere
