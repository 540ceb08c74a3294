#pragma once
// The eight table exports by name, so that code beside the export run (the
// control totals, the pre-flight check) reads the very definitions that the
// exports walk: the same SQL texts, filters and money columns.
#include "sage/ExportWalk.h"

namespace quillmere {

class TSageObject;

// In archive order.
enum class Ledger {
    SalesAccounts,
    SalesTransactions,
    PurchaseAccounts,
    PurchaseTransactions,
    NominalAccounts,
    OtherTransactions,
    Payments,
    Receipts,
};

inline constexpr Ledger AllLedgers[] = {
    Ledger::SalesAccounts,    Ledger::SalesTransactions,
    Ledger::PurchaseAccounts, Ledger::PurchaseTransactions,
    Ledger::NominalAccounts,  Ledger::OtherTransactions,
    Ledger::Payments,         Ledger::Receipts,
};

// The table's name as messages give it ("Sales Ledger Transactions").
const char* LedgerTitle(Ledger table);

// The definition that the export of `table` walks. The nominal accounts'
// category column looks the reference up in `sage`'s loaded categories.
ExportDefinition LedgerExport(Ledger table, const TSageObject& sage);

}  // namespace quillmere
