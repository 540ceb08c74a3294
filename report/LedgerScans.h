#pragma once
// What the migration report gathers from each table as its lines pass: one
// scan per table file, each with figures of its own, so that tables read on
// different threads never share anything until the report is made.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "export/DecimalSum.h"
#include "platform/System.h"
#include "report/TableLines.h"
#include "sage/DatePicture.h"
#include "sage/LedgerExports.h"

namespace quillmere {

// Lookups by a view of the line without a string made for each.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
        return std::hash<std::string_view>()(text);
    }
};
template <class Value>
using TextMap = std::unordered_map<std::string, Value, TextHash, std::equal_to<>>;

// Where a value was first met, and how often.
struct Usage {
    long long count = 0;
    long long line = 0;
    std::string transaction;
};

// An item of a finding met while reading: the line and the values shown.
struct LineItem {
    long long line = 0;
    std::string transaction;
    std::string value;  // the date text, the account, ...
};

struct LedgerAccount {
    std::string code;
    std::string name;
    DecimalSum balance;
    DecimalSum creditLimit;
    bool onHold = false;
    long long line = 0;
};

struct NominalAccount {
    std::string code;
    std::string name;
    DecimalSum balance;
    std::string category;
};

// An account's outstanding transactions: in all and by age band.
inline constexpr int AgeBands = 5;
struct AccountAges {
    DecimalSum outstanding;
    DecimalSum bands[AgeBands];
};

struct DuplicateReference {
    std::string type;
    std::string account;
    std::string reference;
    std::string transaction;
    std::string firstTransaction;
};

struct BankFigures {
    long long count = 0;
    DecimalSum amount;
    Usage usage;  // the first line that names the bank code
};

// What every scan shares: the header's columns by name, the line count.
class TableScan {
  public:
    TableScan(Ledger ledger, std::string fileName)
        : ledger_(ledger), fileName_(std::move(fileName)) {}
    virtual ~TableScan() = default;

    // Each line of the file in turn, the header first.
    void Line(std::string_view line, long long number);
    // The bytes of the file as they are read.
    void Feed(std::string_view bytes) { lines_.Feed(bytes); }
    // Marks the file as read to its end.
    void Finish();

    Ledger ledger() const { return ledger_; }
    const std::string& FileName() const { return fileName_; }
    long long Records() const { return records_; }
    long long Bytes() const { return bytes_; }
    bool Complete() const { return complete_; }
    // Starts again (the file is read once more).
    void Restart();

  protected:
    // The field of a header column (blanks around names do not count);
    // missing columns read as empty values.
    std::size_t Column(std::string_view name) const;
    virtual void Header() = 0;
    virtual void Record(const LineFields& fields, long long number) = 0;
    virtual void Reset() = 0;
    // The file was read to its end: what only reading needed can go.
    virtual void Done() {}

  private:
    Ledger ledger_;
    std::string fileName_;
    std::vector<std::string> header_;
    LineFields fields_;
    TableLines lines_{[this](std::string_view line, long long number) { Line(line, number); }};
    long long records_ = 0;
    long long bytes_ = 0;
    bool complete_ = false;
};

// Sales Ledger Codes.csv, Purchase Ledger Codes.csv.
class AccountsScan : public TableScan {
  public:
    using TableScan::TableScan;
    std::vector<LedgerAccount> accounts;
    TextMap<std::size_t> byCode;

  protected:
    void Header() override;
    void Record(const LineFields& fields, long long number) override;
    void Reset() override;

  private:
    std::size_t code_ = 0, name_ = 0, balance_ = 0, limit_ = 0, hold_ = 0;
};

// Nominal Ledger Codes.csv.
class NominalScan : public TableScan {
  public:
    using TableScan::TableScan;
    std::vector<NominalAccount> accounts;
    TextMap<std::size_t> byCode;

  protected:
    void Header() override;
    void Record(const LineFields& fields, long long number) override;
    void Reset() override;

  private:
    std::size_t code_ = 0, name_ = 0, balance_ = 0, category_ = 0;
};

// How the dates of the tables read, and the day their ages count from.
struct DateReading {
    std::string picture;  // the short date format the tables were written with
    RegionalSettings settings;
    CivilDate exportDate;
};

// The three transaction tables. Each transaction's journal lines follow
// one another (the tables are in transaction order) and repeat the split's
// values: a transaction counts once, at its first line.
class TransactionsScan : public TableScan {
  public:
    TransactionsScan(Ledger ledger, std::string fileName, DateReading dates);

    long long transactions = 0;
    std::map<std::string, long long> types;
    std::optional<CivilDate> first, last;
    std::vector<LineItem> futureDates;  // value: the date, ISO
    std::vector<LineItem> noDates;      // value: the text, empty for none
    TextMap<Usage> accountsUsed;        // ACCOUNT, per transaction
    TextMap<Usage> nominalsUsed;        // NOMINAL, per journal line
    TextMap<AccountAges> ages;          // sales and purchase ledgers only
    std::vector<DuplicateReference> duplicates;

  protected:
    void Header() override;
    void Record(const LineFields& fields, long long number) override;
    void Reset() override;
    void Done() override;

  private:
    std::optional<CivilDate> ReadDate(std::string_view text);
    void CheckReference(const LineFields& fields);

    DateReading dates_;
    long long exportDay_ = 0;
    std::size_t number_ = 0, type_ = 0, date_ = 0, account_ = 0, reference_ = 0, nominal_ = 0,
                outstanding_ = 0;
    std::string current_;  // the transaction of the last line
    std::string lastDateText_;
    std::optional<CivilDate> lastDate_;
    // References met so far: a hash of type, account and reference and
    // the transaction it was first met in, in a table of open addressing (a
    // map of strings would take several times the memory on a large ledger).
    struct Reference {
        std::uint64_t hash = 0;  // 0: a free slot
        std::uint32_t at = 0;    // the first transaction's text in texts_
        std::uint32_t size = 0;
    };
    std::vector<Reference> references_;
    std::size_t referenceCount_ = 0;
    std::string texts_;
};

// Payments.csv, Receipts.csv.
class AllocationsScan : public TableScan {
  public:
    using TableScan::TableScan;
    std::map<std::string, BankFigures> banks;

  protected:
    void Header() override;
    void Record(const LineFields& fields, long long number) override;
    void Reset() override;

  private:
    std::size_t reference_ = 0, bank_ = 0, amount_ = 0;
};

// The scan for a table of the export.
std::unique_ptr<TableScan> MakeTableScan(Ledger ledger, const std::string& fileName,
                                         const DateReading& dates);

// Whether a transaction of this type reduces what is owed (credit notes and
// payments on account): its OUTSTANDING is subtracted (its magnitude, so
// that a negative amount reduces the debt too).
bool ReducesOutstanding(std::string_view type);

// The age band of a transaction dated `date` at the export date: 0 Current
// (up to 30 days, and future dates), 1 31-60, 2 61-90, 3 91-120, 4 Older (and
// no date).
int AgeBand(const std::optional<CivilDate>& date, const CivilDate& exportDate);

}  // namespace quillmere
