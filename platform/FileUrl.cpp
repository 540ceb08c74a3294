#include "platform/FileUrl.h"

namespace quillmere {

namespace {

bool Unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// The path's names percent-encoded, each separator written as "/".
std::string EncodedPath(const std::string& path, bool windows) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '/' || (windows && ch == '\\')) {
            out += '/';
        } else if (Unreserved(c)) {
            out += ch;
        } else {
            out += '%';
            out += Hex[c >> 4];
            out += Hex[c & 15];
        }
    }
    return out;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

std::string FileUrl(const std::string& path) {
    // "C:\..." or "C:/...": the drive stays as it is ("C:"), unencoded.
    const bool drive = path.size() >= 3 &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                       path[1] == ':' && IsSeparator(path[2]);
    if (drive) {
        return "file:///" + path.substr(0, 2) + EncodedPath(path.substr(2), true);
    }
    // "\\server\share\...": the server is the URL's host.
    if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
        return "file:" + EncodedPath(path, true);
    }
    return "file://" + EncodedPath(path, false);
}

}  // namespace quillmere
