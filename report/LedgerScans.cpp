#include "report/LedgerScans.h"

#include <algorithm>

#include "platform/CodePage.h"

namespace quillmere {

namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

// A money value as written; an empty value is zero, one that is no number
// adds nothing (the control totals report those).
void AddMoney(DecimalSum& sum, std::string_view text) {
    if (!text.empty()) {
        sum.Add(text);
    }
}

void Use(TextMap<Usage>& used, std::string_view key, long long line, std::string_view transaction) {
    auto found = used.find(key);
    if (found == used.end()) {
        found = used.emplace(std::string(key), Usage{0, line, std::string(transaction)}).first;
    }
    ++found->second.count;
}

std::uint64_t ReferenceHash(std::string_view type, std::string_view account,
                            std::string_view reference) {
    std::uint64_t hash = 14695981039346656037ull;
    const auto mix = [&hash](std::string_view text) {
        for (const char c : text) {
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        }
        hash = (hash ^ 0x1F) * 1099511628211ull;  // a separator no value holds
    };
    mix(type);
    mix(account);
    mix(reference);
    return hash == 0 ? 1 : hash;
}

}  // namespace

void TableScan::Line(std::string_view line, long long number) {
    bytes_ += static_cast<long long>(line.size()) + 2;
    fields_.Split(line);
    if (number == 1) {
        header_.clear();
        for (std::size_t i = 0; i < fields_.Size(); ++i) {
            header_.emplace_back(Trimmed(fields_[i]));
        }
        Header();
        return;
    }
    ++records_;
    Record(fields_, number);
}

void TableScan::Finish() {
    lines_.Finish();
    complete_ = true;
    Done();
}

void TableScan::Restart() {
    lines_ = TableLines([this](std::string_view line, long long number) { Line(line, number); });
    header_.clear();
    records_ = 0;
    bytes_ = 0;
    complete_ = false;
    Reset();
}

std::size_t TableScan::Column(std::string_view name) const {
    const auto found = std::find(header_.begin(), header_.end(), name);
    // Past every field: reads as an empty value.
    return found == header_.end() ? static_cast<std::size_t>(-1)
                                  : static_cast<std::size_t>(found - header_.begin());
}

void AccountsScan::Header() {
    code_ = Column("ACCOUNT_CODE");
    name_ = Column("ACCOUNT_NAME");
    balance_ = Column("BALANCE");
    limit_ = Column("CREDIT_LIMIT");
    hold_ = Column("ACCOUNT_ON_HOLD");
}

void AccountsScan::Record(const LineFields& fields, long long number) {
    LedgerAccount account;
    account.code = fields[code_];
    account.name = fields[name_];
    AddMoney(account.balance, fields[balance_]);
    AddMoney(account.creditLimit, fields[limit_]);
    const std::string_view hold = fields[hold_];
    account.onHold = !hold.empty() && hold != "0" && hold != "False";
    account.line = number;
    byCode.emplace(account.code, accounts.size());
    accounts.push_back(std::move(account));
}

void AccountsScan::Reset() {
    accounts.clear();
    byCode.clear();
}

void NominalScan::Header() {
    code_ = Column("ACCOUNT_REF");
    name_ = Column("ACCOUNT_NAME");
    balance_ = Column("BALANCE");
    category_ = Column("CATEGORY");
}

void NominalScan::Record(const LineFields& fields, long long) {
    NominalAccount account;
    account.code = fields[code_];
    account.name = fields[name_];
    AddMoney(account.balance, fields[balance_]);
    account.category = fields[category_];
    byCode.emplace(account.code, accounts.size());
    accounts.push_back(std::move(account));
}

void NominalScan::Reset() {
    accounts.clear();
    byCode.clear();
}

TransactionsScan::TransactionsScan(Ledger ledger, std::string fileName, DateReading dates)
    : TableScan(ledger, std::move(fileName)),
      dates_(std::move(dates)),
      exportDay_(DaysSinceEpoch(dates_.exportDate)) {}

void TransactionsScan::Header() {
    number_ = Column("TRANSACTION_NO");
    type_ = Column("TRANSACTION_TYPE");
    date_ = Column("TRANSACTION_DATE");
    account_ = Column("ACCOUNT");
    reference_ = Column("INV_REF");
    nominal_ = Column("NOMINAL");
    outstanding_ = Column("OUTSTANDING");
}

std::optional<CivilDate> TransactionsScan::ReadDate(std::string_view text) {
    // Journal lines and neighbouring transactions mostly share a date.
    if (text != lastDateText_) {
        lastDateText_ = text;
        lastDate_ = ParseDatePicture(Utf8FromCp1252(text), dates_.picture, dates_.settings);
    }
    return lastDate_;
}

void TransactionsScan::Record(const LineFields& fields, long long number) {
    const std::string_view transaction = fields[number_];
    Use(nominalsUsed, fields[nominal_], number, transaction);
    if (transaction == current_ && number > 2) {
        return;  // another journal line of the same transaction
    }
    current_ = transaction;
    ++transactions;
    const std::string_view type = fields[type_];
    ++types[std::string(type)];
    const std::string_view account = fields[account_];
    Use(accountsUsed, account, number, transaction);

    const std::string_view dateText = fields[date_];
    const std::optional<CivilDate> date = ReadDate(dateText);
    if (!date) {
        noDates.push_back({number, std::string(transaction), std::string(dateText)});
    } else {
        if (!first || *date < *first) {
            first = date;
        }
        if (!last || *last < *date) {
            last = date;
        }
        if (DaysSinceEpoch(*date) > exportDay_) {
            futureDates.push_back({number, std::string(transaction), IsoDate(*date)});
        }
    }
    if (ledger() == Ledger::OtherTransactions) {
        return;
    }
    AccountAges& owed = ages[std::string(account)];
    const std::string_view outstanding = fields[outstanding_];
    if (!outstanding.empty()) {
        const int band = AgeBand(date, dates_.exportDate);
        if (ReducesOutstanding(type)) {
            // Sage keeps these amounts positive; books that keep them as
            // negative amounts reduce what is owed just the same.
            const std::string_view magnitude =
                outstanding.front() == '-' ? outstanding.substr(1) : outstanding;
            owed.outstanding.Subtract(magnitude);
            owed.bands[band].Subtract(magnitude);
        } else {
            owed.outstanding.Add(outstanding);
            owed.bands[band].Add(outstanding);
        }
    }
    CheckReference(fields);
}

void TransactionsScan::CheckReference(const LineFields& fields) {
    const std::string_view reference = fields[reference_];
    if (reference.empty()) {
        return;
    }
    if (referenceCount_ * 2 >= references_.size()) {
        // Twice the room, every reference placed again.
        std::vector<Reference> grown(std::max<std::size_t>(1024, references_.size() * 2));
        for (const Reference& r : references_) {
            if (r.hash != 0) {
                std::size_t at = r.hash & (grown.size() - 1);
                while (grown[at].hash != 0) {
                    at = (at + 1) & (grown.size() - 1);
                }
                grown[at] = r;
            }
        }
        references_.swap(grown);
    }
    const std::string_view type = fields[type_];
    const std::string_view account = fields[account_];
    const std::string_view transaction = fields[number_];
    const std::uint64_t hash = ReferenceHash(type, account, reference);
    std::size_t at = hash & (references_.size() - 1);
    while (references_[at].hash != 0) {
        if (references_[at].hash == hash) {
            const Reference& met = references_[at];
            duplicates.push_back({std::string(type), std::string(account), std::string(reference),
                                  std::string(transaction), texts_.substr(met.at, met.size)});
            return;
        }
        at = (at + 1) & (references_.size() - 1);
    }
    references_[at] = {hash, static_cast<std::uint32_t>(texts_.size()),
                       static_cast<std::uint32_t>(transaction.size())};
    texts_.append(transaction);
    ++referenceCount_;
}

void TransactionsScan::Done() {
    // Repeated references are found while the table is read; the table of
    // those met is not needed after it.
    std::vector<Reference>().swap(references_);
    referenceCount_ = 0;
    std::string().swap(texts_);
}

void TransactionsScan::Reset() {
    transactions = 0;
    types.clear();
    first.reset();
    last.reset();
    futureDates.clear();
    noDates.clear();
    accountsUsed.clear();
    nominalsUsed.clear();
    ages.clear();
    duplicates.clear();
    current_.clear();
    lastDateText_.clear();
    lastDate_.reset();
    references_.clear();
    referenceCount_ = 0;
    texts_.clear();
}

void AllocationsScan::Header() {
    reference_ = Column("REFERENCE");
    bank_ = Column("BANK CODE");
    amount_ = Column("AMOUNT");
}

void AllocationsScan::Record(const LineFields& fields, long long number) {
    const std::string_view code = fields[bank_];
    auto found = banks.find(std::string(code));
    if (found == banks.end()) {
        found = banks.emplace(std::string(code), BankFigures{}).first;
        found->second.usage = {0, number, std::string(fields[reference_])};
    }
    ++found->second.count;
    ++found->second.usage.count;
    AddMoney(found->second.amount, fields[amount_]);
}

void AllocationsScan::Reset() {
    banks.clear();
}

std::unique_ptr<TableScan> MakeTableScan(Ledger ledger, const std::string& fileName,
                                         const DateReading& dates) {
    switch (ledger) {
        case Ledger::SalesAccounts:
        case Ledger::PurchaseAccounts:
            return std::make_unique<AccountsScan>(ledger, fileName);
        case Ledger::NominalAccounts:
            return std::make_unique<NominalScan>(ledger, fileName);
        case Ledger::SalesTransactions:
        case Ledger::PurchaseTransactions:
        case Ledger::OtherTransactions:
            return std::make_unique<TransactionsScan>(ledger, fileName, dates);
        case Ledger::Payments:
        case Ledger::Receipts:
            break;
    }
    return std::make_unique<AllocationsScan>(ledger, fileName);
}

bool ReducesOutstanding(std::string_view type) {
    return type == "SC" || type == "SA" || type == "PC" || type == "PA";
}

int AgeBand(const std::optional<CivilDate>& date, const CivilDate& exportDate) {
    if (!date) {
        return AgeBands - 1;
    }
    const long long days = DaysSinceEpoch(exportDate) - DaysSinceEpoch(*date);
    if (days <= 30) {
        return 0;
    }
    return days <= 60 ? 1 : days <= 90 ? 2 : days <= 120 ? 3 : 4;
}

}  // namespace quillmere
