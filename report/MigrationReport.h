#pragma once
// The migration report of an export run: whether the books are fit to move
// and the figures to compare after the import, made from what the tables
// hold as written (LedgerScans) and from the control totals. Every text is
// UTF-8; money is exact (DecimalSum).
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "export/ControlTotals.h"
#include "export/DecimalSum.h"
#include "report/LedgerScans.h"
#include "sage/DatePicture.h"

namespace quillmere {

enum class Severity { Error, Warning, Note };

// "error", "warning", "note".
const char* SeverityName(Severity severity);

// A value of a finding's item: a text, a whole number, or nothing.
struct ItemValue {
    enum class Kind { Text, Number, Null };
    Kind kind = Kind::Null;
    std::string text;  // the number's digits for a Number
    static ItemValue Text(std::string text) { return {Kind::Text, std::move(text)}; }
    static ItemValue Number(long long n) { return {Kind::Number, std::to_string(n)}; }
    static ItemValue Null() { return {}; }
};
// Its fields by name; the names are the program's own constants.
using FindingItem = std::vector<std::pair<const char*, ItemValue>>;

struct Finding {
    std::string code;
    Severity severity = Severity::Note;
    std::string title;   // what it is, one line
    std::string advice;  // what it means and what to do in Sage
    long long count = 0;
    std::vector<FindingItem> items;
};

struct ReportHeader {
    std::string company;
    std::string dataSource;
    std::string chart;
    std::string exportedAt;  // local time, YYYY-MM-DDTHH:MM:SS
    CivilDate exportDate;
    std::string programVersion;
    std::string archiveName;
    long long archiveBytes = 0;
    std::string archiveSha256;
};

struct TableFacts {
    std::string file;
    long long records = 0;
    long long bytes = 0;
};

struct TrialBalanceLine {
    std::string account;
    std::string name;
    DecimalSum debit;
    DecimalSum credit;
};

struct TrialBalanceCategory {
    std::string name;  // "" for accounts in no category
    std::vector<TrialBalanceLine> accounts;
    DecimalSum debit;
    DecimalSum credit;
};

struct TrialBalance {
    std::vector<TrialBalanceCategory> categories;
    DecimalSum debit;
    DecimalSum credit;
};

inline constexpr const char* AgeBandNames[AgeBands] = {"Current", "31-60", "61-90", "91-120",
                                                       "Older"};

struct AgedAccount {
    std::string account;
    std::string name;
    DecimalSum bands[AgeBands];
    DecimalSum total;
};

struct AgedLedger {
    std::vector<AgedAccount> accounts;
    DecimalSum totals[AgeBands];
    DecimalSum total;
};

struct BankLine {
    std::string code;
    std::string name;
    long long payments = 0;
    DecimalSum paid;
    long long receipts = 0;
    DecimalSum received;
};

struct History {
    std::optional<CivilDate> first;
    std::optional<CivilDate> last;
    long long transactions = 0;
    std::map<std::string, long long> types;
};

struct MigrationReport {
    ReportHeader header;
    std::vector<TableFacts> tables;
    std::vector<Finding> findings;  // errors, then warnings, then notes
    ControlTotals controlTotals;
    TrialBalance trialBalance;
    AgedLedger agedDebtors;
    AgedLedger agedCreditors;
    std::vector<BankLine> banks;
    History history;

    int Count(Severity severity) const;
};

// The report of the scans (one per table, read to their end) and the
// control totals of the same run; `categoryOrder` names the chart's
// categories in its order.
MigrationReport MakeMigrationReport(ReportHeader header,
                                    const std::vector<std::unique_ptr<TableScan>>& scans,
                                    const ControlTotals& totals,
                                    const std::vector<std::string>& categoryOrder);

}  // namespace quillmere
