#include "report/MigrationReport.h"

#include <algorithm>
#include <deque>

#include "platform/CodePage.h"

namespace quillmere {

namespace {

// Debtors and creditors control accounts: Sage's default codes, else the
// first account whose name says it is one.
constexpr const char* DebtorsControlCode = "1100";
constexpr const char* CreditorsControlCode = "2100";

std::string Utf8(const std::string& cp1252) {
    return Utf8FromCp1252(cp1252);
}

ItemValue Text(const std::string& utf8) {
    return ItemValue::Text(utf8);
}

ItemValue Money(const DecimalSum& sum) {
    return ItemValue::Text(sum.Text());
}

ItemValue Number(long long n) {
    return ItemValue::Number(n);
}

template <class Scan>
const Scan* Find(const std::vector<std::unique_ptr<TableScan>>& scans, Ledger ledger) {
    for (const auto& scan : scans) {
        if (scan->ledger() == ledger) {
            return dynamic_cast<const Scan*>(scan.get());
        }
    }
    return nullptr;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Sorts the items from `start` on by their "line" (second) value: a
// table's items in the order of its lines.
void SortByLine(std::vector<FindingItem>& items, std::size_t start) {
    std::stable_sort(items.begin() + static_cast<std::ptrdiff_t>(start), items.end(),
                     [](const FindingItem& a, const FindingItem& b) {
                         return std::stoll(a[1].second.text) < std::stoll(b[1].second.text);
                     });
}

class Findings {
  public:
    Finding& Add(const char* code, Severity severity, std::string title, std::string advice) {
        Finding& f = list_.emplace_back();
        f.code = code;
        f.severity = severity;
        f.title = std::move(title);
        f.advice = std::move(advice);
        return f;
    }
    // The findings with items, errors first, then warnings, then notes, each
    // in the order they were made.
    std::vector<Finding> Present() {
        std::vector<Finding> present;
        for (const Severity severity : {Severity::Error, Severity::Warning, Severity::Note}) {
            for (Finding& f : list_) {
                if (f.severity == severity && !f.items.empty()) {
                    f.count = static_cast<long long>(f.items.size());
                    present.push_back(std::move(f));
                }
            }
        }
        return present;
    }

  private:
    // A deque: the findings handed out stay where they are while more are
    // added.
    std::deque<Finding> list_;
};

struct Scans {
    const AccountsScan* sales;
    const AccountsScan* purchase;
    const NominalScan* nominal;
    const TransactionsScan* salesTransactions;
    const TransactionsScan* purchaseTransactions;
    const TransactionsScan* otherTransactions;
    const AllocationsScan* payments;
    const AllocationsScan* receipts;
};

bool HasNominal(const Scans& s, const std::string& code) {
    return s.nominal != nullptr && s.nominal->byCode.count(code) > 0;
}

// The control account of a ledger: the default code when the nominal
// ledger holds it, else the first account whose name says it.
const NominalAccount* ControlAccount(const Scans& s, const char* code, const char* nameHolds) {
    if (s.nominal == nullptr) {
        return nullptr;
    }
    if (const auto found = s.nominal->byCode.find(std::string_view(code));
        found != s.nominal->byCode.end()) {
        return &s.nominal->accounts[found->second];
    }
    for (const NominalAccount& account : s.nominal->accounts) {
        if (Lower(Utf8(account.name)).find(nameHolds) != std::string::npos) {
            return &account;
        }
    }
    return nullptr;
}

void CheckTrialBalance(const Scans& s, Findings& findings) {
    Finding& f = findings.Add(
        "trial-balance", Severity::Error, "The trial balance does not balance",
        "The balances of the nominal accounts add up to something other than zero, so the "
        "books the service imports will not balance either. In Sage, run the Data Check "
        "(File > Maintenance > Check Data) and correct what it reports, then print the trial "
        "balance and export again.");
    if (s.nominal == nullptr) {
        return;
    }
    DecimalSum total;
    for (const NominalAccount& account : s.nominal->accounts) {
        total.Add(account.balance);
    }
    if (!total.IsZero()) {
        f.items.push_back({{"total", Money(total)}});
    }
}

void CheckControlTotals(const ControlTotals& totals, Findings& findings) {
    Finding& differs = findings.Add(
        "control-totals", Severity::Error, "Control totals that do not agree with the data source",
        "A table as written does not add up to what the Sage data source itself counts and "
        "sums for the same records: the tables may be incomplete. Export again; if it "
        "persists, run Sage's Data Check and keep the archive and its summary for support.");
    Finding& unchecked = findings.Add(
        "control-totals-unchecked", Severity::Warning,
        "Control totals the data source could not check",
        "The data source could not count or total a table, so nothing confirms that it was "
        "written whole. The reason is given; export again when the data source is "
        "available.");
    for (const TableTotals& table : totals.tables) {
        const auto figure = [&](Finding& f, const std::string& name, const std::string& written,
                                const std::optional<std::string>& source) {
            f.items.push_back({{"table", Text(table.fileName)},
                               {"figure", Text(name)},
                               {"written", Text(written)},
                               {"source", source ? Text(*source) : ItemValue::Null()}});
        };
        const std::string records = std::to_string(table.records);
        const std::optional<std::string> sourceRecords =
            table.sourceRecords ? std::optional<std::string>(std::to_string(*table.sourceRecords))
                                : std::nullopt;
        if (!table.unchecked.empty()) {
            unchecked.items.push_back(
                {{"table", Text(table.fileName)}, {"reason", Text(table.unchecked)}});
            continue;
        }
        if (table.recordsAgreement == Agreement::Differs) {
            figure(differs, "records", records, sourceRecords);
        }
        for (const MoneyTotals& money : table.money) {
            if (money.agreement == Agreement::Differs) {
                figure(differs, money.name, money.written.Text(), money.comparedSum);
            }
        }
    }
}

// ACCOUNT, NOMINAL and BANK CODE values that name no account.
void CheckReferences(const Scans& s, Findings& findings) {
    Finding& accounts = findings.Add(
        "unknown-account", Severity::Error, "Transactions on accounts that do not exist",
        "These transactions name an account that is not in the ledger's list of accounts "
        "(customers, suppliers, or the nominal accounts for bank and journal entries), so "
        "the service cannot attach them to one. In Sage, run the Data Check and correct or "
        "recreate the accounts it reports.");
    Finding& nominals = findings.Add(
        "unknown-nominal", Severity::Error,
        "Transactions posted to nominal codes that do not exist",
        "A journal line names a nominal code that is not in the nominal ledger. Create the "
        "nominal account in Sage (or correct the postings) and export again.");
    Finding& banks = findings.Add(
        "unknown-bank", Severity::Error,
        "Payments and receipts on bank codes that are not nominal accounts",
        "The bank account of these payments or receipts is not in the nominal ledger. "
        "Create the bank's nominal account in Sage, or correct the bank code, and export "
        "again.");
    const auto accountList = [&](const TransactionsScan* scan, const auto& known) {
        if (scan == nullptr) {
            return;
        }
        const std::size_t start = accounts.items.size();
        for (const auto& [code, usage] : scan->accountsUsed) {
            if (!known(code)) {
                accounts.items.push_back({{"table", Text(scan->FileName())},
                                          {"line", Number(usage.line)},
                                          {"transaction", Text(Utf8(usage.transaction))},
                                          {"account", Text(Utf8(code))},
                                          {"transactions", Number(usage.count)}});
            }
        }
        SortByLine(accounts.items, start);
    };
    const auto inLedger = [](const AccountsScan* ledger) {
        return [ledger](const std::string& code) {
            return ledger != nullptr && ledger->byCode.count(code) > 0;
        };
    };
    accountList(s.salesTransactions, inLedger(s.sales));
    accountList(s.purchaseTransactions, inLedger(s.purchase));
    accountList(s.otherTransactions, [&](const std::string& code) { return HasNominal(s, code); });

    for (const TransactionsScan* scan :
         {s.salesTransactions, s.purchaseTransactions, s.otherTransactions}) {
        if (scan == nullptr) {
            continue;
        }
        const std::size_t start = nominals.items.size();
        for (const auto& [code, usage] : scan->nominalsUsed) {
            if (!HasNominal(s, code)) {
                nominals.items.push_back({{"table", Text(scan->FileName())},
                                          {"line", Number(usage.line)},
                                          {"transaction", Text(Utf8(usage.transaction))},
                                          {"nominal", Text(Utf8(code))},
                                          {"lines", Number(usage.count)}});
            }
        }
        SortByLine(nominals.items, start);
    }
    for (const AllocationsScan* scan : {s.payments, s.receipts}) {
        if (scan == nullptr) {
            continue;
        }
        const std::size_t start = banks.items.size();
        for (const auto& [code, bank] : scan->banks) {
            if (!HasNominal(s, code)) {
                banks.items.push_back({{"table", Text(scan->FileName())},
                                       {"line", Number(bank.usage.line)},
                                       {"reference", Text(Utf8(bank.usage.transaction))},
                                       {"bankCode", Text(Utf8(code))},
                                       {"lines", Number(bank.count)}});
            }
        }
        SortByLine(banks.items, start);
    }
}

void CheckCategories(const Scans& s, Findings& findings) {
    if (s.nominal == nullptr) {
        return;
    }
    std::vector<FindingItem> items;
    for (const NominalAccount& account : s.nominal->accounts) {
        if (account.category.empty()) {
            items.push_back(
                {{"account", Text(Utf8(account.code))}, {"name", Text(Utf8(account.name))}});
        }
    }
    const bool most = items.size() * 2 > s.nominal->accounts.size() && items.size() > 1;
    Finding& f = findings.Add(
        "no-category", Severity::Warning, "Nominal accounts with no category in the chosen chart",
        most ? "Most nominal accounts fall in no category of the chart of accounts that was "
               "chosen: that is usually the wrong chart. Export again and choose the chart the "
               "company reports with (Sage: Nominal Codes > Chart of Accounts)."
             : "These accounts fall outside every category range of the chosen chart, so the "
               "service cannot tell where they belong in the balance sheet or profit and loss. "
               "In Sage, add their codes to a category of the chart (Nominal Codes > Chart of "
               "Accounts > Edit), then export again.");
    f.items = std::move(items);
}

void CheckLedgerBalances(const Scans& s, Findings& findings) {
    Finding& f = findings.Add(
        "balance-outstanding", Severity::Warning,
        "Account balances that differ from their outstanding transactions",
        "The balance Sage keeps for these customers or suppliers is not the sum of what their "
        "transactions still have outstanding, so their opening balance and their open items "
        "will disagree after the import. In Sage, run the Data Check and correct the "
        "allocations it reports.");
    const auto check = [&](const AccountsScan* ledger, const TransactionsScan* transactions,
                           const char* name) {
        if (ledger == nullptr) {
            return;
        }
        for (const LedgerAccount& account : ledger->accounts) {
            DecimalSum outstanding;
            if (transactions != nullptr) {
                if (const auto found = transactions->ages.find(account.code);
                    found != transactions->ages.end()) {
                    outstanding = found->second.outstanding;
                }
            }
            if (!(outstanding == account.balance)) {
                f.items.push_back({{"ledger", Text(name)},
                                   {"account", Text(Utf8(account.code))},
                                   {"balance", Money(account.balance)},
                                   {"outstanding", Money(outstanding)}});
            }
        }
    };
    check(s.sales, s.salesTransactions, "sales");
    check(s.purchase, s.purchaseTransactions, "purchase");
}

void CheckControlAccounts(const Scans& s, Findings& findings) {
    Finding& debtors = findings.Add(
        "debtors-control", Severity::Warning,
        "The debtors control account differs from the customers' balances",
        "The nominal debtors control account should hold the sum of all customer balances. "
        "A difference usually comes from journals posted to the control account directly; "
        "find and reverse them in Sage, or run the Data Check, then export again.");
    Finding& creditors = findings.Add(
        "creditors-control", Severity::Warning,
        "The creditors control account differs from the suppliers' balances",
        "The nominal creditors control account should hold minus the sum of all supplier "
        "balances. A difference usually comes from journals posted to the control account "
        "directly; find and reverse them in Sage, or run the Data Check, then export again.");
    Finding& missing = findings.Add(
        "control-account-missing", Severity::Note, "No control account to compare the ledgers with",
        "Neither the default control account code nor an account named as one is in the "
        "nominal ledger, so the customer or supplier balances were not compared with it.");
    const auto compare = [&](const AccountsScan* ledger, const char* code, const char* nameHolds,
                             const char* ledgerName, Finding& differs, bool negate) {
        if (ledger == nullptr) {
            return;
        }
        DecimalSum ledgerTotal;
        for (const LedgerAccount& account : ledger->accounts) {
            ledgerTotal.Add(account.balance);
        }
        const NominalAccount* control = ControlAccount(s, code, nameHolds);
        if (control == nullptr) {
            missing.items.push_back({{"ledger", Text(ledgerName)}, {"tried", Text(code)}});
            return;
        }
        DecimalSum expected;
        if (negate) {
            expected.Subtract(ledgerTotal);
        } else {
            expected.Add(ledgerTotal);
        }
        if (!(expected == control->balance)) {
            differs.items.push_back({{"account", Text(Utf8(control->code))},
                                     {"balance", Money(control->balance)},
                                     {"ledgerTotal", Money(expected)}});
        }
    };
    compare(s.sales, DebtorsControlCode, "debtors control", "sales", debtors, false);
    compare(s.purchase, CreditorsControlCode, "creditors control", "purchase", creditors, true);
}

void CheckDates(const Scans& s, const ReportHeader& header, Findings& findings) {
    Finding& future = findings.Add(
        "future-date", Severity::Warning, "Transactions dated after the export",
        "These transactions are dated after " + IsoDate(header.exportDate) +
            ", the day of the export: usually a mistyped year. Correct the date in Sage if it "
            "is wrong; the service imports them as they are.");
    Finding& none = findings.Add(
        "no-date", Severity::Warning, "Transactions with no date",
        "These transactions have no date the table can give (or one that cannot be read), "
        "so the service cannot place them in a period. Correct them in Sage and export "
        "again.");
    for (const TransactionsScan* scan :
         {s.salesTransactions, s.purchaseTransactions, s.otherTransactions}) {
        if (scan == nullptr) {
            continue;
        }
        for (const LineItem& item : scan->futureDates) {
            future.items.push_back({{"table", Text(scan->FileName())},
                                    {"line", Number(item.line)},
                                    {"transaction", Text(Utf8(item.transaction))},
                                    {"date", Text(item.value)}});
        }
        for (const LineItem& item : scan->noDates) {
            none.items.push_back({{"table", Text(scan->FileName())},
                                  {"line", Number(item.line)},
                                  {"transaction", Text(Utf8(item.transaction))},
                                  {"text", Text(Utf8(item.value))}});
        }
    }
}

void CheckReferencesTwice(const Scans& s, Findings& findings) {
    Finding& f = findings.Add(
        "duplicate-reference", Severity::Warning,
        "The same invoice reference twice for one account",
        "Two transactions of the same type on the same account carry the same reference; the "
        "service may take the second for a copy of the first and refuse or merge it. Give "
        "one of them a reference of its own in Sage, or check it was not entered twice.");
    for (const TransactionsScan* scan : {s.salesTransactions, s.purchaseTransactions}) {
        if (scan == nullptr) {
            continue;
        }
        for (const DuplicateReference& d : scan->duplicates) {
            f.items.push_back({{"table", Text(scan->FileName())},
                               {"type", Text(Utf8(d.type))},
                               {"account", Text(Utf8(d.account))},
                               {"reference", Text(Utf8(d.reference))},
                               {"transaction", Text(Utf8(d.transaction))},
                               {"firstTransaction", Text(Utf8(d.firstTransaction))}});
        }
    }
}

void CheckLosses(const ControlTotals& totals, Findings& findings) {
    Finding& replaced = findings.Add(
        "replaced-characters", Severity::Warning,
        "Characters the tables cannot hold, written as \"?\"",
        "The tables are written in the Windows-1252 code page, which lacks these characters: "
        "each is written as \"?\". Check the names after the import, or replace the "
        "characters in Sage (a Polish \"\xC5\x81\" by \"L\", say) before exporting.");
    Finding& rounded = findings.Add(
        "rounded-decimals", Severity::Warning,
        "Values with more decimal places than the tables hold",
        "The tables write numbers to four decimal places; these values have more and were "
        "rounded, half away from zero. The control totals allow for that rounding. If the "
        "extra places matter (unit prices, quantities), note the values before moving.");
    for (const TableTotals& table : totals.tables) {
        for (const ColumnLoss& loss : table.losses) {
            Finding& f = loss.loss == ValueLoss::Replaced ? replaced : rounded;
            FindingItem item = {{"table", Text(table.fileName)},
                                {"column", Text(loss.column)},
                                {"values", Number(loss.values)}};
            if (!loss.examples.empty()) {
                const ColumnLoss::Example& e = loss.examples.front();
                item.push_back({"line", Number(e.line)});
                item.push_back({"source", Text(e.source)});
                item.push_back({"written", Text(Utf8(e.written))});
            }
            f.items.push_back(std::move(item));
        }
    }
}

void AddNotes(const Scans& s, Findings& findings) {
    Finding& hold = findings.Add("on-hold", Severity::Note, "Accounts on hold",
                                 "These accounts are on hold in Sage; the service may not "
                                 "carry that over. Set them on hold there after the import.");
    Finding& over =
        findings.Add("over-credit-limit", Severity::Note, "Accounts over their credit limit",
                     "The balance of these accounts exceeds their credit limit.");
    Finding& unused = findings.Add(
        "never-used", Severity::Note, "Accounts never used",
        "These accounts have no transaction and a zero balance. They are exported all the "
        "same; leave them out in the service if you no longer need them.");
    const auto ledgerNotes = [&](const AccountsScan* ledger, const TransactionsScan* transactions,
                                 const char* name) {
        if (ledger == nullptr) {
            return;
        }
        for (const LedgerAccount& account : ledger->accounts) {
            const ItemValue code = Text(Utf8(account.code));
            const ItemValue title = Text(Utf8(account.name));
            if (account.onHold) {
                hold.items.push_back({{"ledger", Text(name)},
                                      {"account", code},
                                      {"name", title},
                                      {"balance", Money(account.balance)}});
            }
            DecimalSum excess = account.balance;
            excess.Subtract(account.creditLimit);
            if (!account.creditLimit.IsZero() && !account.creditLimit.IsNegative() &&
                !excess.IsZero() && !excess.IsNegative()) {
                over.items.push_back({{"ledger", Text(name)},
                                      {"account", code},
                                      {"name", title},
                                      {"balance", Money(account.balance)},
                                      {"creditLimit", Money(account.creditLimit)}});
            }
            const bool used =
                transactions != nullptr && transactions->accountsUsed.count(account.code) > 0;
            if (!used && account.balance.IsZero()) {
                unused.items.push_back(
                    {{"ledger", Text(name)}, {"account", code}, {"name", title}});
            }
        }
    };
    ledgerNotes(s.sales, s.salesTransactions, "sales");
    ledgerNotes(s.purchase, s.purchaseTransactions, "purchase");
    if (s.nominal != nullptr) {
        for (const NominalAccount& account : s.nominal->accounts) {
            bool used = false;
            for (const TransactionsScan* scan :
                 {s.salesTransactions, s.purchaseTransactions, s.otherTransactions}) {
                used = used || (scan != nullptr && scan->nominalsUsed.count(account.code) > 0);
            }
            used = used || (s.otherTransactions != nullptr &&
                            s.otherTransactions->accountsUsed.count(account.code) > 0);
            for (const AllocationsScan* scan : {s.payments, s.receipts}) {
                used = used || (scan != nullptr && scan->banks.count(account.code) > 0);
            }
            if (!used && account.balance.IsZero()) {
                unused.items.push_back({{"ledger", Text("nominal")},
                                        {"account", Text(Utf8(account.code))},
                                        {"name", Text(Utf8(account.name))}});
            }
        }
    }
}

void AddHistoryNote(const History& history, Findings& findings) {
    Finding& f = findings.Add("history", Severity::Note, "The history that moves",
                              "The span of the transactions exported and their number. "
                              "Compare them with the service's after the import.");
    f.items.push_back({{"first", history.first ? Text(IsoDate(*history.first)) : ItemValue::Null()},
                       {"last", history.last ? Text(IsoDate(*history.last)) : ItemValue::Null()},
                       {"transactions", Number(history.transactions)}});
}

TrialBalance MakeTrialBalance(const Scans& s, const std::vector<std::string>& categoryOrder) {
    TrialBalance tb;
    if (s.nominal == nullptr) {
        return tb;
    }
    std::vector<std::string> order;
    const auto place = [&order](const std::string& name) {
        if (std::find(order.begin(), order.end(), name) == order.end()) {
            order.push_back(name);
        }
    };
    for (const std::string& name : categoryOrder) {
        place(name);
    }
    for (const NominalAccount& account : s.nominal->accounts) {
        if (!account.category.empty()) {
            place(Utf8(account.category));
        }
    }
    order.push_back("");  // accounts in no category, last
    for (const std::string& name : order) {
        TrialBalanceCategory category;
        category.name = name;
        for (const NominalAccount& account : s.nominal->accounts) {
            if (Utf8(account.category) != name) {
                continue;
            }
            TrialBalanceLine line{Utf8(account.code), Utf8(account.name), {}, {}};
            if (account.balance.IsNegative()) {
                line.credit.Subtract(account.balance);
            } else {
                line.debit.Add(account.balance);
            }
            category.debit.Add(line.debit);
            category.credit.Add(line.credit);
            category.accounts.push_back(std::move(line));
        }
        if (!category.accounts.empty()) {
            tb.debit.Add(category.debit);
            tb.credit.Add(category.credit);
            tb.categories.push_back(std::move(category));
        }
    }
    return tb;
}

AgedLedger MakeAged(const AccountsScan* ledger, const TransactionsScan* transactions) {
    AgedLedger aged;
    if (transactions == nullptr) {
        return aged;
    }
    std::vector<std::string> codes;
    if (ledger != nullptr) {
        for (const LedgerAccount& account : ledger->accounts) {
            codes.push_back(account.code);
        }
    }
    std::vector<std::string> unlisted;
    for (const auto& [code, ages] : transactions->ages) {
        if (ledger == nullptr || ledger->byCode.count(code) == 0) {
            unlisted.push_back(code);
        }
    }
    std::sort(unlisted.begin(), unlisted.end());
    codes.insert(codes.end(), unlisted.begin(), unlisted.end());
    for (const std::string& code : codes) {
        const auto found = transactions->ages.find(code);
        if (found == transactions->ages.end()) {
            continue;
        }
        AgedAccount account;
        account.account = Utf8(code);
        if (ledger != nullptr) {
            if (const auto named = ledger->byCode.find(code); named != ledger->byCode.end()) {
                account.name = Utf8(ledger->accounts[named->second].name);
            }
        }
        bool any = false;
        for (int b = 0; b < AgeBands; ++b) {
            account.bands[b] = found->second.bands[b];
            account.total.Add(account.bands[b]);
            any = any || !account.bands[b].IsZero();
        }
        if (!any) {
            continue;
        }
        for (int b = 0; b < AgeBands; ++b) {
            aged.totals[b].Add(account.bands[b]);
        }
        aged.total.Add(account.total);
        aged.accounts.push_back(std::move(account));
    }
    return aged;
}

std::vector<BankLine> MakeBanks(const Scans& s) {
    std::map<std::string, BankLine> lines;
    const auto add = [&](const AllocationsScan* scan, bool payments) {
        if (scan == nullptr) {
            return;
        }
        for (const auto& [code, figures] : scan->banks) {
            BankLine& line = lines[code];
            line.code = Utf8(code);
            if (s.nominal != nullptr) {
                if (const auto named = s.nominal->byCode.find(code);
                    named != s.nominal->byCode.end()) {
                    line.name = Utf8(s.nominal->accounts[named->second].name);
                }
            }
            (payments ? line.payments : line.receipts) += figures.count;
            (payments ? line.paid : line.received).Add(figures.amount);
        }
    };
    add(s.payments, true);
    add(s.receipts, false);
    std::vector<BankLine> banks;
    for (auto& [code, line] : lines) {
        banks.push_back(std::move(line));
    }
    return banks;
}

History MakeHistory(const Scans& s) {
    History history;
    for (const TransactionsScan* scan :
         {s.salesTransactions, s.purchaseTransactions, s.otherTransactions}) {
        if (scan == nullptr) {
            continue;
        }
        history.transactions += scan->transactions;
        for (const auto& [type, count] : scan->types) {
            history.types[Utf8(type)] += count;
        }
        if (scan->first && (!history.first || *scan->first < *history.first)) {
            history.first = scan->first;
        }
        if (scan->last && (!history.last || *history.last < *scan->last)) {
            history.last = scan->last;
        }
    }
    return history;
}

}  // namespace

const char* SeverityName(Severity severity) {
    switch (severity) {
        case Severity::Error:
            return "error";
        case Severity::Warning:
            return "warning";
        case Severity::Note:
            break;
    }
    return "note";
}

int MigrationReport::Count(Severity severity) const {
    int count = 0;
    for (const Finding& f : findings) {
        count += f.severity == severity;
    }
    return count;
}

MigrationReport MakeMigrationReport(ReportHeader header,
                                    const std::vector<std::unique_ptr<TableScan>>& scans,
                                    const ControlTotals& totals,
                                    const std::vector<std::string>& categoryOrder) {
    const Scans s{
        Find<AccountsScan>(scans, Ledger::SalesAccounts),
        Find<AccountsScan>(scans, Ledger::PurchaseAccounts),
        Find<NominalScan>(scans, Ledger::NominalAccounts),
        Find<TransactionsScan>(scans, Ledger::SalesTransactions),
        Find<TransactionsScan>(scans, Ledger::PurchaseTransactions),
        Find<TransactionsScan>(scans, Ledger::OtherTransactions),
        Find<AllocationsScan>(scans, Ledger::Payments),
        Find<AllocationsScan>(scans, Ledger::Receipts),
    };
    MigrationReport report;
    for (const auto& scan : scans) {
        report.tables.push_back({scan->FileName(), scan->Records(), scan->Bytes()});
    }
    report.history = MakeHistory(s);

    Findings findings;
    CheckTrialBalance(s, findings);
    CheckControlTotals(totals, findings);
    CheckReferences(s, findings);
    CheckCategories(s, findings);
    CheckLedgerBalances(s, findings);
    CheckControlAccounts(s, findings);
    CheckDates(s, header, findings);
    CheckReferencesTwice(s, findings);
    CheckLosses(totals, findings);
    AddNotes(s, findings);
    AddHistoryNote(report.history, findings);
    report.findings = findings.Present();

    report.header = std::move(header);
    report.controlTotals = totals;
    report.trialBalance = MakeTrialBalance(s, categoryOrder);
    report.agedDebtors = MakeAged(s.sales, s.salesTransactions);
    report.agedCreditors = MakeAged(s.purchase, s.purchaseTransactions);
    report.banks = MakeBanks(s);
    return report;
}

}  // namespace quillmere
