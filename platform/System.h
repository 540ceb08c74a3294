#pragma once
// What the program asks of the operating system beyond files: where it runs,
// the OS version, the registry, the drives, the clock and the user's regional
// settings. One interface, so the page flow can be exercised with the
// answers of another system (tests replace single answers by subclassing).
#include <array>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace quillmere {

struct OsVersion {
    int major = 0;
    int minor = 0;
};

// Drive types as the Windows shell numbers them; only fixed and remote
// drives are offered to the drive scan.
enum class DriveType {
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6
};

struct DriveRoot {
    std::string root;  // "C:\" on Windows, a mount point such as "/" or "/home" on POSIX
    DriveType type = DriveType::Unknown;
};

// The user's regional formats, as the tables and the log write them. The
// formats are Windows picture strings (d dd ddd dddd M MM MMM MMMM yy yyyy,
// h hh H HH m mm s ss t tt, text in single quotes), whatever the system.
struct RegionalSettings {
    std::string localeName;  // e.g. "en_GB"
    char dateSeparator = '/';
    char timeSeparator = ':';
    char decimalSeparator = '.';
    std::string shortDateFormat;  // with a four-digit year, e.g. "dd/MM/yyyy"
    std::string longTimeFormat;   // e.g. "HH:mm:ss"
    std::string amDesignator = "AM";
    std::string pmDesignator = "PM";
    // Names in UTF-8, January first and Monday first.
    std::array<std::string, 12> monthNames{"January",   "February", "March",    "April",
                                           "May",       "June",     "July",     "August",
                                           "September", "October",  "November", "December"};
    std::array<std::string, 12> abbreviatedMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 7> dayNames{"Monday", "Tuesday",  "Wednesday", "Thursday",
                                        "Friday", "Saturday", "Sunday"};
    std::array<std::string, 7> abbreviatedDayNames{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
};

class System {
  public:
    virtual ~System() = default;

    // Directory of the running program, with its trailing separator. The
    // --work-dir option replaces it (log, homedir.txt, tables, archive).
    virtual std::string executableDir() const = 0;

    // The OS version numbers as the system reports them.
    virtual OsVersion osVersion() const = 0;

    // Whether paths here are Windows paths, so the fixed Windows install
    // locations of Sage can apply as home-directory defaults.
    virtual bool windowsPaths() const = 0;

    // The default value of a key under HKEY_LOCAL_MACHINE, empty when the key
    // or value is missing (always empty where there is no registry).
    virtual std::string registryDefaultValue(const std::string& key) const = 0;

    // Logical drives with their types, in the order the system lists them.
    virtual std::vector<DriveRoot> logicalDrives() const = 0;

    // The current local date and time.
    virtual std::tm localNow() const = 0;

    virtual RegionalSettings regionalSettings() const = 0;

    // Asks the default browser to open `url`, without waiting for it. Whether
    // a browser starts is not reported: nothing the caller does depends on it.
    virtual void openInBrowser(const std::string& url) const = 0;
};

// The system the program runs on. `workDir`, when not empty, replaces the
// executable's directory.
std::unique_ptr<System> CreateHostSystem(const std::string& workDir = {});

// Formats a date-time with a pattern of the wizard's log: "DD/MM/YY HH:MM:SS"
// uses DD MM YY YYYY HH MM SS (MM after HH is minutes) and takes the
// separators from the regional settings in place of "/" and ":".
std::string FormatDateTime(const std::tm& t, const std::string& pattern,
                           const RegionalSettings& settings);

}  // namespace quillmere
