// The demo company's control totals: an export run of the real program,
// its summary against Python's own reading of the archive's tables.
#include <gtest/gtest.h>

#include <filesystem>

#include "ExportProgram.h"
#include "export/ControlTotals.h"
#include "support/Command.h"
#include "support/TempDir.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;

TEST(DemoTotals, EveryFigureAgreesWithTheDataSourceAndWithTheTablesReadBack) {
    test::TempDir dir;
    const std::string home = test::MakeSageHome(dir, {{"Wren & Hollis Joinery Ltd", "Wren"}});
    const std::string work = dir.mkdir("work");
    test::ProgramRun run;
    run.args = {"--sage-version", "17", "--home",     home, "--user",      "manager",
                "--chart",        "1",  "--work-dir", work, "--no-upload", "--summary"};
    run.env = {{"ODBCSYSINI", SAGE_HARNESS_DIR},
               {"ODBCINI", std::string(SAGE_HARNESS_DIR) + "/odbc.ini"},
               {"QUILLMERE_SAGE_PASSWORD", "letmein"}};
    const test::ProgramResult r = test::RunExport(run);
    ASSERT_EQ(r.status, 0) << r.err;
    std::string archive;
    for (const auto& entry : fs::directory_iterator(work)) {
        if (entry.path().extension() == ".zip") {
            archive = entry.path().string();
        }
    }
    ASSERT_FALSE(archive.empty());
    const std::string summary = SummaryPath(archive);
    const std::string text = test::FileText(summary);
    EXPECT_EQ(text.find("DIFFERENT"), std::string::npos) << text;
    EXPECT_EQ(text.find("not checked"), std::string::npos) << text;
    EXPECT_NE(text.find("Every figure agrees with the data source."), std::string::npos) << text;
    EXPECT_NE(text.find("Nominal trial balance (BALANCE in Nominal Ledger Codes.csv): "),
              std::string::npos);
    // No warning on the command line when everything agrees.
    EXPECT_EQ(r.err.find("Warning"), std::string::npos) << r.err;
    // 8 record counts, 2 x 2 ledger account sums, 1 nominal balance,
    // 3 x 7 transaction sums, 2 allocation amounts.
    EXPECT_EQ(
        test::RunCommand("python3 " + test::ShellQuote(CSV_TOTALS) + " " +
                         test::ShellQuote(summary) + " " + test::ShellQuote(archive) + " 2>&1"),
        "checked 36\n");
}

}  // namespace
}  // namespace quillmere
