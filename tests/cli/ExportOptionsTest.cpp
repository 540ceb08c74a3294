// The options of quillmere-export: the version list, required options and
// the errors that make a bad command line exit with status 2.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "app/ExportCommandLine.h"

namespace quillmere {
namespace {

ExportOptions Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "quillmere-export");
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    return ParseExportOptions(static_cast<int>(argv.size()), argv.data());
}

std::string UsageErrorOf(const std::vector<std::string>& args) {
    try {
        Parse(args);
    } catch (const UsageError& e) {
        return e.what();
    }
    return "<accepted>";
}

TEST(ExportOptions, VersionByNumberOrEntryText) {
    struct Case {
        std::string value;
        std::optional<int> index;
    } cases[] = {
        {"7", 0},
        {"17", 10},
        {"22", 15},
        {" 18 ", 11},
        {"Sage 50 / Instant 2012", 11},
        {"  sage 50 / INSTANT 2016 ", 15},
        {"Version 9", 2},
        {"6", std::nullopt},
        {"23", 16},
        {"32", 25},
        {"33", std::nullopt},
        {"0x11", std::nullopt},
        {"17.0", std::nullopt},
        {"2012", std::nullopt},  // a year is not a version number
        {"Sage 50 / Instant 2017", std::nullopt},
        {"Version", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(VersionIndexFor(c.value), c.index) << "'" << c.value << "'";
    }
}

TEST(ExportOptions, EveryOptionWithItsValue) {
    // Directories that are absolute on this system stay as given.
#ifdef _WIN32
    const std::string home = "C:\\sage\\", work = "C:\\work";
#else
    const std::string home = "/sage/", work = "/work";
#endif
    const ExportOptions o =
        Parse({"--sage-version", "Sage 50 / Instant 2012", "--user=manager", "--home", home.c_str(),
               "--company", "Acme Ltd", "--password-file", "-", "--chart", " 2 ", "--no-upload",
               "--no-browser", ("--work-dir=" + work).c_str(), "--service-url",
               "https://127.0.0.1:8443", "--ca-file", "/certs/ca.pem"});
    EXPECT_EQ(o.versionIndex, 11);
    EXPECT_EQ(o.user, "manager");
    EXPECT_EQ(o.home, home);
    EXPECT_EQ(o.company, "Acme Ltd");
    EXPECT_EQ(o.passwordFile, "-");
    EXPECT_EQ(o.chart, 2);
    EXPECT_TRUE(o.noUpload);
    EXPECT_TRUE(o.noBrowser);
    EXPECT_EQ(o.workDir, work);
    EXPECT_EQ(o.serviceUrl, "https://127.0.0.1:8443");
    EXPECT_EQ(o.caFile, "/certs/ca.pem");

    const ExportOptions bare = Parse({"--sage-version", "9", "--user", ""});
    EXPECT_EQ(bare.versionIndex, 2);
    EXPECT_EQ(bare.user, "");
    EXPECT_FALSE(bare.home || bare.company || bare.passwordFile || bare.chart);
    EXPECT_FALSE(bare.noUpload || bare.noBrowser);
    EXPECT_EQ(bare.workDir, "");
}

TEST(ExportOptions, ReviewAndStrictGoWithAnExportAndWithEachOther) {
    const ExportOptions both =
        Parse({"--sage-version", "17", "--user", "u", "--review", "--strict", "--no-upload"});
    EXPECT_TRUE(both.review);
    EXPECT_TRUE(both.strict);
    EXPECT_TRUE(both.noUpload);
    const ExportOptions strict = Parse({"--sage-version", "17", "--user", "u", "--strict"});
    EXPECT_FALSE(strict.review);
    EXPECT_TRUE(strict.strict);
    const ExportOptions none = Parse({"--sage-version", "17", "--user", "u"});
    EXPECT_FALSE(none.review || none.strict);
    // The usage text names both and the status that --strict adds.
    const std::string usage = ExportUsage();
    for (const char* word : {"--review", "--strict", "4 not sent"}) {
        EXPECT_NE(usage.find(word), std::string::npos) << word;
    }
}

TEST(ExportOptions, RelativeDirectoriesBecomeAbsolute) {
    // The log and the messages name the directories as a folder browser
    // returns them.
    const ExportOptions o =
        Parse({"--sage-version", "9", "--user", "u", "--home", "sage/../Sage", "--work-dir", "."});
    const auto cwd = std::filesystem::current_path();
    EXPECT_EQ(o.home, (cwd / "Sage").string());
    // Windows' path library writes the directory without a final separator.
    std::string workDir = o.workDir;
    std::string expected = (cwd / "").string();
    for (std::string* s : {&workDir, &expected}) {
        if (s->back() == '/' || s->back() == '\\') {
            s->pop_back();
        }
    }
    EXPECT_EQ(workDir, expected);
}

TEST(ExportOptions, HelpAndVersionNeedNothingElse) {
    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_TRUE(Parse({"-h"}).help);
    EXPECT_TRUE(Parse({"--version"}).version);
}

TEST(ExportOptions, BadCommandLines) {
    struct Case {
        std::vector<std::string> args;
        std::string error;
    } cases[] = {
        {{"--user", "u"}, "--sage-version is required"},
        {{"--sage-version", "17"}, "--user is required"},
        {{"--sage-version", "17", "--user"}, "missing value for --user"},
        {{"--sage-version=5", "--user", "u"},
         "--sage-version: \"5\" is not in the version list (7 to 22, or an entry's text such as "
         "\"Sage 50 / Instant 2012\")"},
        {{"--sage-version", "17", "--user", "u", "--chart", "two"},
         "--chart: \"two\" is not a chart number"},
        {{"--sage-version", "17", "--user", "u", "--no-upload=yes"}, "--no-upload takes no value"},
        {{"--sage-version", "17", "--user", "u", "--home", ""}, "--home needs a directory"},
        {{"--sage-version", "17", "--user", "u", "--frobnicate"}, "unknown option: --frobnicate"},
        {{"--sage-version", "17", "--user", "u", "stray"}, "unexpected argument: stray"},
        {{"--sage-version", "17", "--user", "u", "--review=yes"}, "--review takes no value"},
        // --resend and --check export nothing: there is nothing to review.
        {{"--resend", "a.zip", "--review"}, "--resend cannot go with --review"},
        {{"--strict", "--resend", "a.zip"}, "--resend cannot go with --strict"},
        {{"--sage-version", "17", "--check", "--strict"}, "--check cannot go with --strict"},
        {{"--sage-version", "17", "--check", "--review"}, "--check cannot go with --review"},
        // A secret typed on the command line is not printed back.
        {{"--sage-version", "17", "--user", "u", "--password=letmein"},
         "unknown option: --password"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UsageErrorOf(c.args), c.error) << testing::PrintToString(c.args);
    }
}

}  // namespace
}  // namespace quillmere
