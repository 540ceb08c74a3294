#include "support/FakeSystem.h"

#include "platform/Files.h"

namespace quillmere::test {

RegionalSettings BritishSettings() {
    RegionalSettings s;
    s.localeName = "en_GB";
    s.shortDateFormat = "dd/MM/yyyy";
    s.longTimeFormat = "HH:mm:ss";
    return s;
}

FakeSystem::FakeSystem(std::string dir) : exeDir(std::move(dir)), settings(BritishSettings()) {
    now.tm_year = 2025 - 1900;
    now.tm_mon = 11;
    now.tm_mday = 9;
    now.tm_hour = 14;
    now.tm_min = 5;
    now.tm_sec = 33;
}

std::string FakeSystem::executableDir() const {
    return WithTrailingSeparator(exeDir);
}

}  // namespace quillmere::test
