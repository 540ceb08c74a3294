// The version list and the login's word on a driver of the other bitness.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/DataSourceAdvice.h"
#include "app/DriverBitness.h"
#include "app/ExportCommandLine.h"
#include "app/VersionEntries.h"
#include "sage/TSageObject.h"

namespace quillmere {
namespace {

TEST(VersionList, LaterVersionsFollowTheOriginalEntriesUnchanged) {
    ASSERT_EQ(VersionEntries.size(), 26u);
    EXPECT_EQ(VersionEntries[0], "Version 7");
    EXPECT_EQ(VersionEntries[6], "Sage 50 / Instant 2007");
    EXPECT_EQ(VersionEntries[15], "Sage 50 / Instant 2016");
    EXPECT_EQ(VersionNumberOfEntry(15), 22);
    EXPECT_EQ(VersionEntries[16], "Sage 50 Accounts v23 2017");
    EXPECT_EQ(VersionEntries[25], "Sage 50 Accounts v32 2026");
    for (int i = 16; i < 26; ++i) {
        const std::string entry(VersionEntries[static_cast<std::size_t>(i)]);
        const int version = VersionNumberOfEntry(i);
        // The entry names its version and ends in its year.
        EXPECT_NE(entry.find("v" + std::to_string(version)), std::string::npos) << entry;
        EXPECT_EQ(entry.substr(entry.size() - 4), std::to_string(version + 1994)) << entry;
        EXPECT_EQ(OdbcConnectionString(version, "u", "p", "d")
                      .rfind("DSN=SageLine50v" + std::to_string(version) + ";", 0),
                  0u);
        // The command line names it by number or by its text.
        EXPECT_EQ(VersionIndexFor(std::to_string(version)), i);
        EXPECT_EQ(VersionIndexFor(entry), i);
    }
    EXPECT_EQ(VersionIndexFor("33"), std::nullopt);
}

TEST(DriverBitness, TheOtherBuildIsNamedOnlyForAnArchitectureMismatch) {
    struct Case {
        const char* sqlState;
        int bits;
        const char* message;  // nullptr: the usual login failure
    } const cases[] = {
        {"IM014", 32,
         "The Sage ODBC driver for this version is 64-bit, and this is the 32-bit wizard.\r\n"
         "Please run the 64-bit wizard to export this company"},
        {"IM014", 64,
         "The Sage ODBC driver for this version is 32-bit, and this is the 64-bit wizard.\r\n"
         "Please run the 32-bit wizard to export this company"},
        {"28000", 32, nullptr},  // a wrong password
        {"IM002", 64, nullptr},  // no such data source
        {"", 32, nullptr},
    };
    for (const auto& c : cases) {
        const auto message = ArchitectureMismatchMessage(c.sqlState, c.bits);
        if (c.message) {
            EXPECT_EQ(message, std::optional<std::string>(c.message)) << c.sqlState;
        } else {
            EXPECT_EQ(message, std::nullopt) << c.sqlState;
        }
    }
    EXPECT_EQ(ArchitectureMismatchLogLine(32),
              "Login failed: the Sage ODBC driver is not 32-bit (architecture mismatch); the "
              "64-bit wizard is needed");
    EXPECT_EQ(ProgramBits, static_cast<int>(sizeof(void*) * 8));
}

TEST(DataSourceAdvice, AMissingDataSourceIsNamedWithTheSageOnesThatAreThere) {
    const std::string head =
        "An error occurred logging in\r\nThe ODBC data source SageLine50v18 is not set up on "
        "this computer.\r\n";
    struct Case {
        std::vector<std::string> names;  // as the driver manager lists them
        std::string rest;
    } const cases[] = {
        {{}, "There is no Sage data source here: install Sage 50 Accounts with its ODBC driver"},
        // Other drivers' data sources are no Sage ones.
        {{"PostgreSQL", "dBASE Files"},
         "There is no Sage data source here: install Sage 50 Accounts with its ODBC driver"},
        {{"PostgreSQL", "SageLine50v7", "SageLine50v22"},
         "The Sage data sources here are SageLine50v7, SageLine50v22.\r\nChoose \"Version 7\" "
         "or \"Sage 50 / Instant 2016\", the version whose data source is there"},
        // One that stands for no entry of the list is named, not offered.
        {{"SageLine50v40", "SageLine50v32"},
         "The Sage data sources here are SageLine50v40, SageLine50v32.\r\nChoose \"Sage 50 "
         "Accounts v32 2026\", the version whose data source is there"},
        {{"SageLine50v40"}, "The Sage data sources here are SageLine50v40."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MissingDataSourceMessage(18, SageDataSources(c.names)), head + c.rest)
            << testing::PrintToString(c.names);
    }
    // The command line's check names its option beside each entry.
    EXPECT_EQ(VersionChoices({"SageLine50v7", "SageLine50v17"}, true),
              "choose \"Version 7\" (--sage-version 7) or \"Sage 50 / Instant 2011\" "
              "(--sage-version 17)");
}

}  // namespace
}  // namespace quillmere
