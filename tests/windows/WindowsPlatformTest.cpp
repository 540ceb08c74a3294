// platform/win32 itself, run under Wine: the registry's 32-bit view, files
// and directories whose names are not ASCII, the user's regional settings and
// the log's code page under a given locale, and the drives.
#include <windows.h>

#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "app/ufMain.h"
#include "platform/DirectoryListing.h"
#include "platform/Exceptions.h"
#include "platform/Files.h"
#include "platform/RegionalSettings.h"
#include "platform/System.h"
#include "sage/CompanyList.h"
#include "support/FakeView.h"
#include "support/TempDir.h"
#include "wizard/WriteLog.h"

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

// The user's locale is fixed when a process starts (under Wine it follows the
// Unix locale), so ctest runs these cases once for each locale below, naming
// it in QUILLMERE_EXPECT_LOCALE; in the ordinary run they are skipped.
struct LocaleCase {
    const char* name;
    const char* shortDate;
    const char* longTime;
    char dateSeparator;
    char decimalSeparator;
    unsigned codePage;
    // "\xA3\xF3" "d\x9F" read from a file in the ANSI code page, in UTF-8.
    const char* fromCodePage;
    // A log line of "Zo\u00eb Caf\u00e9 \u0141\u00f3d\u017a \u20ac \u014csaka" as it
    // must be on disk: the ANSI code page's bytes, "?" for what it lacks.
    const char* logLine;
};

// The short dates are Wine's locale data (Windows 10 has dd.MM.yyyy for
// Germany and Poland).
const LocaleCase Locales[] = {
    {"en_GB", "dd/MM/yyyy", "HH:mm:ss", '/', '.', 1252,
     "\xC2\xA3\xC3\xB3"
     "d\xC5\xB8",
     "Zo\xEB Caf\xE9 ?\xF3"
     "d? \x80 ?saka\r\n"},
    {"de_DE", "d.M.yyyy", "HH:mm:ss", '.', ',', 1252,
     "\xC2\xA3\xC3\xB3"
     "d\xC5\xB8",
     "Zo\xEB Caf\xE9 ?\xF3"
     "d? \x80 ?saka\r\n"},
    {"pl_PL", "d.MM.yyyy", "HH:mm:ss", '.', ',', 1250,
     "\xC5\x81\xC3\xB3"
     "d\xC5\xBA",
     "Zo\xEB Caf\xE9 \xA3\xF3"
     "d\x9F \x80 ?saka\r\n"},
};

std::vector<std::string> SplitText(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    for (std::size_t next; (next = text.find(separator, at)) != std::string::npos; at = next + 1) {
        parts.push_back(text.substr(at, next - at));
    }
    parts.push_back(text.substr(at));
    return parts;
}

const LocaleCase* ExpectedLocale() {
    const char* name = std::getenv("QUILLMERE_EXPECT_LOCALE");
    if (!name) {
        return nullptr;
    }
    for (const LocaleCase& c : Locales) {
        if (std::string(c.name) == name) {
            return &c;
        }
    }
    ADD_FAILURE() << "no expectations for the locale " << name;
    return nullptr;
}

TEST(WindowsLocale, RegionalSettingsAreTheUsersLocale) {
    const LocaleCase* expected = ExpectedLocale();
    if (!expected) {
        GTEST_SKIP() << "run with QUILLMERE_EXPECT_LOCALE and a locale";
    }
    const RegionalSettings s = CreateHostSystem()->regionalSettings();
    EXPECT_EQ(s.localeName, expected->name);
    EXPECT_EQ(s.shortDateFormat, expected->shortDate);
    EXPECT_EQ(s.longTimeFormat, expected->longTime);
    EXPECT_EQ(s.dateSeparator, expected->dateSeparator);
    EXPECT_EQ(s.timeSeparator, ':');
    EXPECT_EQ(s.decimalSeparator, expected->decimalSeparator);
}

// What the user changed in the Control Panel wins over the locale's own
// formats; the originals are put back.
TEST(WindowsLocale, TheUsersOwnFormatsWin) {
    const LocaleCase* expected = ExpectedLocale();
    if (!expected) {
        GTEST_SKIP() << "run with QUILLMERE_EXPECT_LOCALE and a locale";
    }
    const struct {
        LCTYPE item;
        const wchar_t* value;
    } overrides[] = {
        {LOCALE_SSHORTDATE, L"yyyy-MM-dd"},
        {LOCALE_STIMEFORMAT, L"hh.mm.ss tt"},
        {LOCALE_SDECIMAL, expected->decimalSeparator == '.' ? L"," : L"."},
    };
    std::vector<std::wstring> originals;
    for (const auto& o : overrides) {
        wchar_t buffer[80] = {};
        ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, o.item, buffer, 80), 0);
        originals.emplace_back(buffer);
        ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, o.item, o.value));
    }
    const RegionalSettings s = CreateHostSystem()->regionalSettings();
    for (std::size_t i = 0; i < originals.size(); ++i) {
        SetLocaleInfoW(LOCALE_USER_DEFAULT, overrides[i].item, originals[i].c_str());
    }
    EXPECT_EQ(s.shortDateFormat, "yyyy-MM-dd");
    EXPECT_EQ(s.dateSeparator, '-');
    EXPECT_EQ(s.longTimeFormat, "hh.mm.ss tt");
    EXPECT_EQ(s.timeSeparator, '.');
    EXPECT_EQ(s.decimalSeparator, expected->decimalSeparator == '.' ? ',' : '.');
    EXPECT_EQ(CreateHostSystem()->regionalSettings().shortDateFormat, expected->shortDate);
}

// The company list as Sage writes it, in the ANSI code page; a list that is
// UTF-8 already is taken as it is.
TEST(WindowsLocale, TheCompanyListIsReadInTheAnsiCodePage) {
    const LocaleCase* expected = ExpectedLocale();
    if (!expected) {
        GTEST_SKIP() << "run with QUILLMERE_EXPECT_LOCALE and a locale";
    }
    EXPECT_EQ(CompanyDirectories("C:\\Sage\\\xA3\xF3"
                                 "d\x9F\r\n"
                                 " C:\\Caf\xC3\xA9 \r\n"
                                 "C:\\Sage\\Acme\r\n"),
              (std::vector<std::string>{std::string("C:\\Sage\\") + expected->fromCodePage,
                                        "C:\\Caf\xC3\xA9", "C:\\Sage\\Acme"}));
}

// homedir.txt, a text file of the user's, likewise.
TEST(WindowsLocale, TheOverrideFileIsReadInTheAnsiCodePage) {
    const LocaleCase* expected = ExpectedLocale();
    if (!expected) {
        GTEST_SKIP() << "run with QUILLMERE_EXPECT_LOCALE and a locale";
    }
    for (const bool utf8 : {false, true}) {
        test::TempDir work;
        const std::string home = std::string("C:\\Sage\\") + (utf8 ? "Caf\xC3\xA9"
                                                                   : "\xA3\xF3"
                                                                     "d\x9F");
        WriteWholeFile(JoinPath(work.path(), "homedir.txt"), home + "\r\n");
        const auto system = CreateHostSystem(work.path());
        test::FakeView view;
        TfrmMain form(view, *system);
        form.Dispatch(&TfrmMain::FormCreate);
        EXPECT_EQ(form.HomeDir, utf8 ? home : std::string("C:\\Sage\\") + expected->fromCodePage);
    }
}

TEST(WindowsLocale, TheLogIsWrittenInTheAnsiCodePage) {
    const LocaleCase* expected = ExpectedLocale();
    if (!expected) {
        GTEST_SKIP() << "run with QUILLMERE_EXPECT_LOCALE and a locale";
    }
    ASSERT_EQ(GetACP(), expected->codePage);
    test::TempDir dir;
    const std::string log = JoinPath(dir.path(), "WizardDebug.log");
    WriteLog(log,
             "Zo\xC3\xAB Caf\xC3\xA9 \xC5\x81\xC3\xB3"
             "d\xC5\xBA \xE2\x82\xAC \xC5\x8Csaka");
    WriteLog(log, "Login Successful");
    // Bytes that are no UTF-8 came in the code page already: kept. A U+FFFD
    // that was in the text is a character the code page lacks.
    WriteLog(log,
             "\xEF\xBF\xBD Caf\xE9 Caf\xC3\xA9 \xF0\x9F\x98\x80 \xA3"
             "5");
    EXPECT_EQ(ReadWholeFile(log), std::string(expected->logLine) +
                                      "Login Successful\r\n"
                                      "? Caf\xE9 Caf\xE9 ? \xA3"
                                      "5\r\n");
}

// The home directory defaults that apply on Windows, with the answers of the
// system itself: Windows paths, the version RtlGetVersion reports and no
// Sage key in the registry. The build's Wine prefix reports Windows 7 (6.1);
// drives.sh runs this case again in a prefix that reports 10.0, as Windows 10
// and 11 do (QUILLMERE_EXPECT_WINDOWS says which).
TEST(WindowsHomeDefaults, TheVersionsAndWindowsDefaultsApply) {
    const struct {
        int entry;
        const char* windows7;
        const char* windows10;
    } cases[] = {
        {0, "c:\\ProgramData\\sage\\accounts\\on 7", "C:\\Program Files\\Sage\\Accounts"},
        {3, "c:\\ProgramData\\sage\\accounts\\n 10", "c:\\program files\\sage\\accounts"},
        {10, "c:\\ProgramData\\sage\\accounts\\2011",
         "c:\\documents and settings\\all users\\application data\\sage\\accounts\\2011"},
        {16, "c:\\ProgramData\\sage\\accounts\\2017", "C:\\Program Files\\Sage\\Accounts"},
        {25, "c:\\ProgramData\\sage\\accounts\\2026", "C:\\Program Files\\Sage\\Accounts"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        test::TempDir work;
        const auto system = CreateHostSystem(work.path());
        ASSERT_TRUE(system->windowsPaths());
        const OsVersion os = system->osVersion();
        const bool windows7 = os.major == 6 && os.minor == 1;
        if (const char* expected = std::getenv("QUILLMERE_EXPECT_WINDOWS")) {
            ASSERT_EQ(std::to_string(os.major) + "." + std::to_string(os.minor), expected);
        }
        ASSERT_TRUE(windows7 || (os.major == 10 && os.minor == 0))
            << "no expectations for Windows " << os.major << "." << os.minor;
        test::FakeView view;
        TfrmMain form(view, *system);
        form.Dispatch(&TfrmMain::FormCreate);
        view.page = tabVersion;
        view.selectVersion(c.entry);
        form.Dispatch(&TfrmMain::cboVersionChange);
        form.Dispatch(&TfrmMain::cmdNextClick);
        const std::string home = windows7 ? c.windows7 : c.windows10;
        EXPECT_EQ(form.HomeDir, home);
        ASSERT_TRUE(form.SageObj);
        EXPECT_EQ(form.SageObj->HomeDir, home);
        EXPECT_EQ(ReadWholeFile(JoinPath(work.path(), "WizardDebug.log")),
                  std::string("Using Default Home Dir\r\nWindows version detected as:") +
                      (windows7 ? "6.1" : "10.0") + "\r\nSage Object Created\r\n" +
                      "Current Home directory is " + home + "\r\nVersion is " +
                      std::to_string(c.entry + 7) + "\r\n");
    }
}

// The drives of a Wine prefix whose drive letters and types drives.sh sets,
// naming them in QUILLMERE_EXPECT_DRIVES ("C:=3,N:=4": letter and the type
// GetDriveType gives); in the ordinary run this case is skipped. The drive
// scan offers the fixed and the remote drives only.
TEST(WindowsDrives, ListedWithTheirTypesAndFixedAndRemoteOffered) {
    const char* spec = std::getenv("QUILLMERE_EXPECT_DRIVES");
    if (!spec) {
        GTEST_SKIP() << "run by drives.sh in a prefix of its own";
    }
    std::vector<std::pair<std::string, int>> expected;
    std::vector<std::string> offered;
    for (const std::string& item : SplitText(spec, ',')) {
        const std::string root = item.substr(0, 2) + "\\";
        const int type = std::stoi(item.substr(3));
        expected.emplace_back(root, type);
        if (type == static_cast<int>(DriveType::Fixed) ||
            type == static_cast<int>(DriveType::Remote)) {
            offered.push_back(root);
        }
    }
    test::TempDir work;
    const auto system = CreateHostSystem(work.path());
    std::vector<std::pair<std::string, int>> listed;
    for (const DriveRoot& d : system->logicalDrives()) {
        listed.emplace_back(d.root, static_cast<int>(d.type));
    }
    EXPECT_EQ(listed, expected);

    // No COMPANY in the default home directory: the locate page lists the
    // drives to scan.
    test::FakeView view;
    TfrmMain form(view, *system);
    form.Dispatch(&TfrmMain::FormCreate);
    view.page = tabVersion;
    view.selectVersion(16);
    form.Dispatch(&TfrmMain::cboVersionChange);
    form.Dispatch(&TfrmMain::cmdNextClick);
    std::vector<std::string> shown;
    for (const auto& [root, checked] : view.drives) {
        shown.push_back(root);
    }
    EXPECT_EQ(shown, offered);
}

}  // namespace
}  // namespace quillmere
