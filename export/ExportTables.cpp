#include "export/ExportTables.h"

namespace quillmere {

const std::vector<ExportTable>& ExportTables() {
    static const std::vector<ExportTable> tables = {
        {"Getting sales ledger codes....",
         [](TSageObject& s, RowSink& r) { s.ExportSalesAccounts("ACCOUNT_REF", r); },
         "Sales Ledger Codes.csv", true, Ledger::SalesAccounts},
        {"Getting sales ledger transactions....",
         [](TSageObject& s, RowSink& r) { s.ExportSalesTransactions("TRAN_NUMBER", r); },
         "Sales Ledger Transactions.csv", true, Ledger::SalesTransactions},
        {"Getting purchase ledger codes....",
         [](TSageObject& s, RowSink& r) { s.ExportPurchaseAccounts("ACCOUNT_REF", r); },
         "Purchase Ledger Codes.csv", true, Ledger::PurchaseAccounts},
        {"Getting purchase ledger transactions....",
         [](TSageObject& s, RowSink& r) { s.ExportPurchaseTransactions("TRAN_NUMBER", r); },
         "Purchase Ledger Transactions.csv", true, Ledger::PurchaseTransactions},
        {"Getting nominal ledger codes....",
         [](TSageObject& s, RowSink& r) { s.ExportNominalAccounts("ACCOUNT_REF", r); },
         "Nominal Ledger Codes.csv", true, Ledger::NominalAccounts},
        {"Getting nominal ledger transactions....",
         [](TSageObject& s, RowSink& r) { s.ExportOtherTransactions("TRAN_NUMBER", r); },
         "Nominal Ledger Transactions.csv", true, Ledger::OtherTransactions},
        // Announces the receipts as well, which have no lines of their own.
        {"Getting payments and receipts....",
         [](TSageObject& s, RowSink& r) { s.ExportPayments(r); }, "Payments.csv", true,
         Ledger::Payments},
        {"", [](TSageObject& s, RowSink& r) { s.ExportReceipts(r); }, "Receipts.csv", false,
         Ledger::Receipts},
    };
    return tables;
}

std::string CountLine(int lines) {
    return "Found " + std::to_string(lines) + " items.";
}

}  // namespace quillmere
