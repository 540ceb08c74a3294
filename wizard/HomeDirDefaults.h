#pragma once
// Where a Sage installation keeps its home directory (the directory holding
// the COMPANY list), by start-up source, Sage version and Windows version.
#include <optional>
#include <string>

#include "platform/System.h"

namespace quillmere {

inline constexpr const char* CompanyMarkerName = "COMPANY";
inline constexpr const char* HomeDirOverrideFile = "homedir.txt";
inline constexpr const char* LastInstallPathKey = "\\SOFTWARE\\Sage\\Line 50\\LastInstallPath";
inline constexpr const char* FixedStartupHomeDir = "C:\\Program Files\\Sage\\Accounts";
inline constexpr const char* OldVersionsHomeDir = "c:\\program files\\sage\\accounts";
inline constexpr const char* AllUsersHomeDirPrefix =
    "c:\\documents and settings\\all users\\application data\\sage\\accounts\\";
inline constexpr const char* ProgramDataHomeDirPrefix = "c:\\ProgramData\\sage\\accounts\\";

// The registry value LastInstallPath, or empty text.
std::string GetLastInstallPath(const System& system);

// The last four characters of a version entry's text after trimming blanks
// ("Sage 50 / Instant 2012" gives "2012", "Version 9" gives "on 9").
std::string VersionSuffix(const std::string& entryText);

// The home directory that the Sage version implies, if any.
std::optional<std::string> VersionDefaultHomeDir(int versionNo, const std::string& entryText);

// The home directory that the Windows version implies (6.1 and up), if any.
std::optional<std::string> WindowsVersionDefaultHomeDir(OsVersion os, const std::string& entryText);

}  // namespace quillmere
