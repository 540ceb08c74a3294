#include <gtest/gtest.h>

#include "wizard/HomeDirDefaults.h"

namespace quillmere {
namespace {

TEST(VersionSuffix, LastFourCharactersOfTheTrimmedEntry) {
    const std::pair<const char*, const char*> cases[] = {
        {"Version 9", "on 9"},
        {"Version 10", "n 10"},
        {"Sage 50 / Instant 2012", "2012"},
        {"  Sage 50 / Instant 2016  ", "2016"},
        {"abc", "abc"},
        {"", ""},
    };
    for (const auto& [entry, suffix] : cases) {
        EXPECT_EQ(VersionSuffix(entry), suffix) << entry;
    }
}

TEST(HomeDirDefaults, ByVersionAndByWindowsVersion) {
    const std::string programData = "c:\\ProgramData\\sage\\accounts\\";
    const std::string allUsers =
        "c:\\documents and settings\\all users\\application data\\sage\\accounts\\";
    struct Case {
        int versionNo;
        const char* entry;
        OsVersion os;
        std::optional<std::string> byVersion;
        std::optional<std::string> byWindows;
    } cases[] = {
        {9, "Version 9", {5, 1}, std::nullopt, std::nullopt},
        {9, "Version 9", {6, 1}, std::nullopt, programData + "on 9"},
        {10, "Version 10", {6, 0}, "c:\\program files\\sage\\accounts", std::nullopt},
        {13, "Sage 50 / Instant 2007", {5, 1}, "c:\\program files\\sage\\accounts", std::nullopt},
        {14, "Sage 50 / Instant 2008", {6, 3}, allUsers + "2008", programData + "2008"},
        {18, "Sage 50 / Instant 2012", {6, 2}, allUsers + "2012", programData + "2012"},
        {20, "Sage 50 / Instant 2014", {10, 0}, allUsers + "2014", std::nullopt},
        {21, "Sage 50 / Instant 2015", {6, 1}, std::nullopt, programData + "2015"},
        {22, "Sage 50 / Instant 2016", {5, 2}, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        EXPECT_EQ(VersionDefaultHomeDir(c.versionNo, c.entry), c.byVersion);
        EXPECT_EQ(WindowsVersionDefaultHomeDir(c.os, c.entry), c.byWindows);
    }
}

}  // namespace
}  // namespace quillmere
