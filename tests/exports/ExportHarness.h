#pragma once
// The companies of the exports fixture (tests/exports/data): each is a login
// of the stand-in that sees the common test books with one difference.
#include <memory>
#include <string>
#include <vector>

#include "SageHarness.h"

namespace quillmere::test {

// A TSageObject for version 17 with en_GB settings, logged in to `company`
// ("manager" for the common books, or one of the fixture's companies:
// one_chart, no_chart, busy_sales, empty_books, broken_allocations).
std::unique_ptr<TSageObject> LoggedInCompany(const std::string& company);

// Lines of a table whose records are sorted by their first column only:
// each run of lines with the same first value sorted in itself, so two
// results compare equal whatever order the data source gave within a run.
// The header (first line) stays first.
std::vector<std::string> SortedWithinFirstColumn(std::vector<std::string> lines);

}  // namespace quillmere::test
