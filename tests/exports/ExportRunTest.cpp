// Finish's export run against the stand-in, through the scripted view: the
// memo and log lines, the archive read back by Python's zipfile, the files
// left beside the program, and what a failure or a close leaves behind.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "ExportHarness.h"
#include "ZipReadBack.h"
#include "app/ufMain.h"
#include "platform/Files.h"
#include "support/FakeSystem.h"
#include "support/FakeView.h"
#include "support/TableNames.h"
#include "support/TempDir.h"
#include "support/Threads.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const Lines& TableNames = test::ExportTableNames;

// The memo of a run up to the count line of the payments, with the counts
// of each table (header included).
Lines TableMemo(const std::vector<int>& counts) {
    const char* announce[] = {
        "Getting sales ledger codes....",    "Getting sales ledger transactions....",
        "Getting purchase ledger codes....", "Getting purchase ledger transactions....",
        "Getting nominal ledger codes....",  "Getting nominal ledger transactions....",
        "Getting payments and receipts...."};
    Lines memo{"Getting Chart of Accounts Categories..."};
    for (std::size_t i = 0; i < counts.size(); ++i) {
        memo.push_back(announce[i]);
        memo.push_back("Found " + std::to_string(counts[i]) + " items.");
    }
    return memo;
}

class FinishExportRun : public ::testing::Test {
  protected:
    test::TempDir exeDir;
    test::FakeSystem system{exeDir.path()};
    test::FakeView view;
    TfrmMain form{view, system};

    void SetUp() override {
        // 09:05 on 3 February 2016
        system.now.tm_year = 2016 - 1900;
        system.now.tm_mon = 1;
        system.now.tm_mday = 3;
        system.now.tm_hour = 9;
        system.now.tm_min = 5;
        form.LogFileName = exeDir / "WizardDebug.log";
        form.CompanyName = "  Acme Trading Ltd ";
        form.NoUpload = true;  // the run ends with the archive beside the program
        view.page = tabOptions;
        view.setEnabled("cmdFinish", true);
        view.setEnabled("cmdBack", true);
        view.chartAnswers = {0};
    }
    void login(const std::string& company) {
        form.SageObj = test::LoggedInCompany(company);
        form.SageObj->OnProgress = [this](int position, int maximum) {
            form.ShowProgress(position, maximum);
        };
        form.LoggedIn = true;
    }
    void finish() { form.Dispatch(&TfrmMain::cmdFinishClick); }

    std::string archive() const { return exeDir / "AcmeTradingLtd_03022016_0905.zip"; }
    Lines log() const {
        Lines lines;
        std::ifstream in(form.LogFileName, std::ios::binary);
        for (std::string line; std::getline(in, line);) {
            EXPECT_TRUE(!line.empty() && line.back() == '\r') << line;
            line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }
    // The files beside the program but the log, sorted.
    Lines files() const {
        Lines names;
        for (const auto& entry : fs::directory_iterator(exeDir.path())) {
            if (entry.path().filename() != "WizardDebug.log") {
                names.push_back(entry.path().filename().string());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    void expectButtonsStayDisabled() {
        EXPECT_FALSE(view.isEnabled("cmdFinish"));
        EXPECT_FALSE(view.isEnabled("cmdBack"));
        EXPECT_TRUE(view.isEnabled("cmdCancel"));
        EXPECT_TRUE(view.isVisible("txtStatus"));
        EXPECT_TRUE(view.isVisible("pbMain"));
    }
};

// The tables that the exports make for `company`, written as the run
// writes them, into `dir`.
void WriteExpectedTables(const std::string& company, const std::string& dir) {
    auto sage = test::LoggedInCompany(company);
    test::FakeView view;
    view.chartAnswers = {0};
    sage->LoadChartCategories(view);
    const std::function<void(TSageObject&, RowSink&)> exports[] = {
        [](TSageObject& s, RowSink& r) { s.ExportSalesAccounts("ACCOUNT_REF", r); },
        [](TSageObject& s, RowSink& r) { s.ExportSalesTransactions("TRAN_NUMBER", r); },
        [](TSageObject& s, RowSink& r) { s.ExportPurchaseAccounts("ACCOUNT_REF", r); },
        [](TSageObject& s, RowSink& r) { s.ExportPurchaseTransactions("TRAN_NUMBER", r); },
        [](TSageObject& s, RowSink& r) { s.ExportNominalAccounts("ACCOUNT_REF", r); },
        [](TSageObject& s, RowSink& r) { s.ExportOtherTransactions("TRAN_NUMBER", r); },
        [](TSageObject& s, RowSink& r) { s.ExportPayments(r); },
        [](TSageObject& s, RowSink& r) { s.ExportReceipts(r); },
    };
    for (std::size_t i = 0; i < TableNames.size(); ++i) {
        Lines lines;
        RowList rows(lines);
        exports[i](*sage, rows);
        std::string text;
        for (const std::string& line : lines) {
            text += line + "\r\n";
        }
        WriteWholeFile(JoinPath(dir, TableNames[i]), text);
    }
}

TEST_F(FinishExportRun, WritesTheEightTablesIntoTheArchiveAndDeletesTheLooseFiles) {
    login(test::SageUser);
    const std::time_t before = std::time(nullptr);
    finish();
    const std::time_t after = std::time(nullptr);
    ASSERT_EQ(view.errorReports, Lines{});

    // The test books' report: their nominal balances do not add up, among
    // others; the upload is suppressed, so nobody is asked.
    const std::string report = exeDir / "AcmeTradingLtd_03022016_0905.report.";
    const std::string counts = "(4 errors, 4 warnings, 4 notes)";
    Lines memo = TableMemo({4, 6, 4, 5, 13, 6, 5});
    memo.push_back("Export from Sage Complete!");
    memo.push_back("Migration report " + counts + ": " + report + "html");
    memo.push_back("Starting transfer of data");
    EXPECT_EQ(view.statusLines, memo);
    EXPECT_EQ(log(), (Lines{"Starting Data Export...", "Closing Zip file and saving to disk",
                            "Temp files deleted", "Export completed",
                            "Migration report written " + counts + ": " + report + "html and " +
                                report + "json",
                            "Call API", "Wizard Finished"}));
    EXPECT_TRUE(view.sendQuestions.empty());
    EXPECT_EQ(view.chartChoices.size(), 1u);
    expectButtonsStayDisabled();
    EXPECT_EQ(files(), (Lines{"AcmeTradingLtd_03022016_0905.report.html",
                              "AcmeTradingLtd_03022016_0905.report.json",
                              "AcmeTradingLtd_03022016_0905.summary.txt",
                              "AcmeTradingLtd_03022016_0905.zip"}));

    test::TempDir expected;
    WriteExpectedTables(test::SageUser, expected.path());
    const QJsonObject zip = test::ReadZip(archive(), expected.path());
    ASSERT_FALSE(zip.contains("error")) << zip.value("error").toString().toStdString();
    EXPECT_TRUE(zip.value("bad").isNull());
    EXPECT_EQ(zip.value("comment").toString(), "");
    EXPECT_EQ(test::ZipEntryNames(zip), TableNames);
    for (const auto& value : test::ZipEntries(zip)) {
        const QJsonObject e = value.toObject();
        SCOPED_TRACE(e.value("name").toString().toStdString());
        EXPECT_TRUE(e.value("matches_source").toBool()) << "the entry is not the table";
        const int method = e.value("method").toInt();
        EXPECT_TRUE(method == 8 || method == 0) << method;
        if (method == 8) {
            EXPECT_LT(e.value("compressed").toInteger(), e.value("size").toInteger());
            EXPECT_TRUE(e.value("level6_identical").toBool());
        }
        const QJsonObject local = e.value("local").toObject();
        EXPECT_EQ(local.value("crc").toInteger(), e.value("crc_of_data").toInteger());
        EXPECT_EQ(local.value("size").toInteger(), e.value("size").toInteger());
        EXPECT_EQ(e.value("flags").toInt() & 0x0E, 0);
        // The entry's date and time are its file's, written during the run.
        const QJsonArray dt = e.value("date_time").toArray();
        std::tm t{};
        t.tm_year = dt[0].toInt() - 1900;
        t.tm_mon = dt[1].toInt() - 1;
        t.tm_mday = dt[2].toInt();
        t.tm_hour = dt[3].toInt();
        t.tm_min = dt[4].toInt();
        t.tm_sec = dt[5].toInt();
        t.tm_isdst = -1;
        const std::time_t stamp = std::mktime(&t);
        EXPECT_GE(stamp, before - 2);
        EXPECT_LE(stamp, after);
    }
}

TEST_F(FinishExportRun, EmptyBooksGiveHeaderOnlyTablesAndTheSameMinuteReplacesTheEntries) {
    login(test::SageUser);
    finish();
    ASSERT_EQ(view.errorReports, Lines{});

    // A second run in the same minute, of a company without records, opens
    // the archive the first left and replaces its eight entries.
    test::FakeView secondView;
    TfrmMain second(secondView, system);
    second.LogFileName = form.LogFileName;
    second.CompanyName = "Acme Trading Ltd";
    second.NoUpload = true;
    second.SageObj = test::LoggedInCompany("empty_books");
    second.Dispatch(&TfrmMain::cmdFinishClick);
    ASSERT_EQ(secondView.errorReports, Lines{});
    EXPECT_EQ(secondView.statusLines[2], "Found 1 items.");
    EXPECT_TRUE(secondView.chartChoices.empty()) << "no chart: no chooser";

    test::TempDir expected;
    WriteExpectedTables("empty_books", expected.path());
    const QJsonObject zip = test::ReadZip(archive(), expected.path());
    EXPECT_EQ(test::ZipEntryNames(zip), TableNames);
    for (const auto& value : test::ZipEntries(zip)) {
        const QJsonObject e = value.toObject();
        EXPECT_TRUE(e.value("matches_source").toBool()) << e.value("name").toString().toStdString();
    }
    // Empty books have nothing to report but notes (their empty history,
    // and no control account to compare with), and their report replaces
    // the first run's.
    ASSERT_TRUE(second.LastReport);
    EXPECT_EQ(second.LastReport->errors, 0);
    EXPECT_EQ(second.LastReport->warnings, 0);
    EXPECT_EQ(second.LastReport->notes, 2);
    EXPECT_NE(test::FileText(second.LastReport->jsonPath).find("\"transactions\": 0"),
              std::string::npos);
    EXPECT_EQ(files(), (Lines{"AcmeTradingLtd_03022016_0905.report.html",
                              "AcmeTradingLtd_03022016_0905.report.json",
                              "AcmeTradingLtd_03022016_0905.summary.txt",
                              "AcmeTradingLtd_03022016_0905.zip"}));
}

TEST_F(FinishExportRun, TheCompanyNameGivesTheArchiveItsName) {
    const struct {
        const char* company;
        const char* archive;
    } cases[] = {
        {"  Acme Trading Ltd ", "AcmeTradingLtd_03022016_0905.zip"},
        {"Smith/Jones & Co", "SmithJones&Co_03022016_0905.zip"},  // no way out of the directory
        {"", "_03022016_0905.zip"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.company);
        test::TempDir dir;
        test::FakeSystem sys{dir.path()};
        sys.now = system.now;
        test::FakeView v;
        TfrmMain f(v, sys);
        f.LogFileName = dir / "WizardDebug.log";
        f.CompanyName = c.company;
        f.NoUpload = true;
        f.SageObj = test::LoggedInCompany("one_chart");
        f.Dispatch(&TfrmMain::cmdFinishClick);
        EXPECT_EQ(v.errorReports, Lines{});
        EXPECT_TRUE(FileExists(dir / c.archive));
    }
}

TEST_F(FinishExportRun, AFailingExportStopsTheRunAndLeavesNothingBehind) {
    login("broken_allocations");
    finish();
    ASSERT_EQ(view.errorReports.size(), 1u);
    EXPECT_NE(view.errorReports[0].find("amount"), std::string::npos) << view.errorReports[0];
    Lines memo = TableMemo({4, 6, 4, 5, 13, 6});
    memo.push_back("Getting payments and receipts....");
    EXPECT_EQ(view.statusLines, memo);
    // The log says why the run failed.
    const Lines logged = log();
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0], "Starting Data Export...");
    EXPECT_EQ(logged[1].rfind("Failed: ", 0), 0u) << logged[1];
    EXPECT_NE(logged[1].find("amount"), std::string::npos) << logged[1];
    expectButtonsStayDisabled();
    // Neither the six tables written nor the empty archive look like output.
    EXPECT_EQ(files(), Lines{});
    EXPECT_FALSE(form.Closed());
}

TEST_F(FinishExportRun, AnArchiveThatCannotBeCreatedStopsTheRunBeforeAnyTable) {
    login(test::SageUser);
    exeDir.mkdir("AcmeTradingLtd_03022016_0905.zip");  // a directory where the file goes
    finish();
    ASSERT_EQ(view.errorReports.size(), 1u);
    // The message names the archive.
    EXPECT_NE(view.errorReports[0].find(archive()), std::string::npos) << view.errorReports[0];
    EXPECT_EQ(log(), (Lines{"Starting Data Export...", "Failed: " + view.errorReports[0]}));
    EXPECT_EQ(view.statusLines, Lines{});
    EXPECT_TRUE(view.chartChoices.empty());
    expectButtonsStayDisabled();
}

TEST_F(FinishExportRun, ACloseDuringAnExportStopsTheRunCleanly) {
    login("busy_sales");
    view.onPump = [this] {
        if (view.statusLines.back() == "Getting sales ledger transactions....") {
            form.RequestClose();
        }
    };
    finish();
    EXPECT_EQ(view.errorReports, Lines{});  // a silent stop
    EXPECT_TRUE(form.Closed());
    EXPECT_TRUE(view.windowClosed);
    EXPECT_EQ(form.SageObj, nullptr) << "the close released the Sage object after the run";
    EXPECT_EQ(view.statusLines.back(), "Getting sales ledger transactions....");
    // Neither the finished table nor the interrupted one nor the archive
    // is left behind.
    EXPECT_EQ(files(), Lines{});
    EXPECT_EQ(log(), Lines{"Starting Data Export..."});
}

TEST_F(FinishExportRun, ProgressMovesTheBarAndThePurchaseExportLeavesItAlone) {
    login("busy_sales");
    finish();
    ASSERT_EQ(view.errorReports, Lines{});
    // Only the sales transactions have 200 records or more.
    EXPECT_EQ(view.progressHistory, (std::vector<std::pair<int, int>>{{200, 450}, {400, 450}}));
    EXPECT_EQ(view.statusLines[4], "Found 421 items.");
    EXPECT_EQ(view.statusLines[8], "Found 251 items.");
    EXPECT_GE(view.pumps, 2);
}

// The tables are deflated on a worker while the next ones export. A table
// file that cannot be read when the archive is made (here a directory took
// its place after it was handed over) fails the run at the archive step with
// the error that step gives for it, naming the archive: no archive is
// reported or left behind, and no worker is left running.
TEST_F(FinishExportRun, ATableUnreadableAtDeflateTimeFailsTheArchiveStep) {
    login("busy_sales");
    const int threadsBefore = test::ThreadCount();
    bool spoiled = false;
    view.onPump = [&] {
        if (!spoiled && view.statusLines.back() == "Getting sales ledger transactions....") {
            spoiled = true;
            const std::string table = exeDir / "Sales Ledger Codes.csv";
            fs::remove(table);
            fs::create_directory(table);
        }
    };
    finish();
    ASSERT_TRUE(spoiled);
    const std::string failure = "File access denied (" + archive() + ")";
    EXPECT_EQ(view.errorReports, Lines{TfrmMain::ErrorReportText(failure)});
    EXPECT_EQ(log(), (Lines{"Starting Data Export...", "Closing Zip file and saving to disk",
                            "Failed: " + failure}));
    EXPECT_EQ(
        std::count(view.statusLines.begin(), view.statusLines.end(), "Export from Sage Complete!"),
        0);
    expectButtonsStayDisabled();
    EXPECT_EQ(test::ThreadCountSettlingAt(threadsBefore), threadsBefore) << "a worker is left";
    // Nothing that looks like output stays: no archive, no table file, no
    // scratch file (the directory that took a table's place is not ours).
    EXPECT_EQ(files(), Lines{"Sales Ledger Codes.csv"});
    EXPECT_TRUE(fs::is_directory(exeDir / "Sales Ledger Codes.csv"));
}

// A close requested while a table exports stops the run, and with it the
// worker that deflates the tables already written (the writer's own test
// stops one in the middle of a large file).
TEST_F(FinishExportRun, ACloseMidRunLeavesNoWorkerRunning) {
    login("busy_sales");
    const int threadsBefore = test::ThreadCount();
    view.onPump = [this] {
        if (view.statusLines.back() == "Getting sales ledger transactions....") {
            form.RequestClose();
        }
    };
    finish();
    EXPECT_EQ(view.errorReports, Lines{});
    EXPECT_TRUE(form.Closed());
    EXPECT_EQ(test::ThreadCountSettlingAt(threadsBefore), threadsBefore) << "a worker is left";
    EXPECT_EQ(files(), Lines{}) << "a table, a scratch file or the archive stayed";
}

}  // namespace
}  // namespace quillmere
