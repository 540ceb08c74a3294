// Against the test books and the HTTPS stand-in: the data source's own totals
// that catch an export that kept a record its filter drops, the pre-flight
// check of the real program with one fault at a time, the resend of a kept
// archive, and the wizard's offer of an unsent archive at start.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include "ExportProgram.h"
#include "SageHarness.h"
#include "app/ufMain.h"
#include "export/ControlTotals.h"
#include "export/ExportTables.h"
#include "platform/Files.h"
#include "platform/ZipWriter.h"
#include "support/Command.h"
#include "support/FakeSystem.h"
#include "support/FakeView.h"
#include "support/StandInService.h"
#include "support/TempDir.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;
using test::FileText;
using test::ProgramResult;
using test::ProgramRun;
using test::RunExport;
using test::StandInService;
using test::TempDir;

// Python's csv module's verdict on a summary against the tables it names.
std::string CsvVerdict(const std::string& summary, const std::vector<std::string>& tables) {
    std::string command =
        "python3 " + test::ShellQuote(CSV_TOTALS) + " " + test::ShellQuote(summary);
    for (const std::string& t : tables) {
        command += " " + test::ShellQuote(t);
    }
    return test::RunCommand(command + " 2>&1");
}

// --- The data source's own totals ---------------------------------------------

// Exports a table of the test books into a file, totalled as the export run
// totals it, and reconciles it with the data source.
TableTotals ExportAndReconcile(TSageObject& sage, const ExportDefinition& definition,
                               const std::string& file) {
    TableTotals totals;
    {
        RowFile rows(file);
        TotalsSink sink(rows, definition, totals);
        sage.ExportRows(definition, "TRAN_NUMBER", sink);
        rows.Close();
    }
    Reconcile(sage, definition, totals);
    return totals;
}

TEST(SourceTotals, AgreeWithTheExportAndCatchARecordItsFilterDrops) {
    auto sage = test::LoggedInSage();
    TempDir dir;
    struct Case {
        Ledger ledger;
        std::string file;
    } cases[] = {
        // The sales transactions drop payments on account unless unpaid
        // ("N" exactly: the books hold an "n"); the receipts drop zero and
        // NULL amounts (a floating column: the sums meet to four places).
        {Ledger::SalesTransactions, "Sales Ledger Transactions.csv"},
        {Ledger::Receipts, "Receipts.csv"},
    };
    for (const Case& c : cases) {
        const ExportDefinition definition = LedgerExport(c.ledger, *sage);
        ASSERT_TRUE(definition.filter);
        ControlTotals run;
        run.tables.push_back(ExportAndReconcile(*sage, definition, dir / c.file));
        run.tables.back().fileName = c.file;
        EXPECT_EQ(run.Warnings(), 0) << run.Text();
        WriteSummary(dir / "good.summary.txt", run);
        EXPECT_EQ(CsvVerdict(dir / "good.summary.txt", {dir / c.file}),
                  "checked " + std::to_string(1 + definition.money.size()) + "\n");

        // The test double: the same export with its filter bypassed, so the
        // table keeps the records the data source's totals leave out.
        ExportDefinition unfiltered = definition;
        unfiltered.filter = {};
        ControlTotals broken;
        broken.tables.push_back(ExportAndReconcile(*sage, unfiltered, dir / c.file));
        broken.tables.back().fileName = c.file;
        const TableTotals& t = broken.tables.back();
        EXPECT_EQ(t.recordsAgreement, Agreement::Differs) << broken.Text();
        EXPECT_GT(t.records, *t.sourceRecords);
        EXPECT_GT(broken.Warnings(), 0);
        const std::string text = broken.Text();
        EXPECT_NE(text.find("DIFFERENT"), std::string::npos) << text;
        EXPECT_NE(text.find("WARNING: "), std::string::npos) << text;
        // What the summary says was written is still what the file holds.
        WriteSummary(dir / "broken.summary.txt", broken);
        EXPECT_EQ(CsvVerdict(dir / "broken.summary.txt", {dir / c.file}),
                  "checked " + std::to_string(1 + definition.money.size()) + "\n");
    }
}

// Every table of the run: the figures the data source computed while it
// counted the export's records are those it gives when asked afterwards.
TEST(SourceTotals, TakenWithTheRecordCountAreThoseTheDataSourceGivesWhenAsked) {
    auto sage = test::LoggedInSage();
    TempDir dir;
    for (const ExportTable& table : ExportTables()) {
        SCOPED_TRACE(table.fileName);
        const ExportDefinition definition = LedgerExport(table.ledger, *sage);
        TableTotals during;
        {
            RowFile rows(dir / table.fileName);
            TotalsSink sink(rows, definition, during);
            table.run(*sage, sink);
            rows.Close();
        }
        ASSERT_TRUE(during.sourceFigures) << "the export's count carried no totals";
        TableTotals asked = during;
        asked.sourceFigures.reset();
        Reconcile(*sage, definition, during);
        Reconcile(*sage, definition, asked);
        ASSERT_EQ(asked.unchecked, "");
        EXPECT_EQ(during.unchecked, "");
        EXPECT_EQ(during.sourceRecords, asked.sourceRecords);
        EXPECT_EQ(during.recordsAgreement, Agreement::Agrees);
        ASSERT_EQ(during.money.size(), asked.money.size());
        for (std::size_t m = 0; m < asked.money.size(); ++m) {
            SCOPED_TRACE(asked.money[m].name);
            EXPECT_EQ(during.money[m].agreement, asked.money[m].agreement);
            EXPECT_EQ(during.money[m].agreement, Agreement::Agrees);
        }
    }
}

// A money column the data source cannot add up while it counts costs the
// table its check, never its records: every line is written, and the table
// is marked not checked with the data source's reason.
TEST(SourceTotals, ASumTheDataSourceCannotTakeLeavesTheExportWhole) {
    auto sage = test::LoggedInSage();
    TempDir dir;
    const ExportDefinition good = LedgerExport(Ledger::SalesTransactions, *sage);
    ExportDefinition definition = good;
    definition.money = {"DETAILS"};  // text: no sum of it
    std::vector<std::string> expected, got;
    {
        RowList rows(expected);
        sage->ExportRows(good, "TRAN_NUMBER", rows);
    }
    const int counted = sage->RecordCount;  // every record, for the progress
    sage->RecordCount = 0;
    TableTotals totals;
    {
        RowList rows(got);
        TotalsSink sink(rows, definition, totals);
        sage->ExportRows(definition, "TRAN_NUMBER", sink);
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(sage->RecordCount, counted);
    EXPECT_GT(counted, static_cast<int>(got.size()) - 1);  // the filter dropped some
    EXPECT_FALSE(totals.sourceFigures);
    Reconcile(*sage, definition, totals);
    EXPECT_EQ(totals.recordsAgreement, Agreement::Unchecked);
    EXPECT_NE(totals.unchecked.find("sum"), std::string::npos) << totals.unchecked;
}

TEST(SourceTotals, AStatementTheDataSourceRefusesLeavesTheTableUncheckedNotFailed) {
    auto sage = test::LoggedInSage();
    ExportDefinition definition = LedgerExport(Ledger::Payments, *sage);
    definition.money = {"NO_SUCH_COLUMN"};
    TableTotals totals;
    totals.money.push_back({});
    Reconcile(*sage, definition, totals);
    EXPECT_EQ(totals.recordsAgreement, Agreement::Unchecked);
    EXPECT_NE(totals.unchecked.find("no_such_column"), std::string::npos) << totals.unchecked;
}

// --- The real program -----------------------------------------------------------

class Program : public ::testing::Test {
  protected:
    TempDir dir;
    std::string home = test::MakeSageHome(dir, {{"Acme Trading Ltd", "Sage Data/Acme"}});
    std::string work = dir.mkdir("work");
    std::string passwordFile = dir.write("secret", std::string(test::SagePassword) + "\n");

    ProgramRun run(const StandInService& service, std::vector<std::string> args) {
        ProgramRun r;
        r.args = {"--work-dir",      work,        "--service-url",
                  service.baseUrl(), "--ca-file", service.caFile()};
        r.args.insert(r.args.end(), args.begin(), args.end());
        const std::string harness = SAGE_HARNESS_DIR;
        r.env = {{"ODBCSYSINI", harness}, {"ODBCINI", harness + "/odbc.ini"}};
        return r;
    }

    std::vector<std::string> exportArgs() const {
        return {"--sage-version", "17", "--home",          home,        "--user", "manager",
                "--chart",        "1",  "--password-file", passwordFile};
    }

    // An export run that keeps its archive; its path.
    std::string keptArchive(const StandInService& service) {
        std::vector<std::string> args = exportArgs();
        args.push_back("--no-upload");
        const ProgramResult r = RunExport(run(service, args));
        EXPECT_EQ(r.status, 0) << r.err;
        for (const auto& entry : fs::directory_iterator(work)) {
            if (entry.path().extension() == ".zip") {
                return entry.path().string();
            }
        }
        ADD_FAILURE() << "no archive in " << work;
        return {};
    }

    std::string log() const { return FileText(work + "/WizardDebug.log"); }
};

TEST_F(Program, AnExportRunWritesItsSummaryAndPrintsItWhenAsked) {
    StandInService service;
    std::vector<std::string> args = exportArgs();
    args.insert(args.end(), {"--no-upload", "--summary"});
    const ProgramResult r = RunExport(run(service, args));
    ASSERT_EQ(r.status, 0) << r.err;
    std::string archive;
    for (const auto& entry : fs::directory_iterator(work)) {
        if (entry.path().extension() == ".zip") {
            archive = entry.path().string();
        }
    }
    const std::string summary = SummaryPath(archive);
    const std::string text = FileText(summary);
    EXPECT_EQ(text.find("DIFFERENT"), std::string::npos) << text;
    EXPECT_NE(text.find("Company:  Acme Trading Ltd\r\n"), std::string::npos) << text;
    // Printed after the memo, as the file holds it (with plain line breaks).
    std::string plain = std::regex_replace(text, std::regex("\r\n"), "\n");
    EXPECT_NE(r.out.find("Starting transfer of data\n\n" + plain), std::string::npos) << r.out;
    EXPECT_EQ(CsvVerdict(summary, {archive}), "checked 36\n");
}

TEST_F(Program, CheckHoldsWhenEverythingIsRight) {
    StandInService service;
    ProgramRun r = run(service, exportArgs());
    r.args.push_back("--check");
    const ProgramResult result = RunExport(r);
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    const std::string& out = result.out;
    EXPECT_NE(
        out.find("ok       ODBC data source: SageLine50v17 (Sage data sources: SageLine50v7, "),
        std::string::npos)
        << out;
    EXPECT_NE(out.find("ok       company: Acme Trading Ltd in "), std::string::npos) << out;
    EXPECT_NE(out.find("ok       login: logged in to Acme Trading Ltd as manager, read-only\n"),
              std::string::npos)
        << out;
    for (const ExportTable& table : ExportTables()) {
        EXPECT_TRUE(std::regex_search(
            out, std::regex("ok       table " + table.fileName + ": [0-9]+ records?\n")))
            << table.fileName << "\n"
            << out;
    }
    EXPECT_TRUE(
        std::regex_search(out, std::regex("ok       estimate: archive about [0-9.]+ (kB|MB), "
                                          "export about [0-9]+ (s|min)")))
        << out;
    EXPECT_NE(out.find("ok       service certificate: valid for 127.0.0.1\n"), std::string::npos)
        << out;
    EXPECT_EQ(out.substr(out.size() - 19), "Every check holds.\n");
    // Nothing exported, nothing sent, nothing logged.
    EXPECT_EQ(service.requestCount(), 0);
    EXPECT_TRUE(fs::is_empty(work));
}

TEST_F(Program, CheckNamesEachFaultAndWhatToDo) {
    StandInService service;
    StandInService wrongHost("accept", "DNS:elsewhere.example");
    // An odbc.ini with only version 12's data source.
    const std::string harness = SAGE_HARNESS_DIR;
    std::string ini = FileText(harness + "/odbc.ini");
    const auto v12 = ini.find("[SageLine50v12]");
    const std::string onlyV12 = ini.substr(v12, ini.find("\n\n", v12) - v12 + 1);
    const std::string otherIni = dir.write("v12/odbc.ini", onlyV12);
    dir.write("v12/odbcinst.ini", FileText(harness + "/odbcinst.ini"));

    struct Case {
        std::string what;
        std::function<void(ProgramRun&)> fault;
        std::string failed;  // the start of the failed line, then its advice
        std::string advice;
        long failedLines = 1;
    } cases[] = {
        {"missing data source",
         [&](ProgramRun& r) {
             r.env["ODBCINI"] = otherIni;
             r.env["ODBCSYSINI"] = dir / "v12";
         },
         "FAILED   ODBC data source: there is no SageLine50v17; the Sage data sources are "
         "SageLine50v12\n",
         "what to do: choose \"Version 12\" (--sage-version 12), the version whose data source "
         "is there",
         2},
        {"wrong password",
         [&](ProgramRun& r) {
             *(std::find(r.args.begin(), r.args.end(), "--password-file") + 1) =
                 dir.write("wrong", "not-it\n");
         },
         "FAILED   login: ", "what to do: check the user name and password"},
        {"unreadable company",
         [&](ProgramRun& r) {
             TempDir* other = new TempDir;  // lives as long as the test
             const std::string h = test::MakeSageHome(
                 *other, {{"Acme Trading Ltd", "Acme"}, {"Broken Ltd", "Broken"}});
             // Where the company's SETUP.DTA should be, a directory.
             fs::remove(*other / "Broken/ACCDATA/SETUP.DTA");
             other->mkdir("Broken/ACCDATA/SETUP.DTA");
             *(std::find(r.args.begin(), r.args.end(), "--home") + 1) = h;
             r.args.insert(r.args.end(), {"--company", "Acme Trading Ltd"});
         },
         "FAILED   company: ", "what to do: correct or remove the line "},
        {"work directory not writable", [&](ProgramRun&) { dir.mkdir("work/quillmere-check.tmp"); },
         "FAILED   work directory: ", "what to do: run the program from"},
        {"unreachable service",
         [&](ProgramRun& r) {
             *(std::find(r.args.begin(), r.args.end(), "--service-url") + 1) =
                 "https://127.0.0.1:1";
         },
         "FAILED   service connection: https://127.0.0.1:1 cannot be reached: ",
         "what to do: check the network connection"},
        {"certificate for another host",
         [&](ProgramRun& r) {
             *(std::find(r.args.begin(), r.args.end(), "--service-url") + 1) = wrongHost.baseUrl();
             *(std::find(r.args.begin(), r.args.end(), "--ca-file") + 1) = wrongHost.caFile();
         },
         "FAILED   service certificate: not valid for 127.0.0.1: ",
         "what to do: do not send the books to this address"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramRun r = run(service, exportArgs());
        r.args.push_back("--check");
        c.fault(r);
        const ProgramResult result = RunExport(r);
        EXPECT_EQ(result.status, 1) << result.out;
        const auto at = result.out.find(c.failed);
        ASSERT_NE(at, std::string::npos) << result.out;
        const auto next = result.out.find('\n', at);
        EXPECT_EQ(result.out.substr(next + 1, 9 + c.advice.size()), "         " + c.advice)
            << result.out;
        // One fault, one failed line (the login fails with the data source).
        const std::regex failedLine("(^|\n)FAILED ");
        EXPECT_EQ(
            std::distance(std::sregex_iterator(result.out.begin(), result.out.end(), failedLine),
                          std::sregex_iterator()),
            c.failedLines)
            << result.out;
        EXPECT_EQ(result.out.substr(result.out.size() - 42),
                  "Some checks FAILED: see what to do above.\n");
        fs::remove_all(work);
        fs::create_directory(work);
    }
}

// --- Resend ------------------------------------------------------------------------

TEST_F(Program, ResendSendsAKeptArchiveAsTheRunWould) {
    struct Case {
        std::string mode;
        int status;
        bool kept;
    } cases[] = {{"accept", 0, false}, {"refuse", 3, true}, {"fault", 1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        StandInService service(c.mode);
        const std::string archive = keptArchive(service);
        const std::string bytes = FileText(archive);
        const std::string logBefore = log();
        const ProgramResult r = RunExport(run(service, {"--resend", archive, "--no-browser"}));
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(fs::exists(archive), c.kept);
        ASSERT_EQ(service.requestCount(), 1);
        if (c.mode == "accept") {  // the stand-in keeps what it accepts
            EXPECT_TRUE(FileText(service.recordDir() + "/import-1.zip") == bytes);
        }
        const std::string sent = log().substr(logBefore.size());
        if (c.mode == "accept") {
            const std::string address = service.baseUrl() + "/processSageImport.asp?id=1";
            EXPECT_EQ(r.out, "Transfer Complete!\n" + address + "\n");
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(sent,
                      "Call API\r\nAPI Called\r\nConvert zip file\r\nGet Vuredevu URL\r\n"
                      "Sent file to URL " +
                          address + "\r\nWizard Finished\r\n");
        } else if (c.mode == "refuse") {
            EXPECT_EQ(r.err,
                      "Error: Unable to send file, Please email " + archive + " to support\n");
            EXPECT_EQ(sent,
                      "Call API\r\nAPI Called\r\nConvert zip file\r\nGet Vuredevu URL\r\n"
                      "Error in URL 0\r\nWizard Finished\r\n");
        } else {
            EXPECT_EQ(r.err.rfind("Error: ", 0), 0u) << r.err;
            EXPECT_EQ(sent,
                      "Call API\r\nAPI Called\r\nConvert zip file\r\nGet Vuredevu URL\r\n"
                      "Failed: " +
                          r.err.substr(7, r.err.find('\n') - 7) + " / The archive " + archive +
                          " is kept\r\n");
        }
        fs::remove_all(work);
        fs::create_directory(work);
    }
}

TEST_F(Program, ResendRefusesWhatIsNoCompleteArchiveAndSendsNothing) {
    StandInService service;
    const std::string cut = dir.write("work/Acme_01022026_0930.zip", "");
    const ProgramResult r = RunExport(run(service, {"--resend", cut}));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("Error: " + cut + ": ", 0), 0u) << r.err;
    EXPECT_EQ(service.requestCount(), 0);
    EXPECT_TRUE(fs::exists(cut));
}

// --- The wizard's offer at start -------------------------------------------------

TEST_F(Program, TheWizardOffersAnUnsentArchiveAtStart) {
    StandInService service;
    for (const bool accept : {false, true}) {
        SCOPED_TRACE(accept ? "accepted" : "declined");
        const std::string archive = keptArchive(service);
        const std::string bytes = FileText(archive);
        test::FakeView view;
        test::FakeSystem system(work + "/");
        TfrmMain form(view, system);
        form.ServiceBase = service.baseUrl();
        form.HTTPRIO1.HTTPWebNode1.CAFile = service.caFile();
        form.Dispatch(&TfrmMain::FormCreate);
        const std::string logBefore = log();
        view.messageAnswers.push_back(accept ? MsgResult::Yes : MsgResult::No);
        form.Dispatch(&TfrmMain::OfferUnsentArchive);

        ASSERT_EQ(view.messages.size(), 1u);
        EXPECT_TRUE(std::regex_match(
            view.messages[0].text,
            std::regex("An export of Acme Trading Ltd from [0-9]{2}/[0-9]{2}/[0-9]{4} "
                       "[0-9]{2}:[0-9]{2} was not sent\\. Send it now\\?")))
            << view.messages[0].text;
        EXPECT_EQ(view.messages[0].buttons, MsgButtons::YesNo);
        if (accept) {
            EXPECT_EQ(service.requestCount(), 1);
            EXPECT_TRUE(FileText(service.recordDir() + "/import-1.zip") == bytes);
            EXPECT_FALSE(fs::exists(archive));
            EXPECT_EQ(system.openedUrls.size(), 1u);
            EXPECT_TRUE(form.Closed());
        } else {
            // Declined: nothing sent, nothing changed, nothing logged.
            EXPECT_EQ(service.requestCount(), 0);
            EXPECT_TRUE(FileText(archive) == bytes);
            EXPECT_EQ(log(), logBefore);
            EXPECT_FALSE(form.Closed());
            EXPECT_TRUE(system.openedUrls.empty());
            fs::remove(archive);
        }
    }
}

}  // namespace
}  // namespace quillmere
