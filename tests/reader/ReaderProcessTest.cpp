// The reader process: the driver's answers reach the program unchanged, a
// reader that dies ends the call with a message that names what it was
// doing, and a stop ends a reader blocked inside the driver at once.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/types.h>
#include <unistd.h>
#include <csignal>
#endif

#include "SageHarness.h"
#include "app/ufMain.h"
#include "export/ControlTotals.h"
#include "export/ExportTables.h"
#include "platform/ChildProcess.h"
#include "platform/odbc/OdbcConnection.h"
#include "sage/SageReader.h"
#include "support/FakeSystem.h"
#include "support/FakeView.h"
#include "support/TempDir.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::unique_ptr<TSageObject> ThroughReader(int version = 17) {
    auto sage = std::make_unique<TSageObject>(version);
    sage->Settings = test::BritishSettings();
    sage->UseReader(RunningProgramPath());
    return sage;
}

// Everything the walk tells a sink, in order, as text.
class RecordedRows : public RowSink {
  public:
    explicit RecordedRows(std::vector<std::string> aggregates)
        : aggregates_(std::move(aggregates)) {}
    void Add(const std::string& line) override { events.push_back("line " + line); }
    std::vector<std::string> SourceAggregates() const override { return aggregates_; }
    void SourceAggregated(const std::vector<odbc::SingleValue>& values) override {
        std::string event = "aggregated";
        for (const auto& value : values) {
            event += " " + value.text.value_or("NULL") + (value.floating ? "f" : "");
        }
        events.push_back(event);
    }
    void ValueLost(std::size_t column, ValueLoss loss, const std::string& source,
                   std::string_view written) override {
        events.push_back("lost " + std::to_string(column) + " " +
                         std::to_string(static_cast<int>(loss)) + " " + source + " -> " +
                         std::string(written));
    }
    std::vector<std::string> events;

  private:
    std::vector<std::string> aggregates_;
};

struct TableRun {
    std::vector<std::string> events;
    std::vector<std::pair<int, int>> progress;
    int recordCount = 0;
};

TableRun RunTable(TSageObject& sage, const ExportTable& table) {
    TableRun run;
    sage.OnProgress = [&run](int position, int maximum) {
        run.progress.emplace_back(position, maximum);
    };
    sage.RecordCount = -1;
    RecordedRows rows(SourceTotalsAggregates(LedgerExport(table.ledger, sage)));
    table.run(sage, rows);
    run.events = std::move(rows.events);
    run.recordCount = sage.RecordCount;
    return run;
}

TEST(ReaderProcess, GivesTheSameChartLinesTotalsLossesAndProgressAsTheDriverInThisProcess) {
    auto here = test::LoggedInSage();
    auto reader = ThroughReader();
    ASSERT_TRUE(reader->Login("/some/company/ACCDATA", test::SageUser, test::SagePassword));
    ASSERT_NE(reader->Reader()->ProcessId(), 0);

    const ChartChoices hereCharts = here->ListCharts();
    const ChartChoices readerCharts = reader->ListCharts();
    EXPECT_EQ(readerCharts.items, hereCharts.items);
    EXPECT_EQ(readerCharts.only, hereCharts.only);
    EXPECT_EQ(readerCharts.onlyItem, hereCharts.onlyItem);
    const int chart =
        hereCharts.items.empty() ? hereCharts.only : ChartNumberOfItem(hereCharts.items.front());
    here->LoadCategoriesOfChart(chart);
    reader->LoadCategoriesOfChart(chart);
    ASSERT_EQ(reader->Categories.size(), here->Categories.size());
    ASSERT_FALSE(here->Categories.empty());
    for (std::size_t i = 0; i < here->Categories.size(); ++i) {
        const TChartAccount& a = *here->Categories[i].second;
        const TChartAccount& b = *reader->Categories[i].second;
        EXPECT_EQ(reader->Categories[i].first, here->Categories[i].first);
        EXPECT_EQ(std::tie(b.Title, b.Category, b.AssetLiabilityFlag, b.Low, b.High),
                  std::tie(a.Title, a.Category, a.AssetLiabilityFlag, a.Low, a.High));
    }

    for (const ExportTable& table : ExportTables()) {
        SCOPED_TRACE(table.fileName);
        const TableRun expected = RunTable(*here, table);
        const TableRun got = RunTable(*reader, table);
        EXPECT_GT(expected.events.size(), 1u);
        EXPECT_EQ(got.events, expected.events);
        EXPECT_EQ(got.progress, expected.progress);
        EXPECT_EQ(got.recordCount, expected.recordCount);
        // The data source's own totals, asked afterwards.
        const std::string sql = SourceTotalsSql(LedgerExport(table.ledger, *here));
        const auto hereRow = here->SingleRow(sql, {});
        const auto readerRow = reader->SingleRow(sql, "checking");
        ASSERT_EQ(readerRow.size(), hereRow.size());
        for (std::size_t i = 0; i < hereRow.size(); ++i) {
            EXPECT_EQ(readerRow[i].text, hereRow[i].text);
            EXPECT_EQ(readerRow[i].floating, hereRow[i].floating);
        }
    }
}

TEST(ReaderProcess, PassesTheDriversErrorsOnWithTheirStateAndStaysUsable) {
    auto sage = ThroughReader();
    try {
        sage->Login("/x/ACCDATA", test::SageUser, "wrong");
        FAIL() << "a wrong password logged in";
    } catch (const odbc::EOdbcError& e) {
        EXPECT_NE(std::string(e.what()).find("password authentication failed"), std::string::npos)
            << e.what();
        EXPECT_EQ(e.sqlState(), "08001");
    }
    const long reader = sage->Reader()->ProcessId();
    ASSERT_TRUE(sage->Login("/x/ACCDATA", test::SageUser, test::SagePassword));
    EXPECT_THROW(sage->SingleRow("SELECT no_such_column FROM currency", "checking"),
                 odbc::EOdbcError);
    EXPECT_EQ(sage->SingleRow("SELECT COUNT(*) FROM currency", "checking").at(0).text, "3");
    // The same reader all along: an error of the driver is no reason to end it.
    EXPECT_EQ(sage->Reader()->ProcessId(), reader);

    auto unknown = ThroughReader(6);  // there is no SageLine50v6
    try {
        unknown->Login("/x/ACCDATA", test::SageUser, test::SagePassword);
        FAIL();
    } catch (const odbc::EOdbcError& e) {
        EXPECT_EQ(e.sqlState(), "IM002");
    }
    const auto names = unknown->DataSourceNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "SageLine50v17"), names.end());

    // Asked for nothing after a logout, the reader says so.
    sage->Logout();
    EXPECT_THROW(sage->SingleRow("SELECT 1", "checking"), Exception);
}

#ifndef _WIN32
TEST(ReaderProcess, ThePasswordIsNeitherInItsArgumentsNorInItsEnvironment) {
    auto sage = ThroughReader(9);
    ASSERT_TRUE(sage->Login("/x/ACCDATA", test::OddUser, test::OddPassword));
    const std::string proc = "/proc/" + std::to_string(sage->Reader()->ProcessId());
    const std::string arguments = test::FileText(proc + "/cmdline");
    EXPECT_EQ(arguments, RunningProgramPath() + '\0' + "--sage-reader" + '\0');
    const std::string environment = test::FileText(proc + "/environ");
    EXPECT_FALSE(environment.empty());
    EXPECT_EQ(environment.find(test::OddPassword), std::string::npos);
    EXPECT_EQ(environment.find("pa;ss"), std::string::npos);
}
#endif

// Ends a process as a crash or the task manager would.
void KillProcess(long id) {
#ifdef _WIN32
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(id));
    ASSERT_NE(process, nullptr);
    TerminateProcess(process, 0xC0000005);
    CloseHandle(process);
#else
    // SIGKILL: no handler can turn it into an exit code, not even the
    // sanitizers' in a build with them.
    ASSERT_EQ(::kill(static_cast<pid_t>(id), SIGKILL), 0);
#endif
}

const char* const ExpectedEnd =
#ifdef _WIN32
    "(exception code 0xC0000005";
#else
    "(signal 9";
#endif

// A data source whose login blocks: the harness's with a statement at
// connect that sleeps, as a user data source of its own name.
std::string StallingLoginDataSources(const test::TempDir& dir) {
    std::ifstream in(test::HarnessDir() + "/odbc.ini");
    std::stringstream text;
    text << in.rdbuf();
    std::string ini = text.str();
    const std::size_t start = ini.find("[SageLine50v17]");
    const std::size_t end = ini.find("\n\n", start);
    std::string section = ini.substr(start, end - start);
    section.replace(0, 15, "[SageLine50v40]");
    dir.write("odbc.ini", section + "\nConnSettings=SELECT pg_sleep(3600)\n\n");
    return dir / "odbc.ini";
}

// The phases of a call that blocks inside the driver: what the reader is
// asked, and the words the message uses for it.
struct Phase {
    const char* name;
    const char* doing;
    std::function<void(TSageObject&)> call;
    int version = 17;
    const char* user = "manager";
};

std::vector<Phase> BlockingPhases() {
    return {
#ifndef _WIN32
        // (Under Wine the reader's driver manager reads the data sources of
        // the environment Wine started with, not the test's own: the login
        // that blocks is for Linux, where the command line's tests try it
        // with every signal too.)
        {"login", "logging in",
         [](TSageObject& s) { s.Login("/x/ACCDATA", test::SageUser, test::SagePassword); }, 40},
#endif
        {"chart", "reading the charts of accounts", [](TSageObject& s) { s.ListCharts(); }, 17,
         "stalling_chart"},
        {"export", "reading Sales Ledger Transactions",
         [](TSageObject& s) {
             DiscardedRows rows;
             s.ExportSalesTransactions("TRAN_NUMBER", rows);
         },
         17, "stalling_export"},
        {"table check", "checking the table",
         [](TSageObject& s) {
             s.Reader()->SampleTable(Ledger::SalesTransactions, 10, "checking the table");
         },
         17, "stalling_export"},
    };
}

class ReaderBlocked : public ::testing::Test {
  protected:
    test::TempDir dir;
    void SetUp() override {
        // The login's data source is found beside the harness's own.
#ifdef _WIN32
        _putenv_s("ODBCINI", StallingLoginDataSources(dir).c_str());
#else
        ::setenv("ODBCINI", StallingLoginDataSources(dir).c_str(), 1);
#endif
    }
    std::unique_ptr<TSageObject> reachPhase(const Phase& phase) {
        auto sage = ThroughReader(phase.version);
        sage->Reader()->WaitingAfter = std::chrono::milliseconds(1000);
        if (phase.version != 40) {
            EXPECT_TRUE(sage->Login("/x/ACCDATA", phase.user, test::SagePassword));
        }
        return sage;
    }
};

TEST_F(ReaderBlocked, AReaderThatDiesEndsTheCallWithAMessageThatNamesWhatItWasDoing) {
    for (const Phase& phase : BlockingPhases()) {
        SCOPED_TRACE(phase.name);
        auto sage = reachPhase(phase);
        std::vector<int> waited;
        sage->OnWaiting = [&](const std::string& doing, int seconds) {
            waited.push_back(seconds);
            EXPECT_EQ(doing.rfind(phase.doing, 0), 0u) << doing;
            if (seconds > 0 && waited.size() == 1) {
                KillProcess(sage->Reader()->ProcessId());
            }
        };
        try {
            phase.call(*sage);
            FAIL() << "the call came back";
        } catch (const EReaderStopped& e) {
            const std::string text = e.what();
            EXPECT_EQ(text.rfind(std::string("The Sage ODBC driver stopped unexpectedly while ") +
                                     phase.doing,
                                 0),
                      0u)
                << text;
            EXPECT_NE(text.find(ExpectedEnd), std::string::npos) << text;
        }
        // Shown once the driver had been silent a second, taken away at the end.
        ASSERT_GE(waited.size(), 2u);
        EXPECT_EQ(waited.front(), 1);
        EXPECT_EQ(waited.back(), 0);
        EXPECT_FALSE(sage->Reader()->Running());
        // The next call starts a new reader, logged in to nothing.
        EXPECT_THROW(sage->SingleRow("SELECT 1", "checking"), Exception);
        EXPECT_TRUE(sage->Reader()->Running());
    }
}

bool ProcessGone(long id) {
#ifdef _WIN32
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
    if (!process) {
        return true;
    }
    const bool gone = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return gone;
#else
    return ::kill(static_cast<pid_t>(id), 0) != 0;
#endif
}

TEST_F(ReaderBlocked, AStopEndsTheReaderInsideTheDriverWithinASecond) {
    for (const Phase& phase : BlockingPhases()) {
        SCOPED_TRACE(phase.name);
        auto sage = reachPhase(phase);
        sage->Reader()->WaitingAfter = std::chrono::milliseconds(300);
        bool stop = false;
        Clock::time_point stoppedAt;
        sage->OnWaiting = [&](const std::string&, int seconds) { stop = stop || seconds > 0; };
        sage->OnPump = [&] {
            if (stop) {
                stoppedAt = Clock::now();
                throw EAbort();
            }
        };
        const long reader = sage->Reader()->ProcessId();
        EXPECT_THROW(phase.call(*sage), EAbort);
        const double seconds = std::chrono::duration<double>(Clock::now() - stoppedAt).count();
        EXPECT_LT(seconds, 1.0);
        EXPECT_FALSE(sage->Reader()->Running());
        if (reader != 0) {
            EXPECT_TRUE(ProcessGone(reader));
        }
    }
}

// The wizard's window after the reader died in a run: the error says so,
// nothing of the run is left, and Back, a new login and Finish export the
// books.
TEST_F(ReaderBlocked, TheWindowStaysUsableAfterTheReaderDiedInARun) {
    test::FakeSystem system{dir.path() + "/"};
    test::FakeView view;
    TfrmMain form{view, system};
    form.LogFileName = dir / "WizardDebug.log";
    form.CompanyName = "Acme";
    form.CompanyPath = "/x/ACCDATA";
    form.NoUpload = true;
    system.now.tm_year = 2016 - 1900;
    system.now.tm_mday = 3;
    form.SageObj = ThroughReader();
    form.SageObj->OnProgress = [&form](int position, int maximum) {
        form.ShowProgress(position, maximum);
    };
    form.SageObj->OnWaiting = [&form](const std::string&, int seconds) {
        if (seconds > 0) {
            KillProcess(form.SageObj->Reader()->ProcessId());
        }
    };
    form.SageObj->Reader()->WaitingAfter = std::chrono::milliseconds(1000);
    view.chartAnswers = {0, 0};
    view.setText("txtUserID", "stalling_export");
    view.setText("txtPassword", test::SagePassword);
    form.Dispatch(&TfrmMain::cmdLoginClick);
    ASSERT_TRUE(form.LoggedIn);
    view.page = tabOptions;
    form.UpdateButtons();
    form.Dispatch(&TfrmMain::cmdFinishClick);

    ASSERT_EQ(view.errorReports.size(), 1u);
    EXPECT_EQ(view.errorReports[0].rfind("The Sage ODBC driver stopped unexpectedly while reading "
                                         "Sales Ledger Transactions",
                                         0),
              0u)
        << view.errorReports[0];
    EXPECT_NE(test::FileText(form.LogFileName)
                  .find("Failed: The Sage ODBC driver stopped unexpectedly while reading Sales "
                        "Ledger Transactions"),
              std::string::npos);
    EXPECT_FALSE(form.LoggedIn);
    EXPECT_TRUE(view.isEnabled("cmdBack"));
    EXPECT_FALSE(form.Closed());
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"WizardDebug.log", "odbc.ini"}));

    // Back to the login page, a login that reads, and Finish again.
    form.SageObj->OnWaiting = {};
    form.Dispatch(&TfrmMain::cmdBackClick);
    EXPECT_EQ(view.page, tabLogin);
    view.setText("txtUserID", test::SageUser);
    form.Dispatch(&TfrmMain::cmdLoginClick);
    ASSERT_TRUE(form.LoggedIn);
    form.Dispatch(&TfrmMain::cmdNextClick);
    EXPECT_EQ(view.page, tabOptions);
    EXPECT_TRUE(view.isEnabled("cmdFinish"));
    form.Dispatch(&TfrmMain::cmdFinishClick);
    EXPECT_EQ(view.errorReports.size(), 1u) << view.errorReports.back();
    bool archive = false;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        archive = archive || entry.path().extension() == ".zip";
    }
    EXPECT_TRUE(archive);
}

// The page flow as the window runs it: the version page gives the Sage
// object its reader, a run that waits for a blocked driver call says so in
// the waiting line, and Cancel ends it (and the reader) at its next pump.
TEST_F(ReaderBlocked, TheWaitingLineCountsTheSecondsAndCancelEndsTheRunWithinASecond) {
    test::FakeSystem system{dir.path() + "/"};
    test::FakeView view;
    TfrmMain form{view, system};
    form.LogFileName = dir / "WizardDebug.log";
    view.page = tabVersion;
    view.selectVersion(10);  // version 17
    form.Dispatch(&TfrmMain::cboVersionChange);
    form.Dispatch(&TfrmMain::cmdNextClick);
    ASSERT_TRUE(form.SageObj && form.SageObj->Reader());
    form.SageObj->Settings = test::BritishSettings();
    form.CompanyName = "Acme";
    form.CompanyPath = "/x/ACCDATA";
    form.NoUpload = true;
    view.setText("txtUserID", "stalling_export");
    view.setText("txtPassword", test::SagePassword);
    form.Dispatch(&TfrmMain::cmdLoginClick);
    ASSERT_TRUE(form.LoggedIn);
    const long reader = form.SageObj->Reader()->ProcessId();

    view.chartAnswers = {0};
    view.page = tabOptions;
    Clock::time_point cancelled;
    view.onPump = [&] {
        if (cancelled == Clock::time_point() && view.waitingText.ends_with(": 4 s")) {
            cancelled = Clock::now();
            view.messageAnswers = {MsgResult::Yes};
            form.Dispatch(&TfrmMain::cmdCancelClick);
        }
    };
    form.Dispatch(&TfrmMain::cmdFinishClick);
    const double seconds = std::chrono::duration<double>(Clock::now() - cancelled).count();

    ASSERT_NE(cancelled, Clock::time_point()) << "no waiting line";
    EXPECT_LT(seconds, 1.0);
    EXPECT_TRUE(form.Closed());
    EXPECT_TRUE(view.errorReports.empty());
    // Shown after three silent seconds, once a second, then taken away.
    const std::vector<std::string> expected = {
        "Waiting for the Sage ODBC driver (reading Sales Ledger Transactions): 3 s",
        "Waiting for the Sage ODBC driver (reading Sales Ledger Transactions): 4 s", ""};
    EXPECT_EQ(view.waitingTexts, expected);
    EXPECT_TRUE(ProcessGone(reader));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"WizardDebug.log", "odbc.ini"}));
}

}  // namespace
}  // namespace quillmere
