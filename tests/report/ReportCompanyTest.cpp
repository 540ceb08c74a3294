// The report's company (report-company.sql): one case per finding, every
// aged band filled. The real program exports it; Python reads the archive
// back and works out every figure of the report, and holds the report to
// what the fixture says (report-company.expect.json).
#include <gtest/gtest.h>

#include <filesystem>

#include "ReportRun.h"
#include "support/TempDir.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;

const char* const Company = "Ashcombe Timber & Joinery";
// The chart's categories in the order report-company.sql gives them.
const char* const Categories =
    "Sales,Purchases,Overheads,Fixed Assets,Current Assets,Current Liabilities,"
    "Capital & Reserves";

TEST(ReportCompany, EveryFigureAgreesWithTheTablesAndEveryFindingIsMade) {
    test::TempDir dir;
    const test::ReportRun run = test::ExportWithReport(dir, Company, "Ashcombe");
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_FALSE(run.archive.empty());
    ASSERT_TRUE(fs::exists(run.json)) << run.json;
    int status = -1;
    const std::string out =
        test::RunCheck(REPORT_CHECK,
                       {run.archive, run.json, "--date-format", "dd/MM/yyyy", "--category-order",
                        Categories, "--expect", REPORT_EXPECT},
                       status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find(" figures\n"), std::string::npos) << out;
}

// Values with a fifth decimal place are written to four, and the control
// totals hold the written sums against the data source's rounded the same
// way: every figure still agrees (the report's side of this is in the
// expectations: "controlTotalsAgree").
TEST(ReportCompany, FifthDecimalsLeaveEveryControlTotalAgreeing) {
    test::TempDir dir;
    const test::ReportRun run = test::ExportWithReport(dir, Company, "Ashcombe");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string summary = test::FileText(run.summary);
    EXPECT_EQ(summary.find("DIFFERENT"), std::string::npos) << summary;
    EXPECT_NE(summary.find("Every figure agrees with the data source."), std::string::npos)
        << summary;
    const std::string report = test::FileText(run.json);
    EXPECT_EQ(report.find("\"control-totals\""), std::string::npos) << report;
    EXPECT_EQ(report.find("\"differs\""), std::string::npos) << report;
}

// The page in a real browser: no script, nothing fetched, each section on a
// page of its own when printed, something to see on the screen. The
// screenshot and the print stay in the build tree to be looked at.
TEST(ReportPage, ShowsAndPrintsInABrowserWithNothingFetched) {
    test::TempDir dir;
    const test::ReportRun run = test::ExportWithReport(dir, Company, "Ashcombe");
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_TRUE(fs::exists(run.html)) << run.html;
    int status = -1;
    const std::string out =
        test::RunCheck(PAGE_CHECK, {run.html, REPORT_PAGE_DIR, "--sections", "8"}, status);
    EXPECT_EQ(status, 0) << out;
}

}  // namespace
}  // namespace quillmere
