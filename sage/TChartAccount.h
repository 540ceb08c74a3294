#pragma once
// One category range of the chosen chart of accounts: the nominal accounts
// whose references lie between Low and High (compared as text) belong to the
// category titled Title.
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quillmere {

class TChartAccount {
  public:
    TChartAccount(std::string title, int category, int assetLiabilityFlag, std::string low,
                  std::string high)
        : AssetLiabilityFlag(assetLiabilityFlag),
          Category(category),
          Low(std::move(low)),
          High(std::move(high)),
          Title(std::move(title)) {}
    virtual ~TChartAccount() = default;

    // Kept as the chart gives them; no export writes these two.
    int AssetLiabilityFlag;
    int Category;
    // Lowest and highest nominal account reference of the range (Windows-1252).
    std::string Low;
    std::string High;
    // Written into the CATEGORY column of the nominal accounts table.
    std::string Title;
};

// The loaded category ranges in the order the chart query returned them:
// (title, range) pairs, not sorted, equal titles and overlapping ranges
// allowed. The list owns its ranges.
using CategoryList = std::vector<std::pair<std::string, std::unique_ptr<TChartAccount>>>;

// The title of the first range in `categories` that holds `accountRef`, or
// the empty text when none does. References compare byte by byte on their
// 8-bit codes (case-sensitive, a prefix sorts first), so with a range 1000 to
// 1999 the reference 10000 lies inside it and 2 lies after it.
std::string CategoryTitleOf(const CategoryList& categories, const std::string& accountRef);

}  // namespace quillmere
