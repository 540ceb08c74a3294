#pragma once
// A System whose answers a test sets: another OS version, a registry value,
// drives, a fixed clock. Files are real; the executable's directory is a
// test's temporary directory.
#include <string>
#include <vector>

#include "platform/System.h"

namespace quillmere::test {

class FakeSystem : public System {
  public:
    explicit FakeSystem(std::string exeDir);

    std::string exeDir;
    OsVersion os{5, 1};
    bool windows = false;
    std::string registryValue;
    std::vector<DriveRoot> drives;
    std::tm now{};
    RegionalSettings settings;
    mutable std::vector<std::string> openedUrls;

    std::string executableDir() const override;
    OsVersion osVersion() const override { return os; }
    bool windowsPaths() const override { return windows; }
    std::string registryDefaultValue(const std::string&) const override { return registryValue; }
    std::vector<DriveRoot> logicalDrives() const override { return drives; }
    std::tm localNow() const override { return now; }
    RegionalSettings regionalSettings() const override { return settings; }
    void openInBrowser(const std::string& url) const override { openedUrls.push_back(url); }
};

// en_GB as the program uses it: dd/MM/yyyy, HH:mm:ss, "." decimals.
RegionalSettings BritishSettings();

}  // namespace quillmere::test
