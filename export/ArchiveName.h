#pragma once
// The path of the export archive: the program's directory, the company part,
// then "_DDMMYYYY_HHMM.zip" from the date and time at which the run started.
// Example: "/opt/wizard/" + "  Acme Trading Ltd " at 09:05 on 3 February 2016
// gives "/opt/wizard/AcmeTradingLtd_03022016_0905.zip".
#include <ctime>
#include <string>

namespace quillmere {

// Whether file names here follow the Windows rules (the characters
// : * ? " < > | and "\" cannot stand in a name).
#ifdef _WIN32
inline constexpr bool HostHasWindowsFileNames = true;
#else
inline constexpr bool HostHasWindowsFileNames = false;
#endif

// The company part of the archive's file name: the company name with blanks
// and control characters trimmed from both ends and every space removed.
// Characters that a file name cannot hold, or that would lead out of the
// program's directory, are dropped as well: "/", control characters (codes
// 0-31 and 127) and, with Windows names, "\" : * ? " < > |. Every other
// character (letters beyond ASCII too) is kept unchanged.
std::string ArchiveCompanyPart(const std::string& companyName,
                               bool windowsNames = HostHasWindowsFileNames);

// The full archive path. `programDir` is the program's directory (a trailing
// separator is added when missing); `startedAt` is the local date and time
// read once when the export run starts.
std::string ArchivePath(const std::string& programDir, const std::string& companyName,
                        const std::tm& startedAt, bool windowsNames = HostHasWindowsFileNames);

}  // namespace quillmere
