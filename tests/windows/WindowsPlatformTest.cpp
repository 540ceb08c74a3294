// platform/win32 itself, run under Wine: the registry's 32-bit view, and
// files and directories whose names are not ASCII.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/DirectoryListing.h"
#include "platform/Exceptions.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "support/TempDir.h"

namespace quillmere {
namespace {

constexpr const wchar_t* TestKey = L"SOFTWARE\\QuillmereTest\\LastInstallPath";

// Writes the key's default value in one view of the registry.
void WriteDefault(REGSAM view, DWORD type, const std::wstring& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, TestKey, 0, nullptr, 0, KEY_WRITE | view, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void DeleteKey(REGSAM view) {
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, TestKey, view, 0);
}

TEST(WindowsRegistry, TheDefaultValueIsReadFromThe32BitView) {
    const auto system = CreateHostSystem();
    const std::string key = "\\SOFTWARE\\QuillmereTest\\LastInstallPath";
    DeleteKey(KEY_WOW64_32KEY);
    DeleteKey(KEY_WOW64_64KEY);
    EXPECT_EQ(system->registryDefaultValue(key), "");  // no key

    // Only the 64-bit view holds it: a 32-bit program's key it is not.
    WriteDefault(KEY_WOW64_64KEY, REG_SZ, L"C:\\Sage64\\");
    EXPECT_EQ(system->registryDefaultValue(key), sizeof(void*) == 8 ? "" : "C:\\Sage64\\");

    WriteDefault(KEY_WOW64_32KEY, REG_SZ, L"C:\\Program Files (x86)\\Sage\\Accounts\\");
    EXPECT_EQ(system->registryDefaultValue(key), "C:\\Program Files (x86)\\Sage\\Accounts\\");

    // Stored characters, nothing expanded; not ASCII.
    WriteDefault(KEY_WOW64_32KEY, REG_EXPAND_SZ, L"%ProgramData%\\Sage\\Zo\u00eb\\");
    EXPECT_EQ(system->registryDefaultValue(key), "%ProgramData%\\Sage\\Zo\xC3\xAB\\");

    HKEY handle = nullptr;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, TestKey, 0, KEY_WRITE | KEY_WOW64_32KEY, &handle);
    const DWORD number = 7;
    RegSetValueExW(handle, nullptr, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof number);
    RegCloseKey(handle);
    try {
        system->registryDefaultValue(key);
        ADD_FAILURE() << "a number was read as text";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for ''");
    }
    DeleteKey(KEY_WOW64_32KEY);
    DeleteKey(KEY_WOW64_64KEY);
}

TEST(WindowsFiles, NamesThatAreNotAsciiWorkEverywhere) {
    test::TempDir dir;
    const std::string company = JoinPath(dir.path(), "Zo\xC3\xAB Caf\xC3\xA9 \xE2\x82\xAC");
    ASSERT_TRUE(CreateDirectoryW(FsPath(company).c_str(), nullptr));
    EXPECT_TRUE(DirectoryExists(company));
    const std::string file = JoinPath(company, "SETUP.DTA");
    WriteWholeFile(file, "abc");
    AppendToFile(file, "\r\ndef");
    EXPECT_TRUE(FileExists(file));
    EXPECT_EQ(ReadWholeFile(file), "abc\r\ndef");
    EXPECT_EQ(ReadTextLines(file), (std::vector<std::string>{"abc", "def"}));
    EXPECT_EQ(FindIgnoringCase(company, "setup.dta"), file);

    const auto listing = ListDirectory(dir.path());
    ASSERT_TRUE(listing);
    ASSERT_EQ(listing->entries.size(), 1u);
    EXPECT_EQ(listing->entries[0].name, "Zo\xC3\xAB Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(listing->entries[0].kind, EntryKind::Directory);

    const std::string renamed = JoinPath(company, "\xC3\x9F.csv");
    RenameFile(file, renamed);
    EXPECT_FALSE(FileExists(file));
    EXPECT_TRUE(DeleteFileAt(renamed));
    try {
        ReadWholeFile(renamed);
        ADD_FAILURE() << "a deleted file was read";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.code(), 2);
    }
}

// Windows takes "/" inside a path as well as "\\"; the name of a file (an
// archive entry's name, say) is what follows the last of either.
TEST(WindowsFiles, TheBareNameFollowsEitherSeparator) {
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"C:\\Sage\\Sales Ledger Codes.csv", "Sales Ledger Codes.csv"},
        {"C:\\Sage/tables/Receipts.csv", "Receipts.csv"},
        {"C:/Sage/tables\\Payments.csv", "Payments.csv"},
        {"Receipts.csv", "Receipts.csv"},
        {"C:\\Sage\\", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BareFileName(c.path), c.name) << c.path;
    }
}

}  // namespace
}  // namespace quillmere
