// The chart of accounts: choosing the chart, loading its category ranges and
// looking an account's category up.
#include "sage/ChartOfAccounts.h"

#include <charconv>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Exceptions.h"
#include "platform/odbc/OdbcQuery.h"
#include "sage/SageReader.h"
#include "sage/TSageObject.h"
#include "sage/ValueText.h"

namespace quillmere {

namespace {

const std::string ChartListSql = "SELECT * FROM chart_list ORDER BY chart";
const std::string CategoryRangesSql =
    "SELECT a.title, b.category, b.flag_asset_liability, b.name, b.low, b.high FROM cat_title a "
    "INNER JOIN category b ON a.category = b.category WHERE a.chart=%d";

std::string Trimmed(const std::string& s) {
    std::size_t first = 0;
    std::size_t last = s.size();
    while (first < last && static_cast<unsigned char>(s[first]) <= 32) {
        ++first;
    }
    while (last > first && static_cast<unsigned char>(s[last - 1]) <= 32) {
        --last;
    }
    return s.substr(first, last - first);
}

std::string WithChartNumber(const std::string& sql, int chart) {
    const auto at = sql.find("%d");
    return sql.substr(0, at) + std::to_string(chart) + sql.substr(at + 2);
}

}  // namespace

std::string ChartItemText(const std::string& chartText, const std::string& name) {
    return Trimmed(chartText) + " - " + name;
}

int ChartNumberOfItem(const std::string& item) {
    const std::string text = Trimmed(item.substr(0, item.find('-')));
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') {
        ++first;
    }
    int chart = 0;
    const auto [end, ec] = std::from_chars(first, last, chart);
    if (first == last || ec != std::errc() || end != last) {
        throw Exception("'" + text + "' is not a valid chart number");
    }
    return chart;
}

std::string CategoryTitleOf(const CategoryList& categories, const std::string& accountRef) {
    // std::string compares as unsigned bytes, a prefix first: the order the
    // ranges are defined in.
    for (const auto& [title, range] : categories) {
        if (accountRef < range->Low || accountRef > range->High) {
            continue;
        }
        return range->Title;
    }
    return {};
}

ChartChoices TSageObject::ListCharts() {
    if (reader_) {
        return reader_->Charts();
    }
    odbc::Query query(Connection);
    query.SetSql(ChartListSql);
    query.Open();
    query.First();
    ChartChoices choices;
    if (query.RecordCount() <= 1) {
        choices.only = query.Eof() ? 0 : query.AsInteger(query.FieldIndex("chart"));
        const auto name = query.Eof() ? std::nullopt : query.FindField("NAME");
        choices.onlyItem = name ? ChartItemText(std::to_string(choices.only),
                                                Utf8FromCp1252(ValueText(query, *name, Settings)))
                                : std::to_string(choices.only);
        return choices;
    }
    const int chartField = query.FieldIndex("CHART");
    const int nameField = query.FieldIndex("NAME");
    for (; !query.Eof(); query.Next()) {
        choices.items.push_back(
            ChartItemText(ValueText(query, chartField, Settings),
                          Utf8FromCp1252(ValueText(query, nameField, Settings))));
    }
    return choices;
}

int TSageObject::ChooseChart(WizardView& view) {
    const ChartChoices choices = ListCharts();
    if (choices.items.empty()) {
        ChosenChart = choices.onlyItem;
        return choices.only;
    }
    const int chosen = view.chooseChart(choices.items);
    if (chosen < 0 || static_cast<std::size_t>(chosen) >= choices.items.size()) {
        throw ENoChartChosen();
    }
    ChosenChart = choices.items[static_cast<std::size_t>(chosen)];
    return ChartNumberOfItem(ChosenChart);
}

void TSageObject::LoadChartCategories(WizardView& view) {
    LoadCategoriesOfChart(ChooseChart(view));
}

void TSageObject::LoadCategoriesOfChart(int chart) {
    if (reader_) {
        reader_->LoadCategories(chart, Categories, OnProgress);
        return;
    }
    WalkQuery(WithChartNumber(CategoryRangesSql, chart), true, [this](const ExportRecord& r) {
        const std::string title = r.Text("title");
        Categories.emplace_back(
            title, std::make_unique<TChartAccount>(title, r.Integer("category"),
                                                   r.Integer("flag_asset_liability"), r.Text("low"),
                                                   r.Text("high")));
    });
}

std::string TSageObject::NominalCategory(const std::string& accountRef) const {
    return CategoryTitleOf(Categories, accountRef);
}

}  // namespace quillmere
