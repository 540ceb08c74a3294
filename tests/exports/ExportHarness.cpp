#include "ExportHarness.h"

#include <algorithm>

#include "support/FakeSystem.h"

namespace quillmere::test {

std::unique_ptr<TSageObject> LoggedInCompany(const std::string& company) {
    auto sage = std::make_unique<TSageObject>(17);
    sage->Settings = BritishSettings();
    sage->Login("/nowhere/ACCDATA", company, company == SageUser ? SagePassword : "letmein");
    return sage;
}

std::vector<std::string> SortedWithinFirstColumn(std::vector<std::string> lines) {
    const auto firstValue = [](const std::string& line) { return line.substr(0, line.find(',')); };
    auto run = lines.begin() + (lines.empty() ? 0 : 1);
    while (run != lines.end()) {
        const std::string value = firstValue(*run);
        auto end = std::find_if(run, lines.end(),
                                [&](const std::string& l) { return firstValue(l) != value; });
        std::sort(run, end);
        run = end;
    }
    return lines;
}

}  // namespace quillmere::test
