// The host system on Windows.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <ctime>

#include "platform/Exceptions.h"
#include "platform/Files.h"
#include "platform/RegionalSettings.h"
#include "platform/System.h"
#include "platform/win32/WideText.h"

namespace quillmere {

namespace {

using win32::Utf8;
using win32::Wide;

// The version the system really runs: RtlGetVersion, which no compatibility
// shim adjusts (GetVersionEx reports 6.2 to a program without a manifest).
OsVersion RealVersion() {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    OsVersion v;
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto get = ntdll ? reinterpret_cast<RtlGetVersionFn>(
                           reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                     : nullptr;
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (get && get(&info) == 0) {
        v.major = static_cast<int>(info.dwMajorVersion);
        v.minor = static_cast<int>(info.dwMinorVersion);
    }
    return v;
}

// The default value of `key` under HKEY_LOCAL_MACHINE in the registry's
// 32-bit view, where Sage, a 32-bit program, writes its keys: the same view
// whether this program is the 32- or the 64-bit build. A string or
// expandable string is returned as stored (nothing expanded); any other type
// is an error, as reading it as text would be.
std::string RegistryDefaultValue32(const std::string& key) {
    std::string path = key;
    while (!path.empty() && path.front() == '\\') {
        path.erase(0, 1);  // the key is named from the root
    }
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(path).c_str(), 0, KEY_READ | KEY_WOW64_32KEY,
                      &handle) != ERROR_SUCCESS) {
        return {};
    }
    DWORD type = 0;
    DWORD size = 0;
    LONG rc = RegQueryValueExW(handle, nullptr, nullptr, &type, nullptr, &size);
    std::wstring value;
    if (rc == ERROR_SUCCESS && size > 0) {
        value.resize(size / sizeof(wchar_t) + 1);
        DWORD got = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        rc = RegQueryValueExW(handle, nullptr, nullptr, &type,
                              reinterpret_cast<BYTE*>(value.data()), &got);
        value.resize(rc == ERROR_SUCCESS ? got / sizeof(wchar_t) : 0);
    }
    RegCloseKey(handle);
    if (rc != ERROR_SUCCESS) {
        return {};  // no default value
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        throw Exception("Invalid data type for ''");
    }
    while (!value.empty() && value.back() == L'\0') {
        value.pop_back();
    }
    return Utf8(value);
}

class WindowsSystem : public System {
  public:
    explicit WindowsSystem(std::string workDir) : workDir_(std::move(workDir)) {}

    std::string executableDir() const override {
        if (!workDir_.empty()) {
            return WithTrailingSeparator(workDir_);
        }
        std::wstring path(MAX_PATH, L'\0');
        for (;;) {
            const DWORD n =
                GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
            if (n == 0) {
                return WithTrailingSeparator(".");
            }
            if (n < path.size()) {
                path.resize(n);
                break;
            }
            path.resize(path.size() * 2);
        }
        return Utf8(path.substr(0, path.find_last_of(L"\\/") + 1));
    }

    OsVersion osVersion() const override { return RealVersion(); }

    bool windowsPaths() const override { return true; }

    std::string registryDefaultValue(const std::string& key) const override {
        return RegistryDefaultValue32(key);
    }

    std::vector<DriveRoot> logicalDrives() const override {
        std::vector<DriveRoot> drives;
        const DWORD size = GetLogicalDriveStringsW(0, nullptr);
        std::wstring roots(size + 1, L'\0');
        const DWORD n = GetLogicalDriveStringsW(static_cast<DWORD>(roots.size()), roots.data());
        for (std::size_t at = 0; at < n && roots[at] != L'\0';) {
            const std::wstring root(roots.c_str() + at);
            drives.push_back({Utf8(root), static_cast<DriveType>(GetDriveTypeW(root.c_str()))});
            at += root.size() + 1;
        }
        return drives;
    }

    std::tm localNow() const override {
        const std::time_t now = std::time(nullptr);
        std::tm t{};
        localtime_s(&t, &now);
        return t;
    }

    RegionalSettings regionalSettings() const override { return RegionalSettingsFromEnvironment(); }

    void openInBrowser(const std::string& url) const override {
        // The shell starts the default browser and returns; whether it did is
        // not reported (the address is in the log for the user).
        ShellExecuteW(nullptr, L"open", Wide(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }

  private:
    std::string workDir_;
};

}  // namespace

std::unique_ptr<System> CreateHostSystem(const std::string& workDir) {
    return std::make_unique<WindowsSystem>(workDir);
}

}  // namespace quillmere
