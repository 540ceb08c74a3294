// The chart of accounts through the real driver: which chart is loaded (one,
// none, two with the scripted chooser), what a range holds, and the nominal
// accounts table labelled with the loaded categories.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "ExportHarness.h"
#include "platform/Exceptions.h"
#include "sage/ChartOfAccounts.h"
#include "support/FakeView.h"

namespace quillmere {
namespace {

using Lines = std::vector<std::string>;
// title, category, asset/liability flag, low, high
using Range = std::tuple<std::string, int, int, std::string, std::string>;

const std::vector<Range> StandardRanges = {
    {"Current Assets", 2, 1, "1000", "1999"},
    {"Fixed Assets", 1, 1, "0010", "0049"},
    {"Purchases", 4, 0, "5000", "5299"},  // flag NULL reads as 0
    {"Sales", 3, 0, "4000", "4999"},
};
const std::vector<Range> CharityRanges = {
    {"Cash at Bank", 12, 2, "1200", "1299"},
    {"Incoming Resources", 13, 0, "4000", "9999"},
    {"Tangible \"Fixed\" Assets", 11, 1, "0001", "0099"},
};

// The loaded ranges sorted (the data source returns them in no set order),
// each pair's title checked against its range's.
std::vector<Range> LoadedRanges(const TSageObject& sage) {
    std::vector<Range> ranges;
    for (const auto& [title, range] : sage.Categories) {
        EXPECT_EQ(title, range->Title);
        ranges.emplace_back(range->Title, range->Category, range->AssetLiabilityFlag, range->Low,
                            range->High);
    }
    std::sort(ranges.begin(), ranges.end());
    return ranges;
}

// The nominal accounts table for each chart: the account's columns, then
// its category with the Standard chart, the Charity chart and chart 0.
struct NominalRow {
    const char* columns;
    const char* standard;
    const char* charity;
    const char* chartNought;
};
const NominalRow NominalRows[] = {
    {"\"0010\",\"Freehold Property\",0,150000", "Fixed Assets", "Tangible \"\"Fixed\"\" Assets",
     ""},
    {"\"0030\",\"Office Equipment\",0,4250.5", "Fixed Assets", "Tangible \"\"Fixed\"\" Assets", ""},
    {"\"0049\",\"Motor Vehicles\",0,12000", "Fixed Assets", "Tangible \"\"Fixed\"\" Assets", ""},
    {"\"0050\",\"Goodwill\",0,", "", "Tangible \"\"Fixed\"\" Assets", ""},
    {"\"10000\",\"Suspense, \"\"temporary\"\"\",1,-0.01", "Current Assets", "", ""},
    {"\"1100\",\"Debtors Control Account\",1,1103.75", "Current Assets", "", ""},
    {"\"1200\",\"Bank Current Account\",1,25000", "Current Assets", "Cash at Bank", ""},
    {"\"2\",\"Odd Reference\",,2", "", "", ""},
    {"\"2200\",\"Sales Tax Control Account\",2,-350", "", "", ""},
    {"\"4000\",\"Sales Type A\",3,-98000.99", "Sales", "Incoming Resources", "Chart Nought Sales"},
    {"\"5000\",\"Materials Purchased\",4,40000", "Purchases", "Incoming Resources", ""},
    {"\"9999\",\"\",,", "", "Incoming Resources", ""},
};

Lines NominalTable(const char* NominalRow::*category) {
    Lines lines{"ACCOUNT_REF,ACCOUNT_NAME,ACCOUNT_TYPE,BALANCE,CATEGORY"};
    for (const NominalRow& row : NominalRows) {
        lines.push_back(std::string(row.columns) + ",\"" + row.*category + "\"");
    }
    return lines;
}

Lines ExportNominal(TSageObject& sage) {
    Lines lines;
    RowList rows(lines);
    sage.ExportNominalAccounts("ACCOUNT_REF", rows);
    return lines;
}

TEST(ChartOfAccounts, TwoChartsAskTheUserAndLoadTheChosenOne) {
    const struct {
        int answer;
        std::vector<Range> ranges;
        const char* NominalRow::*category;
    } cases[] = {
        {0, StandardRanges, &NominalRow::standard},
        {1, CharityRanges, &NominalRow::charity},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        auto sage = test::LoggedInCompany(test::SageUser);
        test::FakeView view;
        view.chartAnswers = {c.answer};
        sage->RecordCount = -1;
        sage->LoadChartCategories(view);
        EXPECT_EQ(view.chartChoices,
                  (std::vector<std::vector<std::string>>{{"1 - Standard", "2 - Charity"}}));
        EXPECT_EQ(LoadedRanges(*sage), c.ranges);
        EXPECT_EQ(sage->RecordCount, static_cast<int>(c.ranges.size()));
        EXPECT_EQ(ExportNominal(*sage), NominalTable(c.category));
    }
}

TEST(ChartOfAccounts, OneChartOrNoneLoadsWithoutTheChooser) {
    const struct {
        const char* company;
        int chart;
        std::vector<Range> ranges;
        const char* NominalRow::*category;
    } cases[] = {
        {"one_chart", 2, CharityRanges, &NominalRow::charity},
        // No chart row: the ranges titled for chart 0.
        {"no_chart", 0, {{"Chart Nought Sales", 3, 0, "4000", "4999"}}, &NominalRow::chartNought},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.company);
        auto sage = test::LoggedInCompany(c.company);
        test::FakeView view;
        EXPECT_EQ(sage->ChooseChart(view), c.chart);
        sage->LoadChartCategories(view);
        EXPECT_TRUE(view.chartChoices.empty());
        EXPECT_EQ(LoadedRanges(*sage), c.ranges);
        EXPECT_EQ(ExportNominal(*sage), NominalTable(c.category));
    }

    auto empty = test::LoggedInCompany("empty_books");
    test::FakeView view;
    empty->RecordCount = -1;
    empty->LoadChartCategories(view);
    EXPECT_TRUE(empty->Categories.empty());
    EXPECT_EQ(empty->RecordCount, 0);
}

TEST(ChartOfAccounts, WithNoCategoriesLoadedEveryAccountHasAnEmptyCategory) {
    auto sage = test::LoggedInCompany(test::SageUser);
    const Lines lines = ExportNominal(*sage);
    ASSERT_EQ(lines.size(), std::size(NominalRows) + 1);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i], std::string(NominalRows[i - 1].columns) + ",\"\"");
    }
}

TEST(ChartOfAccounts, AChooserClosedWithNothingHighlightedIsAnError) {
    for (int answer : {-1, 2, 99}) {  // none highlighted, or no such item
        SCOPED_TRACE(answer);
        auto sage = test::LoggedInCompany(test::SageUser);
        test::FakeView view;
        view.chartAnswers = {answer};
        try {
            sage->LoadChartCategories(view);
            FAIL() << "no chart was chosen";
        } catch (const Exception& e) {
            EXPECT_STREQ(e.what(), NoChartChosenMessage);
        }
        EXPECT_TRUE(sage->Categories.empty());
    }
}

TEST(ChartOfAccounts, ASecondLoadAppendsAndTheFirstSetStillWins) {
    auto sage = test::LoggedInCompany(test::SageUser);
    test::FakeView view;
    view.chartAnswers = {0, 1};
    sage->LoadChartCategories(view);
    sage->LoadChartCategories(view);
    ASSERT_EQ(sage->Categories.size(), StandardRanges.size() + CharityRanges.size());
    EXPECT_EQ(sage->NominalCategory("1200"), "Current Assets");             // both sets hold it
    EXPECT_EQ(sage->NominalCategory("0050"), "Tangible \"Fixed\" Assets");  // the second only
    EXPECT_EQ(sage->NominalCategory("2"), "");
}

}  // namespace
}  // namespace quillmere
