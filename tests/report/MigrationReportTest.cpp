// The migration report without a data source: dates read back as the tables
// write them, table bytes cut into lines however they arrive, the archive's
// SHA-256, and the findings and figures of small books made one fault at a
// time.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/Exceptions.h"
#include "platform/Files.h"
#include "report/LedgerScans.h"
#include "report/MigrationReport.h"
#include "report/ReportHtml.h"
#include "report/ReportJson.h"
#include "report/ReportRun.h"
#include "report/Sha256.h"
#include "report/TableLines.h"
#include "sage/DatePicture.h"
#include "support/TempDir.h"

namespace quillmere {
namespace {

// --- Dates as the tables write them --------------------------------------------

TEST(ReadDates, TheTextsThePictureWritesReadBackAndNothingElse) {
    RegionalSettings german;
    german.monthNames = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                         "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
    german.abbreviatedMonthNames = {"Jan", "Feb", "Mär", "Apr", "Mai", "Jun",
                                    "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
    const RegionalSettings english;
    struct Case {
        std::string picture;
        std::string text;
        const RegionalSettings* settings;
        std::optional<CivilDate> date;
    } const cases[] = {
        {"dd/MM/yyyy", "01/04/2025", &english, CivilDate{2025, 4, 1}},
        {"d/M/yyyy", "1/4/2025", &english, CivilDate{2025, 4, 1}},
        {"yyyy-MM-dd", "2024-02-29", &english, CivilDate{2024, 2, 29}},
        {"MM/dd/yy", "12/31/49", &english, CivilDate{2049, 12, 31}},
        {"MM/dd/yy", "01/01/50", &english, CivilDate{1950, 1, 1}},
        {"dd. MMMM yyyy", "3. März 2026", &german, CivilDate{2026, 3, 3}},
        {"dddd, d MMM yyyy", "Friday, 11 Dec 2026", &english, CivilDate{2026, 12, 11}},
        {"dd'.'MM'.'yyyy", "11.12.2026", &english, CivilDate{2026, 12, 11}},
        // Not a date the picture writes, or no real date.
        {"dd/MM/yyyy", "", &english, std::nullopt},
        {"dd/MM/yyyy", "31/02/2025", &english, std::nullopt},
        {"dd/MM/yyyy", "29/02/2025", &english, std::nullopt},
        {"dd/MM/yyyy", "01/13/2025", &english, std::nullopt},
        {"dd/MM/yyyy", "01/04/2025 10:00:00", &english, std::nullopt},
        {"dd/MM/yyyy", "2025-04-01", &english, std::nullopt},
        {"dd.MM.yyyy", "01/04/2025", &english, std::nullopt},
        {"dd MMMM yyyy", "01 Maerz 2025", &german, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture + " " + c.text);
        EXPECT_EQ(ParseDatePicture(c.text, c.picture, *c.settings), c.date);
    }
    // Every day of four years (a leap year among them), written and read
    // back, in several pictures; each a day after the one before.
    for (const std::string picture : {"dd/MM/yyyy", "d MMM yyyy", "yyyy-MM-dd", "dddd d MMMM yy"}) {
        long long previous = DaysSinceEpoch({2022, 12, 31});
        for (int year = 2023; year <= 2026; ++year) {
            for (int month = 1; month <= 12; ++month) {
                for (int day = 1; day <= 31; ++day) {
                    const std::string text = FormatDatePicture(year, month, day, picture, english);
                    const auto date = ParseDatePicture(text, picture, english);
                    // Days past the month's end are no dates.
                    const bool real = day <= 28 || (date && date->day == day);
                    if (!real) {
                        continue;
                    }
                    ASSERT_EQ(date, (CivilDate{year, month, day})) << picture << " " << text;
                    ASSERT_EQ(DaysSinceEpoch(*date), ++previous) << text;
                }
            }
        }
        EXPECT_EQ(previous, DaysSinceEpoch({2026, 12, 31}));
    }
}

TEST(ReadDates, DaysBetweenDatesCountLeapYears) {
    EXPECT_EQ(DaysSinceEpoch({1970, 1, 1}), 0);
    EXPECT_EQ(DaysSinceEpoch({2000, 3, 1}) - DaysSinceEpoch({2000, 2, 28}), 2);
    EXPECT_EQ(DaysSinceEpoch({1900, 3, 1}) - DaysSinceEpoch({1900, 2, 28}), 1);
    EXPECT_EQ(DaysSinceEpoch({2026, 12, 11}) - DaysSinceEpoch({2025, 12, 11}), 365);
    EXPECT_EQ(DaysSinceEpoch({1969, 12, 31}), -1);
}

// --- Lines of a table -----------------------------------------------------------

TEST(TableLines, CutTheSameLinesWhateverBlocksTheBytesComeIn) {
    // A quoted value may hold a line break and doubled quotes; the last line
    // may lack its CR LF.
    const std::string bytes =
        "A,B,C\r\n\"1\",\"two, "
        "\"\"quoted\"\"\",3.5\r\n\"x\r\ny\",,\r\n\"\",\"\"\"\",-1\r\nlast,line";
    const std::vector<std::vector<std::string>> expected = {
        {"A", "B", "C"},  {"1", "two, \"quoted\"", "3.5"}, {"x\r\ny", "", ""}, {"", "\"", "-1"},
        {"last", "line"},
    };
    for (std::size_t block = 1; block <= bytes.size(); ++block) {
        SCOPED_TRACE("blocks of " + std::to_string(block));
        std::vector<std::vector<std::string>> lines;
        std::vector<long long> numbers;
        LineFields fields;
        TableLines cut([&](std::string_view line, long long number) {
            fields.Split(line);
            std::vector<std::string> values;
            for (std::size_t i = 0; i < fields.Size(); ++i) {
                values.emplace_back(fields[i]);
            }
            lines.push_back(values);
            numbers.push_back(number);
        });
        for (std::size_t at = 0; at < bytes.size(); at += block) {
            cut.Feed(std::string_view(bytes).substr(at, block));
        }
        cut.Finish();
        EXPECT_EQ(lines, expected);
        EXPECT_EQ(numbers, (std::vector<long long>{1, 2, 3, 4, 5}));
    }
}

// --- SHA-256 --------------------------------------------------------------------

TEST(Sha256, KnownDigestsWhateverPiecesTheBytesComeIn) {
    const struct {
        std::string text;
        std::string digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& c : cases) {
        for (const std::size_t piece : {std::size_t(1), std::size_t(63), std::size_t(64),
                                        std::size_t(65), std::size_t(4096)}) {
            if (c.text.size() > 100000 && piece < 64) {
                continue;
            }
            Sha256 sha;
            for (std::size_t at = 0; at < c.text.size(); at += piece) {
                sha.Add(std::string_view(c.text).substr(at, piece));
            }
            EXPECT_EQ(sha.Hex(), c.digest) << c.text.size() << " bytes in pieces of " << piece;
        }
    }
}

// --- Findings of small books -----------------------------------------------------

// Books that are right in every way a finding checks, exported on
// 2026-12-11: one customer owing 150 (an invoice of 200 less a credit note
// of 50), one never used, one supplier owed 300, balanced nominal accounts
// whose control accounts agree with the ledgers, a bank payment, a payment
// and a receipt.
struct Books {
    std::map<Ledger, std::string> tables = {
        {Ledger::SalesAccounts,
         "ACCOUNT_CODE,ACCOUNT_NAME,CREDIT_LIMIT,ACCOUNT_ON_HOLD,BALANCE\r\n"
         "\"C1\",\"Cust One\",1000,0,150\r\n"
         "\"C2\",\"Cust Two\",0,0,0\r\n"},
        {Ledger::SalesTransactions,
         "TRANSACTION_NO,TRANSACTION_TYPE,TRANSACTION_DATE, ACCOUNT,INV_REF,NOMINAL,OUTSTANDING\r\n"
         "\"1\",\"SI\",\"01/12/2026\",\"C1\",\"INV1\",\"1100\",200\r\n"
         "\"1\",\"SI\",\"01/12/2026\",\"C1\",\"INV1\",\"4000\",200\r\n"
         "\"2\",\"SC\",\"01/10/2026\",\"C1\",\"CN1\",\"1100\",50\r\n"
         "\"2\",\"SC\",\"01/10/2026\",\"C1\",\"CN1\",\"4000\",50\r\n"},
        {Ledger::PurchaseAccounts,
         "ACCOUNT_CODE,ACCOUNT_NAME,CREDIT_LIMIT,ACCOUNT_ON_HOLD,BALANCE\r\n"
         "\"S1\",\"Supp One\",0,0,300\r\n"},
        {Ledger::PurchaseTransactions,
         "TRANSACTION_NO,TRANSACTION_TYPE,TRANSACTION_DATE, ACCOUNT,INV_REF,NOMINAL,OUTSTANDING\r\n"
         "\"3\",\"PI\",\"15/08/2026\",\"S1\",\"P100\",\"2100\",300\r\n"
         "\"3\",\"PI\",\"15/08/2026\",\"S1\",\"P100\",\"5000\",300\r\n"},
        {Ledger::NominalAccounts,
         "ACCOUNT_REF,ACCOUNT_NAME,ACCOUNT_TYPE,BALANCE,CATEGORY\r\n"
         "\"1100\",\"Debtors Control Account\",0,150,\"Current Assets\"\r\n"
         "\"1200\",\"Bank Current Account\",0,100,\"Current Assets\"\r\n"
         "\"2100\",\"Creditors Control Account\",0,-300,\"Current Liabilities\"\r\n"
         "\"4000\",\"Sales\",0,-150,\"Sales\"\r\n"
         "\"5000\",\"Purchases\",0,200,\"Purchases\"\r\n"},
        {Ledger::OtherTransactions,
         "TRANSACTION_NO,TRANSACTION_TYPE,TRANSACTION_DATE, ACCOUNT,INV_REF,NOMINAL,OUTSTANDING\r\n"
         "\"4\",\"BP\",\"05/11/2026\",\"1200\",\"\",\"5000\",0\r\n"
         "\"4\",\"BP\",\"05/11/2026\",\"1200\",\"\",\"1200\",0\r\n"},
        {Ledger::Payments,
         "REFERENCE,DATE,BANK CODE,TX REF,AMOUNT\r\n\"7\",\"05/11/2026\",\"1200\",\"P100\",10\r\n"},
        {Ledger::Receipts,
         "REFERENCE,DATE,BANK CODE,TX REF,AMOUNT\r\n\"8\",\"06/11/2026\",\"1200\",\"INV1\",20\r\n"},
    };

    // Replaces the first `from` in a table by `to` (every one with `all`).
    Books& Change(Ledger table, const std::string& from, const std::string& to, bool all = false) {
        std::string& text = tables.at(table);
        for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
            text.replace(at, from.size(), to);
            at += to.size();
            if (!all) {
                return *this;
            }
        }
        EXPECT_TRUE(all) << "no " << from;
        return *this;
    }

    MigrationReport Report() const {
        DateReading dates;
        dates.picture = "dd/MM/yyyy";
        dates.exportDate = {2026, 12, 11};
        std::vector<std::unique_ptr<TableScan>> scans;
        for (const Ledger ledger : AllLedgers) {
            auto& scan = scans.emplace_back(MakeTableScan(ledger, TableName(ledger), dates));
            scan->Feed(tables.at(ledger));
            scan->Finish();
        }
        ReportHeader header;
        header.exportDate = dates.exportDate;
        return MakeMigrationReport(header, scans, ControlTotals(),
                                   {"Sales", "Purchases", "Current Assets", "Current Liabilities"});
    }

    static std::string TableName(Ledger ledger) {
        return "table" + std::to_string(static_cast<int>(ledger)) + ".csv";
    }
};

// "code:count" for every error and warning.
std::vector<std::string> Problems(const MigrationReport& report) {
    std::vector<std::string> problems;
    for (const Finding& f : report.findings) {
        if (f.severity != Severity::Note) {
            problems.push_back(f.code + ":" + std::to_string(f.count));
        }
    }
    return problems;
}

const Finding* FindingOf(const MigrationReport& report, const std::string& code) {
    for (const Finding& f : report.findings) {
        if (f.code == code) {
            return &f;
        }
    }
    return nullptr;
}

// The value of `key` in the finding's item `i`.
std::string ItemText(const Finding& f, std::size_t i, const std::string& key) {
    for (const auto& [name, value] : f.items.at(i)) {
        if (name == key) {
            return value.text;
        }
    }
    return "(no " + key + ")";
}

TEST(Findings, RightBooksHaveNotesOnly) {
    const MigrationReport report = Books().Report();
    EXPECT_EQ(Problems(report), std::vector<std::string>{});
    std::vector<std::string> notes;
    for (const Finding& f : report.findings) {
        notes.push_back(f.code);
    }
    EXPECT_EQ(notes, (std::vector<std::string>{"never-used", "history"}));
    EXPECT_EQ(ItemText(*FindingOf(report, "never-used"), 0, "account"), "C2");
}

TEST(Findings, EachFaultIsFoundAndNamed) {
    using L = Ledger;
    const struct Case {
        const char* name;
        std::function<void(Books&)> fault;
        std::vector<std::string> problems;  // errors and warnings, "code:count"
    } cases[] = {
        {"a balance a penny out",
         [](Books& b) { b.Change(L::NominalAccounts, ",100,", ",100.01,"); },
         {"trial-balance:1"}},
        {"an invoice on an account that is not there",
         [](Books& b) {
             b.Change(L::SalesTransactions, "\"C1\",\"INV1\"", "\"C9\",\"INV1\"", true);
         },
         // Its account is one invoice short, and the unknown one is listed
         // once for its two journal lines.
         {"unknown-account:1", "balance-outstanding:1"}},
        {"a journal line to no nominal account",
         [](Books& b) { b.Change(L::PurchaseTransactions, "\"5000\"", "\"5999\""); },
         {"unknown-nominal:1"}},
        {"a bank code that is no nominal account",
         [](Books& b) { b.Change(L::Receipts, "\"1200\"", "\"1210\""); },
         {"unknown-bank:1"}},
        {"an account outside every category",
         [](Books& b) { b.Change(L::NominalAccounts, "\"Purchases\"\r\n", "\"\"\r\n"); },
         {"no-category:1"}},
        {"a customer balance that is not its open items",
         [](Books& b) {
             b.Change(L::SalesAccounts, ",150\r\n", ",160\r\n");
             b.Change(L::NominalAccounts, "Account\",0,150,", "Account\",0,160,");
             b.Change(L::NominalAccounts, ",-150,", ",-160,");
         },
         {"balance-outstanding:1"}},
        {"a debtors control account out of step",
         [](Books& b) {
             b.Change(L::NominalAccounts, "Account\",0,150,", "Account\",0,140,");
             b.Change(L::NominalAccounts, ",100,", ",110,");
         },
         {"debtors-control:1"}},
        {"a creditors control account out of step",
         [](Books& b) {
             b.Change(L::NominalAccounts, ",-300,", ",-290,");
             b.Change(L::NominalAccounts, ",100,", ",90,");
         },
         {"creditors-control:1"}},
        {"a bank payment next year",
         [](Books& b) { b.Change(L::OtherTransactions, "05/11/2026", "05/11/2027", true); },
         {"future-date:1"}},
        {"a bank payment with no date",
         [](Books& b) { b.Change(L::OtherTransactions, "05/11/2026", "", true); },
         {"no-date:1"}},
        {"a date that is none",
         [](Books& b) { b.Change(L::OtherTransactions, "05/11/2026", "31/02/2026", true); },
         {"no-date:1"}},
        {"an invoice reference used twice",
         [](Books& b) {
             b.Change(L::PurchaseTransactions, "", "");
             b.tables.at(L::PurchaseTransactions) +=
                 "\"9\",\"PI\",\"16/08/2026\",\"S1\",\"P100\",\"5000\",0\r\n";
         },
         {"duplicate-reference:1"}},
        {"the same reference on another type is no repeat",
         [](Books& b) { b.Change(L::SalesTransactions, "\"CN1\"", "\"INV1\"", true); },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Books books;
        c.fault(books);
        const MigrationReport report = books.Report();
        EXPECT_EQ(Problems(report), c.problems);
    }
}

TEST(Findings, ItemsSayWhereAndWhat) {
    Books books;
    books.Change(Ledger::SalesTransactions, "\"C1\",\"INV1\"", "\"C9\",\"INV1\"", true);
    books.Change(Ledger::OtherTransactions, "05/11/2026", "05/11/2027", true);
    const MigrationReport report = books.Report();
    const Finding& unknown = *FindingOf(report, "unknown-account");
    EXPECT_EQ(ItemText(unknown, 0, "line"), "2");
    EXPECT_EQ(ItemText(unknown, 0, "transaction"), "1");
    EXPECT_EQ(ItemText(unknown, 0, "account"), "C9");
    EXPECT_EQ(ItemText(unknown, 0, "transactions"), "1");
    const Finding& future = *FindingOf(report, "future-date");
    EXPECT_EQ(ItemText(future, 0, "date"), "2027-11-05");
    EXPECT_EQ(ItemText(future, 0, "transaction"), "4");
    const Finding& owed = *FindingOf(report, "balance-outstanding");
    EXPECT_EQ(ItemText(owed, 0, "balance"), "150.00");
    EXPECT_EQ(ItemText(owed, 0, "outstanding"), "-50.00");
}

TEST(Findings, ControlAccountsByDefaultCodeOrByName) {
    // Moved to another code but still named as one: found by its name.
    Books byName;
    byName.Change(Ledger::NominalAccounts, "\"1100\"", "\"1105\"");
    byName.Change(Ledger::SalesTransactions, "\"1100\"", "\"1105\"", true);
    MigrationReport report = byName.Report();
    EXPECT_EQ(Problems(report), std::vector<std::string>{});
    EXPECT_EQ(FindingOf(report, "control-account-missing"), nullptr);

    // Named otherwise as well: none to compare with, which is a note.
    byName.Change(Ledger::NominalAccounts, "Debtors Control Account", "Trade Debtors");
    report = byName.Report();
    EXPECT_EQ(Problems(report), std::vector<std::string>{});
    const Finding* missing = FindingOf(report, "control-account-missing");
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(ItemText(*missing, 0, "ledger"), "sales");
    EXPECT_EQ(ItemText(*missing, 0, "tried"), "1100");
}

TEST(Findings, NotesOnAccountsOnHoldOverTheirLimitAndMostlyUncategorised) {
    Books books;
    books.Change(Ledger::SalesAccounts, "\"Cust One\",1000,0,", "\"Cust One\",100,1,");
    MigrationReport report = books.Report();
    ASSERT_NE(FindingOf(report, "on-hold"), nullptr);
    ASSERT_NE(FindingOf(report, "over-credit-limit"), nullptr);
    EXPECT_EQ(ItemText(*FindingOf(report, "over-credit-limit"), 0, "creditLimit"), "100.00");

    // Most accounts in no category: the chart was probably the wrong one.
    Books wrongChart;
    for (const char* category : {"\"Current Assets\"", "\"Current Liabilities\"", "\"Sales\""}) {
        wrongChart.Change(Ledger::NominalAccounts, category, "\"\"", true);
    }
    report = wrongChart.Report();
    const Finding* uncategorised = FindingOf(report, "no-category");
    ASSERT_NE(uncategorised, nullptr);
    EXPECT_EQ(uncategorised->count, 4);
    EXPECT_NE(uncategorised->advice.find("wrong chart"), std::string::npos);
}

TEST(Figures, TrialBalanceAgesBankAndHistory) {
    const MigrationReport report = Books().Report();
    const TrialBalance& tb = report.trialBalance;
    std::vector<std::string> categories;
    for (const TrialBalanceCategory& c : tb.categories) {
        categories.push_back(c.name + " " + c.debit.Text() + "/" + c.credit.Text());
    }
    EXPECT_EQ(categories, (std::vector<std::string>{"Sales 0.00/150.00", "Purchases 200.00/0.00",
                                                    "Current Assets 250.00/0.00",
                                                    "Current Liabilities 0.00/300.00"}));
    EXPECT_EQ(tb.debit.Text(), "450.00");
    EXPECT_EQ(tb.credit.Text(), "450.00");

    // The invoice of 200 is 10 days old, the credit note of 50 71 days; the
    // supplier's invoice 118 days. Each counts once for its two lines.
    ASSERT_EQ(report.agedDebtors.accounts.size(), 1u);
    const AgedAccount& c1 = report.agedDebtors.accounts[0];
    EXPECT_EQ(c1.account, "C1");
    std::vector<std::string> bands;
    for (const DecimalSum& band : c1.bands) {
        bands.push_back(band.Text());
    }
    EXPECT_EQ(bands, (std::vector<std::string>{"200.00", "0.00", "-50.00", "0.00", "0.00"}));
    EXPECT_EQ(report.agedDebtors.total.Text(), "150.00");
    EXPECT_EQ(report.agedCreditors.totals[3].Text(), "300.00");

    ASSERT_EQ(report.banks.size(), 1u);
    EXPECT_EQ(report.banks[0].name, "Bank Current Account");
    EXPECT_EQ(report.banks[0].payments, 1);
    EXPECT_EQ(report.banks[0].paid.Text(), "10.00");
    EXPECT_EQ(report.banks[0].received.Text(), "20.00");

    EXPECT_EQ(report.history.transactions, 4);
    EXPECT_EQ(report.history.first, (CivilDate{2026, 8, 15}));
    EXPECT_EQ(report.history.last, (CivilDate{2026, 12, 1}));
    EXPECT_EQ(report.history.types,
              (std::map<std::string, long long>{{"BP", 1}, {"PI", 1}, {"SC", 1}, {"SI", 1}}));
}

TEST(Figures, AgeBandsAtTheirEdges) {
    const CivilDate day{2026, 12, 11};
    const struct {
        std::optional<CivilDate> date;
        int band;
    } cases[] = {
        {CivilDate{2027, 1, 1}, 0},
        {CivilDate{2026, 12, 11}, 0},
        {CivilDate{2026, 11, 11}, 0},
        {CivilDate{2026, 11, 10}, 1},
        {CivilDate{2026, 10, 12}, 1},
        {CivilDate{2026, 10, 11}, 2},
        {CivilDate{2026, 9, 12}, 2},
        {CivilDate{2026, 9, 11}, 3},
        {CivilDate{2026, 8, 13}, 3},
        {CivilDate{2026, 8, 12}, 4},
        {std::nullopt, 4},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AgeBand(c.date, day), c.band) << (c.date ? IsoDate(*c.date) : "no date");
    }
}

TEST(Pages, TheJsonAndHtmlHoldEveryTextSafely) {
    Books books;
    books.Change(Ledger::SalesAccounts, "\"Cust Two\"", "\"<b>Tom & \"\"Jerry\"\"</b>\\\"");
    const MigrationReport report = books.Report();
    const std::string json = ReportJson(report);
    EXPECT_NE(json.find(R"("name": "<b>Tom & \"Jerry\"</b>\\")"), std::string::npos) << json;
    const std::string html = ReportHtml(report);
    EXPECT_NE(html.find("&lt;b&gt;Tom &amp; &quot;Jerry&quot;&lt;/b&gt;\\"), std::string::npos);
    EXPECT_EQ(html.find("<b>Tom"), std::string::npos);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    for (const char* section : {"header", "findings", "control-totals", "trial-balance",
                                "aged-debtors", "aged-creditors", "bank", "history"}) {
        EXPECT_NE(html.find(std::string("<section id=\"") + section + "\">"), std::string::npos)
            << section;
    }
}

// --- The run's report ---------------------------------------------------------------

TEST(ReportRun, ReadsATableAgainWhenItsBytesDidNotAllArriveAndFailsSafelyWithout) {
    test::TempDir dir;
    const std::string table =
        "REFERENCE,DATE,BANK CODE,TX REF,AMOUNT\r\n"
        "\"7\",\"05/11/2026\",\"1200\",\"P100\",10\r\n"
        "\"9\",\"06/11/2026\",\"1200\",\"P101\",2.5\r\n";
    const std::string tablePath = dir / "Payments.csv";
    const std::string archive = dir / "Books_11122026_1030.zip";
    WriteWholeFile(tablePath, table);
    WriteWholeFile(archive, "an archive");
    DateReading dates;
    dates.picture = "dd/MM/yyyy";
    dates.exportDate = {2026, 12, 11};

    // Half the bytes, and never the last block: the file is read again.
    ReportRun run(dates);
    const auto reader = run.AddTable(Ledger::Payments, "Payments.csv", tablePath);
    reader(std::string_view(table).substr(0, table.size() / 2), false);
    run.CompleteFromFiles();
    const ReportOutcome outcome = run.Write({}, archive, ControlTotals(), {});
    EXPECT_EQ(outcome.htmlPath, dir / "Books_11122026_1030.report.html");
    EXPECT_EQ(outcome.jsonPath, dir / "Books_11122026_1030.report.json");
    ASSERT_EQ(run.Report().banks.size(), 1u);
    EXPECT_EQ(run.Report().banks[0].payments, 2);
    EXPECT_EQ(run.Report().banks[0].paid.Text(), "12.50");
    EXPECT_EQ(run.Report().tables[0].bytes, static_cast<long long>(table.size()));
    EXPECT_EQ(run.Report().header.archiveSha256,  // of "an archive"
              "9e691d5adacf0e102f203100842ffaba4e2a7dfe3dbd536827d3c0db8c7e88f1");
    EXPECT_EQ(run.Report().header.archiveBytes, 10);
    EXPECT_TRUE(FileExists(outcome.jsonPath));
    EXPECT_TRUE(FileExists(outcome.htmlPath));

    // Gone before it could be read again: no report, and a reason.
    DeleteFileAt(outcome.jsonPath);
    DeleteFileAt(outcome.htmlPath);
    ReportRun lost(dates);
    lost.AddTable(Ledger::Payments, "Payments.csv", dir / "missing.csv");
    EXPECT_THROW(lost.CompleteFromFiles(), EInOutError);
    lost.Fail("File not found.");
    EXPECT_THROW(lost.Write({}, archive, ControlTotals(), {}), Exception);
    EXPECT_FALSE(FileExists(outcome.jsonPath));
    EXPECT_FALSE(FileExists(outcome.htmlPath));
}

}  // namespace
}  // namespace quillmere
