#pragma once
// The export archive's entries as a user sees them, in archive order.
#include <string>
#include <vector>

namespace quillmere::test {

inline const std::vector<std::string> ExportTableNames = {
    "Sales Ledger Codes.csv",
    "Sales Ledger Transactions.csv",
    "Purchase Ledger Codes.csv",
    "Purchase Ledger Transactions.csv",
    "Nominal Ledger Codes.csv",
    "Nominal Ledger Transactions.csv",
    "Payments.csv",
    "Receipts.csv",
};

}  // namespace quillmere::test
