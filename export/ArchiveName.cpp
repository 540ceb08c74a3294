#include "export/ArchiveName.h"

#include <cstdio>
#include <string_view>

#include "platform/Files.h"

namespace quillmere {

namespace {

bool IsControl(unsigned char c) {
    return c < 32 || c == 127;
}

bool CannotStandInName(unsigned char c, bool windowsNames) {
    if (c == ' ' || c == '/' || IsControl(c)) {
        return true;
    }
    return windowsNames &&
           std::string_view("\\:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

std::string ArchiveCompanyPart(const std::string& companyName, bool windowsNames) {
    // Trimming the ends first and then removing spaces and control characters
    // everywhere leaves the same result as removing them everywhere at once.
    std::string part;
    part.reserve(companyName.size());
    for (char c : companyName) {
        if (!CannotStandInName(static_cast<unsigned char>(c), windowsNames)) {
            part += c;
        }
    }
    return part;
}

std::string ArchivePath(const std::string& programDir, const std::string& companyName,
                        const std::tm& startedAt, bool windowsNames) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "_%02d%02d%04d_%02d%02d.zip", startedAt.tm_mday,
                  startedAt.tm_mon + 1, startedAt.tm_year + 1900, startedAt.tm_hour,
                  startedAt.tm_min);
    return WithTrailingSeparator(programDir) + ArchiveCompanyPart(companyName, windowsNames) +
           stamp;
}

}  // namespace quillmere
