// The eight table exports: their SQL texts, header lines and columns as
// data, and one routine per group (accounts, transactions, allocations) that
// hands the data to the export walk.
#include <stdexcept>
#include <string>
#include <vector>

#include "sage/LedgerExports.h"
#include "sage/PaymentReference.h"
#include "sage/TSageObject.h"

namespace quillmere {

namespace {

constexpr Written Q = Written::Quoted;
constexpr Written B = Written::Bare;

// --- Ledger accounts -------------------------------------------------------

const std::string SalesAccountsSql =
    "SELECT s.* FROM sales_ledger s INNER JOIN currency c ON s.currency = c.number ORDER BY %s";
const std::string PurchaseAccountsSql =
    "SELECT s.* FROM purchase_ledger s INNER JOIN currency c ON s.currency = c.number ORDER BY %s";
const std::string NominalAccountsSql =
    "SELECT account_ref, name, account_type, balance from nominal_ledger ORDER BY %s";

const std::string LedgerAccountsHeader =
    "ACCOUNT_CODE,ACCOUNT_NAME,ADDRESS_1,ADDRESS_2,ADDRESS_3,ADDRESS_4,ADDRESS_5,CONTACT_NAME,"
    "TELEPHONE,TELEPHONE_2,FAX,E_MAIL,WEB_ADDRESS,ANALYSIS_1,ANALYSIS_2,ANALYSIS_3,STATUS_TEXT,"
    "DEFAULT_TAX_CODE,DEFAULT_NOMINAL_CODE,VAT_REG_NUMBER,CURRENCY_CODE,COUNTRY_CODE,"
    "SETTLEMENT_DISC_RATE,SETTLEMENT_DUE_DAYS,PAYMENT_DUE_DAYS,CREDIT_LIMIT,ACCOUNT_ON_HOLD,TERMS,"
    "DATE_ACCOUNT_OPENED,BALANCE";
const std::string NominalAccountsHeader = "ACCOUNT_REF,ACCOUNT_NAME,ACCOUNT_TYPE,BALANCE,CATEGORY";

// The sales and the purchase ledger share their columns. CODE is the
// currency code that the data source delivers with the ledger's own columns.
const std::vector<ExportColumn> LedgerAccountColumns = {
    {"ACCOUNT_REF", Q},
    {"NAME", Q},
    {"ADDRESS_1", Q},
    {"ADDRESS_2", Q},
    {"ADDRESS_3", Q},
    {"ADDRESS_4", Q},
    {"ADDRESS_5", Q},
    {"CONTACT_NAME", Q},
    {"TELEPHONE", Q},
    {"TELEPHONE_2", Q},
    {"FAX", Q},
    {"E_MAIL", Q},
    {"WEB_ADDRESS", Q},
    {"ANALYSIS_1", Q},
    {"ANALYSIS_2", Q},
    {"ANALYSIS_3", Q},
    {"STATUS_TEXT", Q},
    {"DEF_TAX_CODE", Q},
    {"DEF_NOM_CODE", Q},
    {"VAT_REG_NUMBER", Q},
    {"CODE", Q},
    {"COUNTRY_CODE", Q},
    {"SETTLEMENT_DISC_RATE", B},
    {"SETTLEMENT_DUE_DAYS", B},
    {"PAYMENT_DUE_DAYS", B},
    {"CREDIT_LIMIT", B},
    {"ACCOUNT_ON_HOLD", B},
    {"TERMS", Q},
    {"DATE_ACCOUNT_OPENED", Q},
    {"BALANCE", B},
};

// --- Ledger transactions -----------------------------------------------------

// The three transaction queries differ only in the types they admit.
const std::string TransactionsSelect =
    "SELECT a.tran_number, a.type, a.date, a.account_ref,a.inv_ref, b.nominal_code, a.details, "
    "a.date + 30 as due_date, a.paid_flag,a.paid_status, b.amount, a.net_amount,a.tax_amount, "
    "a.gross_amount,a.amount_paid, a.payment, a.outstanding, a.date_entered FROM audit_split a "
    "INNER JOIN audit_journal b on a.tran_number = b.tran_number WHERE a.deleted_flag = 0 AND ";
const std::string TransactionsOrder = " ORDER BY %s";
const std::string SalesTypes = "type IN ('SI', 'SC', 'SA')";
const std::string PurchaseTypes = "type IN ('PI', 'PC', 'PA', 'PR')";
const std::string OtherTypes = "type NOT IN ('PI', 'PC','PP','PA', 'PR', 'SI', 'SC', 'SR', 'SA')";

const std::string TransactionsHeader =
    "TRANSACTION_NO,TRANSACTION_TYPE,TRANSACTION_DATE, ACCOUNT,INV_REF,NOMINAL,DETAILS,DUE_DATE,"
    "PAID_FLAG,PAID_STATUS,JOURNAL_AMOUNT,NET_AMOUNT,TAX_AMOUNT,GROSS_AMOUNT,AMOUNT_PAID,PAYMENT,"
    "OUTSTANDING,DATE_ENTERED";

// Every quoted value has its double quotes doubled by the walk, DETAILS
// included.
const std::vector<ExportColumn> TransactionColumns = {
    {"TRAN_NUMBER", Q}, {"TYPE", Q},         {"DATE", Q},        {"ACCOUNT_REF", Q},
    {"INV_REF", Q},     {"NOMINAL_CODE", Q}, {"DETAILS", Q},     {"DUE_DATE", Q},
    {"PAID_FLAG", Q},   {"PAID_STATUS", Q},  {"AMOUNT", B},      {"NET_AMOUNT", B},
    {"TAX_AMOUNT", B},  {"GROSS_AMOUNT", B}, {"AMOUNT_PAID", B}, {"PAYMENT", B},
    {"OUTSTANDING", B}, {"DATE_ENTERED", Q},
};

// The money columns that the control totals add up.
const std::vector<std::string> LedgerAccountMoney = {"CREDIT_LIMIT", "BALANCE"};
const std::vector<std::string> TransactionMoney = {
    "AMOUNT", "NET_AMOUNT", "TAX_AMOUNT", "GROSS_AMOUNT", "AMOUNT_PAID", "PAYMENT", "OUTSTANDING"};

struct TransactionGroup {
    std::string types;
    // A record of this type is kept only with paid flag "N" (exactly);
    // empty keeps every record.
    std::string unpaidOnlyType;
    bool countRecords;
};

const TransactionGroup SalesTransactions{SalesTypes, "SA", true};
const TransactionGroup PurchaseTransactions{PurchaseTypes, "PA", false};
const TransactionGroup OtherTransactions{OtherTypes, "", true};

// --- Payments and receipts -------------------------------------------------

const std::string AllocationsSelect =
    "SELECT a.tran_number, a.date, a.bank_code, b.reference, b.details, b.amount FROM audit_split "
    "a INNER JOIN audit_usage b on a.split_number = b.split_number WHERE a.type IN (";
const std::string AllocationsOrder = ") AND a.deleted_flag = 0 ORDER BY tran_number";
const std::string PaymentTypes = "'PP', 'PA'";
const std::string ReceiptTypes = "'SR', 'SA'";

const std::string AllocationsHeader = "REFERENCE,DATE,BANK CODE,TX REF,AMOUNT";

// REFERENCE holds the transaction number; the allocation's own reference
// column is not written.
const std::vector<ExportColumn> AllocationColumns = {
    {"TRAN_NUMBER", Q}, {"DATE", Q}, {"BANK_CODE", Q}, {"DETAILS", Q, PaymentReference},
    {"AMOUNT", B},
};

}  // namespace

namespace {

ExportDefinition AccountsExport(const std::string& sql) {
    ExportDefinition table{sql, LedgerAccountsHeader, LedgerAccountColumns};
    table.money = LedgerAccountMoney;
    return table;
}

ExportDefinition NominalAccountsExport(const TSageObject& sage) {
    ExportDefinition table{NominalAccountsSql,
                           NominalAccountsHeader,
                           {{"ACCOUNT_REF", Q},
                            {"NAME", Q},
                            {"ACCOUNT_TYPE", B},
                            {"BALANCE", B},
                            {"ACCOUNT_REF", Q, [&sage](const std::string& ref) {
                                 return sage.NominalCategory(ref);
                             }}}};
    table.money = {"BALANCE"};
    return table;
}

ExportDefinition TransactionsExport(const TransactionGroup& group) {
    ExportDefinition table{TransactionsSelect + group.types + TransactionsOrder, TransactionsHeader,
                           TransactionColumns};
    if (!group.unpaidOnlyType.empty()) {
        table.filter = [type = group.unpaidOnlyType](const ExportRecord& r) {
            return r.Text("TYPE") != type || r.Text("PAID_FLAG") == "N";
        };
        // A NULL type or paid flag reads as the empty text above.
        table.filterSql = "(COALESCE(type, '') <> '" + group.unpaidOnlyType +
                          "' OR COALESCE(paid_flag, '') = 'N')";
    }
    table.countRecords = group.countRecords;
    table.money = TransactionMoney;
    return table;
}

ExportDefinition AllocationsExport(const std::string& types) {
    ExportDefinition table{AllocationsSelect + types + AllocationsOrder, AllocationsHeader,
                           AllocationColumns};
    // A NULL amount reads as 0 and is left out too.
    table.filter = [](const ExportRecord& r) { return r.Float("AMOUNT") != 0; };
    table.filterSql = "amount <> 0";  // NULL is not kept either
    table.money = {"AMOUNT"};
    return table;
}

}  // namespace

ExportDefinition LedgerExport(Ledger table, const TSageObject& sage) {
    switch (table) {
        case Ledger::SalesAccounts:
            return AccountsExport(SalesAccountsSql);
        case Ledger::SalesTransactions:
            return TransactionsExport(SalesTransactions);
        case Ledger::PurchaseAccounts:
            return AccountsExport(PurchaseAccountsSql);
        case Ledger::PurchaseTransactions:
            return TransactionsExport(PurchaseTransactions);
        case Ledger::NominalAccounts:
            return NominalAccountsExport(sage);
        case Ledger::OtherTransactions:
            return TransactionsExport(OtherTransactions);
        case Ledger::Payments:
            return AllocationsExport(PaymentTypes);
        case Ledger::Receipts:
            return AllocationsExport(ReceiptTypes);
    }
    throw std::logic_error("unknown ledger table");
}

const char* LedgerTitle(Ledger table) {
    switch (table) {
        case Ledger::SalesAccounts:
            return "Sales Ledger Codes";
        case Ledger::SalesTransactions:
            return "Sales Ledger Transactions";
        case Ledger::PurchaseAccounts:
            return "Purchase Ledger Codes";
        case Ledger::PurchaseTransactions:
            return "Purchase Ledger Transactions";
        case Ledger::NominalAccounts:
            return "Nominal Ledger Codes";
        case Ledger::OtherTransactions:
            return "Nominal Ledger Transactions";
        case Ledger::Payments:
            return "Payments";
        case Ledger::Receipts:
            break;
    }
    return "Receipts";
}

void TSageObject::ExportSalesAccounts(const std::string& sortColumn, RowSink& rows) {
    ExportLedger(Ledger::SalesAccounts, sortColumn, rows);
}

void TSageObject::ExportPurchaseAccounts(const std::string& sortColumn, RowSink& rows) {
    ExportLedger(Ledger::PurchaseAccounts, sortColumn, rows);
}

void TSageObject::ExportNominalAccounts(const std::string& sortColumn, RowSink& rows) {
    ExportLedger(Ledger::NominalAccounts, sortColumn, rows);
}

void TSageObject::ExportSalesTransactions(const std::string& sortColumn, RowSink& rows) {
    ExportLedger(Ledger::SalesTransactions, sortColumn, rows);
}

void TSageObject::ExportPurchaseTransactions(const std::string& sortColumn, RowSink& rows) {
    ExportLedger(Ledger::PurchaseTransactions, sortColumn, rows);
}

void TSageObject::ExportOtherTransactions(const std::string& sortColumn, RowSink& rows) {
    ExportLedger(Ledger::OtherTransactions, sortColumn, rows);
}

void TSageObject::ExportPayments(RowSink& rows) {
    ExportLedger(Ledger::Payments, {}, rows);
}

void TSageObject::ExportReceipts(RowSink& rows) {
    ExportLedger(Ledger::Receipts, {}, rows);
}

}  // namespace quillmere
