// The demo company's report: whatever it finds must be what Python finds
// in the archive's tables, figure by figure.
#include <gtest/gtest.h>

#include <filesystem>

#include "ReportRun.h"
#include "support/TempDir.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;

// The standard chart's categories in demo/make-demo.py's order.
const char* const Categories =
    "Sales,Purchases,Direct Expenses,Overheads,Fixed Assets,Current Assets,"
    "Current Liabilities,Long Term Liabilities,Capital & Reserves";

TEST(ReportDemo, EveryFigureAgreesWithTheTablesReadBack) {
    test::TempDir dir;
    const test::ReportRun run = test::ExportWithReport(dir, "Wren & Hollis Joinery Ltd", "Wren");
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_FALSE(run.archive.empty());
    ASSERT_TRUE(fs::exists(run.json)) << run.json;
    int status = -1;
    const std::string out = test::RunCheck(
        REPORT_CHECK,
        {run.archive, run.json, "--date-format", "dd/MM/yyyy", "--category-order", Categories},
        status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find(" figures\n"), std::string::npos) << out;
}

}  // namespace
}  // namespace quillmere
