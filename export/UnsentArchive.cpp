#include "export/UnsentArchive.h"

#include <algorithm>
#include <regex>

#include "export/ControlTotals.h"
#include "export/ExportTables.h"
#include "platform/DirectoryListing.h"
#include "platform/Exceptions.h"
#include "platform/Files.h"
#include "platform/ZipFacts.h"

namespace quillmere {

namespace {

// <company>_<DD><MM><YYYY>_<HH><MM>.zip
const std::regex ArchiveName(R"((.+)_([0-9]{2})([0-9]{2})([0-9]{4})_([0-9]{2})([0-9]{2})\.zip)");

// The company's name as the run's summary records it.
std::string SummaryCompany(const std::string& archivePath) {
    const std::string summary = SummaryPath(archivePath);
    if (!FileExists(summary)) {
        return {};
    }
    try {
        for (const std::string& line : ReadTextLines(summary)) {
            if (line.rfind("Company:", 0) == 0) {
                const auto start = line.find_first_not_of(' ', 8);
                return start == std::string::npos ? "" : line.substr(start);
            }
        }
    } catch (const std::exception&) {
        // unreadable: the archive's name serves
    }
    return {};
}

}  // namespace

void CheckCompleteArchive(const std::string& path) {
    if (!FileExists(path)) {
        throw Exception("There is no archive file " + path);
    }
    const std::vector<std::string> names = ZipEntryNames(path);
    for (const ExportTable& table : ExportTables()) {
        if (std::find(names.begin(), names.end(), table.fileName) == names.end()) {
            throw Exception(path + " is not a complete export: it holds no " + table.fileName);
        }
    }
}

std::optional<UnsentArchive> FindUnsentArchive(const std::string& dir) {
    const auto listing = ListDirectory(dir);
    if (!listing) {
        return std::nullopt;
    }
    std::optional<UnsentArchive> newest;
    std::string newestKey;
    for (const DirectoryEntry& entry : listing->entries) {
        std::smatch m;
        if (entry.kind != EntryKind::File || !std::regex_match(entry.name, m, ArchiveName)) {
            continue;
        }
        // Year, month, day, hour, minute: sorts by time.
        const std::string key = m[4].str() + m[3].str() + m[2].str() + m[5].str() + m[6].str();
        if (newest && key <= newestKey) {
            continue;
        }
        const std::string path = JoinPath(dir, entry.name);
        try {
            CheckCompleteArchive(path);
        } catch (const std::exception&) {
            continue;
        }
        std::string company = SummaryCompany(path);
        newest = UnsentArchive{
            path, company.empty() ? m[1].str() : company,
            m[2].str() + "/" + m[3].str() + "/" + m[4].str() + " " + m[5].str() + ":" + m[6].str()};
        newestKey = key;
    }
    return newest;
}

std::string UnsentArchiveQuestion(const UnsentArchive& archive) {
    return "An export of " + archive.company + " from " + archive.date +
           " was not sent. Send it now?";
}

}  // namespace quillmere
