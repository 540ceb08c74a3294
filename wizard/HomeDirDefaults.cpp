#include "wizard/HomeDirDefaults.h"

namespace quillmere {

std::string GetLastInstallPath(const System& system) {
    return system.registryDefaultValue(LastInstallPathKey);
}

std::string VersionSuffix(const std::string& entryText) {
    const auto first = entryText.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    const auto last = entryText.find_last_not_of(' ');
    const std::string trimmed = entryText.substr(first, last - first + 1);
    return trimmed.size() <= 4 ? trimmed : trimmed.substr(trimmed.size() - 4);
}

std::optional<std::string> VersionDefaultHomeDir(int versionNo, const std::string& entryText) {
    if (versionNo >= 10 && versionNo <= 13) {
        return std::string(OldVersionsHomeDir);
    }
    if (versionNo >= 14 && versionNo <= 20) {
        return AllUsersHomeDirPrefix + VersionSuffix(entryText);
    }
    return std::nullopt;
}

std::optional<std::string> WindowsVersionDefaultHomeDir(OsVersion os, const std::string& entryText) {
    // Major and minor are compared separately: 6.1 to 6.3 qualify, 10.0 does not.
    if (os.major >= 6 && os.minor >= 1) {
        return ProgramDataHomeDirPrefix + VersionSuffix(entryText);
    }
    return std::nullopt;
}

}  // namespace quillmere
