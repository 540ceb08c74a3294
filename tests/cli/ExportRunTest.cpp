// quillmere-export's whole road, the real program against the Sage harness
// and the HTTPS stand-in of the service: the upload, the suppressed upload,
// the refused file, a failing service, a wrong password, the chart chooser
// answered by --chart, and the password kept out of everything it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <regex>
#include <sstream>
#include <thread>

#include "ExportProgram.h"
#include "support/Command.h"
#include "support/StandInService.h"
#include "support/TableNames.h"
#include "support/TempDir.h"
#include "ui/console/HeadlessView.h"
#include "ui/console/UnattendedRun.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;
using test::FileText;
using test::MakeSageHome;
using test::ProgramResult;
using test::ProgramRun;
using test::RunExport;
using test::StandInService;
using test::TempDir;

constexpr const char* Password = "letmein";
const char* const Located = "Information: Sage Home Directory has now been located\n";

// The migration report's line on standard error, when the run wrote a report.
const std::string ReportLine =
    "Migration report: [0-9]+ errors?, [0-9]+ warnings?, [0-9]+ notes?: .*\\.report\\.html "
    "\\(.*\\.report\\.json\\)\n";

// Standard error of a run that exported and wrote its report: the located
// home directory, what the run said (`rest`), then the report's line, last
// where a reader finds it.
bool ReportedErr(const std::string& err, const std::string& rest = "") {
    return std::regex_match(err, std::regex(std::string(Located) + rest + ReportLine));
}

// The memo of an export run, up to the migration report's line.
const std::string MemoToReport =
    "Getting Chart of Accounts Categories...\n"
    "Getting sales ledger codes....\nFound ([0-9]+) items.\n"
    "Getting sales ledger transactions....\nFound ([0-9]+) items.\n"
    "Getting purchase ledger codes....\nFound ([0-9]+) items.\n"
    "Getting purchase ledger transactions....\nFound ([0-9]+) items.\n"
    "Getting nominal ledger codes....\nFound ([0-9]+) items.\n"
    "Getting nominal ledger transactions....\nFound ([0-9]+) items.\n"
    "Getting payments and receipts....\nFound ([0-9]+) items.\n"
    "Export from Sage Complete!\n"
    "Migration report \\([0-9]+ errors?, [0-9]+ warnings?, [0-9]+ notes?\\): "
    "[^\n]*\\.report\\.html\n";
// ... and on to "Starting transfer of data".
const std::string ExportMemo = MemoToReport + "Starting transfer of data\n";

// The log of the road up to the export, as the wizard writes it on a system
// without a registry, with the home directory picked by Browse.
const std::string LogToExport =
    "Using Default Home Dir\r\n"
    "Wizard Started at [0-9]{2}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\r\n"
    "Windows version detected as:[0-9]+\\.[0-9]+\r\n"
    "Sage Object Created\r\n"
    "Current Home directory is C:\\\\Program Files\\\\Sage\\\\Accounts\r\n"
    "Version is 17\r\n"
    "Start company selection\r\n"
    "Attempting Login\r\n"
    "Login Successful\r\n"
    "Starting Data Export...\r\n"
    "Closing Zip file and saving to disk\r\n"
    "Temp files deleted\r\n"
    "Export completed\r\n"
    "Migration report written \\([^)]*\\): [^\r]*\\.report\\.html and "
    "[^\r]*\\.report\\.json\r\n"
    "(Sending despite the migration report \\([^)]*\\)\r\n)?"
    "Call API\r\n";

// Each entry of a zip file as "name CRLF-count", read by Python's zipfile.
std::string ZipTables(const std::string& zip) {
    return test::RunCommand(
        "python3 -c 'import sys, zipfile\n"
        "z = zipfile.ZipFile(sys.argv[1])\n"
        "for i in z.infolist(): print(i.filename, z.read(i).count(b\"\\r\\n\"))' '" +
        zip + "'");
}

// "name count" lines for the eight tables from the memo's counts (the
// receipts have none of their own: the archive's count is taken for them).
std::string TablesFromMemo(const std::smatch& memo, const std::string& receipts) {
    std::string tables;
    for (int i = 0; i < 7; ++i) {
        tables += test::ExportTableNames[i] + " " + memo[i + 1].str() + "\n";
    }
    return tables + "Receipts.csv " + receipts + "\n";
}

// `text` as a regular expression that matches it alone.
std::string Literal(const std::string& text) {
    return std::regex_replace(text, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
}

std::string LastLineOf(const std::string& text) {
    const std::string body = text.substr(0, text.size() - 1);
    return body.substr(body.rfind('\n') + 1);
}

std::vector<std::string> FilesIn(const std::string& dir, const std::string& extension) {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() == extension) {
            files.push_back(entry.path().string());
        }
    }
    return files;
}

// The names in the work directory but the log.
std::vector<std::string> LeftInWork(const std::string& work) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(work)) {
        if (entry.path().filename() != "WizardDebug.log") {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

class ExportRun : public ::testing::Test {
  protected:
    TempDir dir;
    std::string home = MakeSageHome(dir, {{"Acme Trading Ltd", "Sage Data/Acme"}});
    std::string work = dir.mkdir("work");
    std::string passwordFile = dir.write("secret", std::string(Password) + "\r\nsecond line\r\n");
    std::string browserRecord = dir / "browser";

    void SetUp() override {
        // A browser that notes its address and environment.
        dir.write("bin/xdg-open", "#!/bin/sh\nenv > '" + browserRecord +
                                      ".env'\nprintf '%s' \"$1\" > '" + browserRecord +
                                      ".tmp'\nmv '" + browserRecord + ".tmp' '" + browserRecord +
                                      "'\n");
        fs::permissions(dir / "bin/xdg-open", fs::perms::owner_all);
        // Private, as a password file should be (others' rights draw a warning).
        fs::permissions(passwordFile, fs::perms::owner_read | fs::perms::owner_write);
    }

    // The run of a script: the harness's data sources, the stand-in, the
    // password in a file, chart 1 of the test books.
    ProgramRun road(const StandInService& service, std::vector<std::string> extra = {}) {
        ProgramRun run;
        run.args = {"--sage-version", "17",
                    "--home",         home,
                    "--user",         "manager",
                    "--chart",        "1",
                    "--work-dir",     work,
                    "--service-url",  service.baseUrl(),
                    "--ca-file",      service.caFile()};
        if (std::find(extra.begin(), extra.end(), "--password-file") == extra.end()) {
            run.args.insert(run.args.end(), {"--password-file", passwordFile});
        }
        run.args.insert(run.args.end(), extra.begin(), extra.end());
        const std::string harness = SAGE_HARNESS_DIR;
        run.env = {{"ODBCSYSINI", harness},
                   {"ODBCINI", harness + "/odbc.ini"},
                   {"PATH", (dir / "bin") + ":" + std::getenv("PATH")}};
        return run;
    }

    ProgramResult runChecked(const ProgramRun& run, const std::string& password = Password) {
        ProgramResult r = RunExport(run);
        // Whatever the road, the password is nowhere in what the program writes.
        for (const std::string* text : {&r.out, &r.err}) {
            EXPECT_EQ(text->find(password), std::string::npos) << *text;
        }
        EXPECT_EQ(log().find(password), std::string::npos) << log();
        return r;
    }

    std::string log() const { return FileText(work + "/WizardDebug.log"); }

    // The address the browser was asked to open, waiting for the shell that
    // starts it in the background; empty when none was asked for.
    std::string browserAddress(std::chrono::milliseconds wait = std::chrono::seconds(5)) const {
        const auto until = std::chrono::steady_clock::now() + wait;
        while (!fs::exists(browserRecord) && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return fs::exists(browserRecord) ? FileText(browserRecord) : "";
    }
};

TEST_F(ExportRun, UploadsPrintsTheImportAddressAndOpensIt) {
    StandInService service;
    ProgramRun run = road(service);
    // The password from the environment this time: the browser started at
    // the end must not inherit it.
    run.args.erase(run.args.end() - 2, run.args.end());
    run.env["QUILLMERE_SAGE_PASSWORD"] = Password;
    const ProgramResult r = runChecked(run);

    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(ReportedErr(r.err)) << r.err;
    const std::string address = service.baseUrl() + "/processSageImport.asp?id=1";
    std::smatch memo;
    ASSERT_TRUE(std::regex_match(
        r.out, memo, std::regex(ExportMemo + "Transfer Complete!\n" + Literal(address) + "\n")))
        << r.out;

    // What the service received is what the memo counted, table by table.
    ASSERT_EQ(service.requestCount(), 1);
    const std::string received = ZipTables(service.recordDir() + "/import-1.zip");
    std::smatch receipts;
    ASSERT_TRUE(std::regex_search(received, receipts, std::regex("Receipts.csv ([0-9]+)")));
    EXPECT_EQ(received, TablesFromMemo(memo, receipts[1]));

    EXPECT_EQ(browserAddress(), address);
    const std::string browserEnv = FileText(browserRecord + ".env");
    EXPECT_EQ(browserEnv.find("QUILLMERE_SAGE_PASSWORD"), std::string::npos);
    EXPECT_EQ(browserEnv.find(Password), std::string::npos);

    // The archive is gone with the tables; the log holds the wizard's lines.
    EXPECT_TRUE(FilesIn(work, ".zip").empty());
    EXPECT_TRUE(FilesIn(work, ".csv").empty());
    EXPECT_TRUE(
        std::regex_match(log(), std::regex(LogToExport +
                                           "API Called\r\nConvert zip file\r\nGet Vuredevu URL\r\n"
                                           "Sent file to URL " +
                                           Literal(address) + "\r\nWizard Finished\r\n")))
        << log();
}

TEST_F(ExportRun, NoUploadLeavesTheArchiveAndAsksNothingOfTheService) {
    StandInService service;
    const ProgramResult r = runChecked(road(service, {"--no-upload"}));

    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(ReportedErr(r.err)) << r.err;
    std::smatch memo;
    ASSERT_TRUE(std::regex_match(r.out, memo, std::regex(ExportMemo))) << r.out;
    EXPECT_EQ(service.requestCount(), 0);
    EXPECT_EQ(browserAddress(std::chrono::milliseconds(300)), "");

    const auto archives = FilesIn(work, ".zip");
    ASSERT_EQ(archives.size(), 1u);
    EXPECT_TRUE(std::regex_match(fs::path(archives[0]).filename().string(),
                                 std::regex("AcmeTradingLtd_[0-9]{8}_[0-9]{4}\\.zip")))
        << archives[0];
    const std::string tables = ZipTables(archives[0]);
    std::smatch receipts;
    ASSERT_TRUE(std::regex_search(tables, receipts, std::regex("Receipts.csv ([0-9]+)")));
    EXPECT_EQ(tables, TablesFromMemo(memo, receipts[1]));
    EXPECT_TRUE(FilesIn(work, ".csv").empty());
    // No marker file is left behind to suppress a later run's upload.
    EXPECT_FALSE(fs::exists(work + "/noupload.txt"));
    EXPECT_TRUE(std::regex_match(log(), std::regex(LogToExport + "Wizard Finished\r\n"))) << log();
}

// The status lines of a run that kept its archive unsent.
std::string KeptMemo(const std::string& archive) {
    return "The archive was not sent\\.\nIt is kept as " + Literal(archive) +
           "\nIt can be sent later: the wizard offers to send it when it next starts\\.\n";
}

// --review: the export and its report, nothing sent; the message gives the
// command that sends the archive later, and that command sends it.
TEST_F(ExportRun, ReviewKeepsTheArchiveAndSaysHowToSendIt) {
    StandInService service;
    for (const bool noUpload : {false, true}) {
        SCOPED_TRACE(noUpload ? "--review --no-upload" : "--review");
        std::vector<std::string> extra = {"--review"};
        if (noUpload) {
            extra.push_back("--no-upload");
        }
        const int before = service.requestCount();
        const ProgramResult r = runChecked(road(service, extra));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(service.requestCount(), before);
        const auto archives = FilesIn(work, ".zip");
        ASSERT_EQ(archives.size(), 1u);
        const std::string& archive = archives[0];
        EXPECT_TRUE(std::regex_match(r.out, std::regex(MemoToReport + KeptMemo(archive)))) << r.out;
        // The report's line exactly when the run wrote a report.
        const bool reported = !FilesIn(work, ".html").empty();
        EXPECT_TRUE(std::regex_match(
            r.err,
            std::regex(std::string(Located) + (reported ? ReportLine : "") +
                       "Not sent \\(--review\\): the archive is kept as " + Literal(archive) +
                       "\nTo send it: quillmere-export --resend \"" + Literal(archive) + "\"\n")))
            << r.err;
        EXPECT_TRUE(std::regex_match(
            log(),
            std::regex(LogToExport.substr(0, LogToExport.rfind("Call API")) +
                       "Not sent: kept for review\r\nArchive kept: " + Literal(archive) + "\r\n")))
            << log();
        EXPECT_EQ(browserAddress(std::chrono::milliseconds(300)), "");

        // The command it names sends the archive.
        ProgramRun resend = road(service);
        resend.args = {"--resend",  archive,          "--work-dir",
                       work,        "--service-url",  service.baseUrl(),
                       "--ca-file", service.caFile(), "--no-browser"};
        const ProgramResult sent = runChecked(resend);
        EXPECT_EQ(sent.status, 0) << sent.err;
        EXPECT_EQ(service.requestCount(), before + 1);
        EXPECT_FALSE(fs::exists(archive));
        fs::remove_all(work);
        fs::create_directory(work);
    }
}

// --strict: the test books' nominal balances do not add up to zero, an error
// of the migration report, so the archive is kept and the run ends with 4.
TEST_F(ExportRun, StrictKeepsTheArchiveWhenTheReportFoundErrors) {
    StandInService service;
    const ProgramResult r = runChecked(road(service, {"--strict"}));
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_EQ(service.requestCount(), 0);
    const auto archives = FilesIn(work, ".zip");
    ASSERT_EQ(archives.size(), 1u);
    const std::string& archive = archives[0];
    EXPECT_TRUE(std::regex_match(r.out, std::regex(MemoToReport + KeptMemo(archive)))) << r.out;
    std::smatch errors;
    ASSERT_TRUE(std::regex_match(
        r.err, errors,
        std::regex(std::string(Located) +
                   "Migration report: ([0-9]+) errors?, [0-9]+ warnings?, [0-9]+ notes?: .*\n"
                   "Not sent \\(--strict\\): the migration report found ([0-9]+) errors?; the "
                   "archive is kept as " +
                   Literal(archive) + "\nTo send it: quillmere-export --resend \"" +
                   Literal(archive) + "\"\n")))
        << r.err;
    EXPECT_EQ(errors[1], errors[2]);
    EXPECT_NE(errors[1], "0");
    EXPECT_EQ(browserAddress(std::chrono::milliseconds(300)), "");
}

TEST_F(ExportRun, ARefusedFileExitsWithThreeAndKeepsTheArchive) {
    StandInService service("refuse");
    const ProgramResult r = runChecked(road(service));

    EXPECT_EQ(r.status, 3);
    const auto archives = FilesIn(work, ".zip");
    ASSERT_EQ(archives.size(), 1u);
    EXPECT_TRUE(ReportedErr(r.err, "Error: Unable to send file, Please email " +
                                       Literal(archives[0]) + " to support\n"))
        << r.err;
    EXPECT_TRUE(std::regex_match(r.out, std::regex(ExportMemo + "Transfer Complete!\n"))) << r.out;
    EXPECT_EQ(browserAddress(std::chrono::milliseconds(300)), "");
    EXPECT_TRUE(std::regex_match(
        log(), std::regex(LogToExport + "API Called\r\nConvert zip file\r\nGet Vuredevu URL\r\n"
                                        "Error in URL 0\r\nWizard Finished\r\n")))
        << log();
}

TEST_F(ExportRun, AFailingServiceIsAFailedStep) {
    StandInService service("fault");
    const ProgramResult r = runChecked(road(service));

    EXPECT_EQ(r.status, 1);
    // The service's fault text in the general error report, after the memo
    // of the export; no address.
    EXPECT_TRUE(ReportedErr(r.err, "Error: [^]*")) << r.err;
    EXPECT_TRUE(std::regex_match(r.out, std::regex(ExportMemo))) << r.out;
    // The archive stays, and the message says where.
    const std::vector<std::string> archives = FilesIn(work, ".zip");
    ASSERT_EQ(archives.size(), 1u);
    EXPECT_NE(r.err.find("\nThe archive " + archives[0] + " is kept.\n"), std::string::npos)
        << r.err;
    // The log says why the run failed.
    EXPECT_TRUE(std::regex_match(
        log(), std::regex(LogToExport + "API Called\r\nConvert zip file\r\nGet Vuredevu URL\r\n"
                                        "Failed: Server was unable to process request[^\r]* is "
                                        "kept\r\n")))
        << log();
}

TEST_F(ExportRun, AWrongPasswordStopsAtTheLoginWithItsMessage) {
    StandInService service;
    const std::string wrong = "not-" + std::string(Password) + "-at-all";
    const std::string wrongFile = dir.write("wrong", wrong + "\n");
    fs::permissions(wrongFile, fs::perms::owner_read | fs::perms::owner_write);
    ProgramRun run = road(service, {"--password-file", wrongFile});
    const ProgramResult r = runChecked(run, wrong);

    EXPECT_EQ(r.status, 1);
    // The one login message, then what the driver said.
    const std::string message = std::string(Located) +
                                "Error: An error occurred logging in\n"
                                "Please check you entered the user name and password correctly\n"
                                "\n";
    EXPECT_EQ(r.err.rfind(message, 0), 0u) << r.err;
    EXPECT_NE(r.err.find("password authentication failed for user \"manager\"", message.size()),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(service.requestCount(), 0);
    EXPECT_TRUE(FilesIn(work, ".zip").empty());
    const std::string expected = LogToExport.substr(0, LogToExport.find("Login Successful")) +
                                 "Failed: Login: [^\r]*password authentication failed[^\r]*\r\n";
    EXPECT_TRUE(std::regex_match(log(), std::regex(expected))) << log();
}

TEST_F(ExportRun, CompanyNamesTheChoiceAmongSeveral) {
    StandInService service;
    TempDir other;
    home =
        MakeSageHome(other, {{"Wren & Hollis Joinery Ltd", "Co 1"}, {"Hollis Properties", "Co_2"}});
    const ProgramResult r =
        runChecked(road(service, {"--company", "Hollis Properties", "--no-upload"}));
    ASSERT_EQ(r.status, 0) << r.err;
    // The archive carries the chosen company's name.
    const auto archives = FilesIn(work, ".zip");
    ASSERT_EQ(archives.size(), 1u);
    EXPECT_EQ(fs::path(archives[0]).filename().string().rfind("HollisProperties_", 0), 0u)
        << archives[0];
}

TEST_F(ExportRun, APasswordFileOthersCanReadDrawsAWarning) {
    StandInService service;
    fs::permissions(passwordFile, fs::perms::owner_read | fs::perms::owner_write |
                                      fs::perms::group_read | fs::perms::others_read);
    const ProgramResult r = runChecked(road(service, {"--no-upload"}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.rfind("quillmere-export: warning: the password file " + passwordFile +
                              " can be read or changed by other users (mode 0644); make it "
                              "private with: chmod 600 " +
                              passwordFile + "\n",
                          0),
              0u)
        << r.err;
}

// A symbolic link planted in the work directory (by another local user) is
// never written through: the run fails and the file it points to is intact.
TEST_F(ExportRun, SymbolicLinksInTheWorkDirectoryAreNotWrittenThrough) {
    StandInService service;
    for (const std::string name : {"WizardDebug.log", "Sales Ledger Codes.csv.part"}) {
        SCOPED_TRACE(name);
        fs::remove_all(work);
        fs::create_directory(work);
        const std::string victim = dir.write("victim", "someone else's file\n");
        fs::create_symlink(victim, work + "/" + name);
        const ProgramResult r = runChecked(road(service, {"--no-upload"}));
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find("File access denied"), std::string::npos) << r.err;
        EXPECT_EQ(FileText(victim), "someone else's file\n");
        EXPECT_TRUE(fs::is_symlink(work + "/" + name));
        // Nothing that looks like output is left.
        for (const std::string& left : LeftInWork(work)) {
            EXPECT_TRUE(left == name || left == "WizardDebug.log") << left;
        }
    }
}

TEST_F(ExportRun, ThePasswordCanComeFromStandardInput) {
    StandInService service;
    ProgramRun run = road(service, {"--password-file", "-", "--no-upload"});
    run.input = std::string(Password) + "\n";
    const ProgramResult r = runChecked(run);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(ReportedErr(r.err)) << r.err;
}

TEST_F(ExportRun, TheChartOfAccountsIsChosenByNumber) {
    StandInService service;
    struct Case {
        std::vector<std::string> chart;
        int status;
        std::string err;
    } cases[] = {
        {{"--chart", "2"}, 0, ""},
        {{},
         2,
         "quillmere-export: the company has 2 charts of accounts; choose one with --chart: "
         "\"1 - Standard\", \"2 - Charity\"\n"},
        {{"--chart", "7"},
         2,
         "quillmere-export: --chart: the company has no chart 7; its charts are \"1 - "
         "Standard\", \"2 - Charity\"\n"},
    };
    for (const Case& c : cases) {
        ProgramRun run = road(service, {"--no-upload"});
        auto chart = std::find(run.args.begin(), run.args.end(), "--chart");
        run.args.erase(chart, chart + 2);
        run.args.insert(run.args.end(), c.chart.begin(), c.chart.end());
        const ProgramResult r = runChecked(run);
        EXPECT_EQ(r.status, c.status) << r.err;
        if (c.status == 0) {
            EXPECT_TRUE(ReportedErr(r.err, c.err)) << r.err;
        } else {
            EXPECT_EQ(r.err, Located + c.err);
        }
    }
}

TEST_F(ExportRun, NoBrowserPrintsTheAddressOnly) {
    StandInService service;
    const ProgramResult r = runChecked(road(service, {"--no-browser"}));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(LastLineOf(r.out), service.baseUrl() + "/processSageImport.asp?id=1");
    EXPECT_EQ(browserAddress(std::chrono::milliseconds(500)), "");
}

// The busy company's exports report progress every 200 records.
ProgramRun& Busy(ProgramRun& run) {
    auto user = std::find(run.args.begin(), run.args.end(), "--user");
    user[1] = "busy";
    return run;
}

TEST_F(ExportRun, TheProgressBarIsDrawnOnATerminalOnly) {
    StandInService service;
    for (const bool terminal : {true, false}) {
        ProgramRun run = road(service, {"--no-upload"});
        run.terminalStderr = terminal;
        const ProgramResult r = runChecked(Busy(run));
        ASSERT_EQ(r.status, 0) << r.err;
        std::smatch memo;
        EXPECT_TRUE(std::regex_match(r.out, memo, std::regex(ExportMemo))) << r.out;
        EXPECT_EQ(memo[2], "1001");  // the sales transactions: the header and 1,000 invoices
        const std::regex bar(R"(\r\[#+ *\] [0-9]+%)");
        if (terminal) {
            // 1,000 invoices reach 100%; the bar is wiped before the message
            // (the terminal shows each line break as CR LF).
            EXPECT_NE(r.err.find("\r[" + std::string(40, '#') + "] 100%"), std::string::npos)
                << r.err;
            EXPECT_TRUE(std::regex_search(r.err, bar));
            EXPECT_NE(
                r.err.find(std::string(Located).insert(std::string(Located).size() - 1, "\r")),
                std::string::npos)
                << r.err;
        } else {
            EXPECT_TRUE(ReportedErr(r.err)) << r.err;
        }
    }
}

TEST_F(ExportRun, AnInterruptStopsTheRunAtItsNextPumpAndClosesTheWindow) {
    // In this process, with the front end's view: the first pump finds Ctrl-C
    // pressed, as the close box of the window would be.
    StandInService service;
    ProgramRun run = road(service);
    ::setenv("ODBCSYSINI", run.env["ODBCSYSINI"].c_str(), 1);
    ::setenv("ODBCINI", run.env["ODBCINI"].c_str(), 1);
    Busy(run).args.insert(run.args.begin(), "quillmere-export");
    run.args.erase(std::find(run.args.begin(), run.args.end(), "--password-file"),
                   run.args.end());  // read from the file by main()
    std::vector<char*> argv;
    for (std::string& arg : run.args) {
        argv.push_back(arg.data());
    }
    const ExportOptions options = ParseExportOptions(static_cast<int>(argv.size()), argv.data());

    std::ostringstream out, err;
    HeadlessView view(out, err, false);
    // Pressed once the export run has begun (the front end also looks for
    // it between the clicks before).
    view.interruptPending = [&out] { return out.str().find("Getting") != std::string::npos; };
    const auto system = CreateHostSystem(options.workDir);
    EXPECT_EQ(RunUnattended(options, Password, view, *system, out, err), ExitInterrupted);

    EXPECT_TRUE(view.windowClosed());
    EXPECT_EQ(err.str(), std::string(Located) + "Interrupted.\n");
    // Stopped at the next pump: the wait for the Sage driver's reader pumps
    // too, so at the latest in the first table that reports progress.
    EXPECT_TRUE(std::regex_match(
        out.str(), std::regex("Getting Chart of Accounts Categories...\n"
                              "(Getting sales ledger codes....\n(Found [0-9]+ items.\n"
                              "(Getting sales ledger transactions....\n)?)?)?")))
        << out.str();
    EXPECT_EQ(service.requestCount(), 0);
    const std::string expected = LogToExport.substr(0, LogToExport.find("Closing Zip"));
    EXPECT_TRUE(std::regex_match(log(), std::regex(expected))) << log();
}

// The login of the company whose purchase transactions (a table without
// progress) and archive take a while.
ProgramRun& Bulky(ProgramRun& run) {
    auto user = std::find(run.args.begin(), run.args.end(), "--user");
    user[1] = "bulky";
    return run;
}

// A stop by signal in each phase of the run ends it at once, as Ctrl-C and
// the close box do: "Interrupted.", status 130, nothing uploaded in the
// phases before the upload, and in the work directory no table file, no
// scratch file and no archive unless it is complete.
TEST_F(ExportRun, SignalsStopEveryPhaseAtOnceAndLeaveNoHalfOutput) {
    struct Case {
        const char* phase;
        int signal;
        const char* mode;
    } const cases[] = {
        {"purchase transactions", SIGTERM, "accept"},
        {"purchase transactions", SIGINT, "accept"},
        {"archive", SIGINT, "accept"},
        {"upload", SIGHUP, "stall"},
        {"upload", SIGINT, "stall"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.phase) + ", signal " + std::to_string(c.signal));
        fs::remove_all(work);
        fs::create_directory(work);
        StandInService service(c.mode);
        ProgramRun run = road(service);
        Bulky(run).signal = c.signal;
        // The password from the environment, which must be gone from the
        // process's environment block while it runs.
        run.args.erase(std::find(run.args.begin(), run.args.end(), "--password-file"),
                       run.args.end());
        run.env["QUILLMERE_SAGE_PASSWORD"] = Password;
        std::string environment;
        const std::string phase = c.phase;
        run.signalWhen = [&](int pid) {
            environment = FileText("/proc/" + std::to_string(pid) + "/environ");
            if (phase == "purchase transactions") {
                return fs::exists(work + "/Purchase Ledger Transactions.csv.part");
            }
            if (phase == "archive") {
                return fs::exists(work + "/WizardDebug.log") &&
                       log().find("Closing Zip file") != std::string::npos;
            }
            return service.requestCount() > 0;
        };
        const ProgramResult r = runChecked(run);
        EXPECT_NE(environment.find("QUILLMERE_SAGE_PASSWORD="), std::string::npos);
        EXPECT_EQ(environment.find(Password), std::string::npos);
        EXPECT_EQ(r.status, 130) << r.err;
        EXPECT_TRUE(r.err.ends_with("Interrupted.\n")) << r.err;
        EXPECT_GE(r.secondsAfterSignal, 0);
        // Promptly: within a second on a quiet machine; the margin is for a
        // loaded one.
        EXPECT_LT(r.secondsAfterSignal, 3.0);
        std::cerr << "  stopped " << r.secondsAfterSignal << " s after the signal\n";
        EXPECT_EQ(r.out.find("processSageImport"), std::string::npos) << r.out;
        // A complete archive may stay, with its control totals beside it;
        // nothing else may.
        std::vector<std::string> left;
        for (const std::string& name : LeftInWork(work)) {
            const auto describes =
                name.find(name.ends_with(".summary.txt") ? ".summary.txt" : ".report.");
            if (describes == std::string::npos) {
                left.push_back(name);
            } else {
                EXPECT_TRUE(fs::exists(work + "/" + name.substr(0, describes) + ".zip"))
                    << name << " without its archive";
            }
        }
        if (phase == "upload") {
            // The archive was complete: it stays for the next attempt.
            ASSERT_EQ(left.size(), 1u) << testing::PrintToString(left);
            EXPECT_EQ(fs::path(left[0]).extension(), ".zip");
            const std::string tables = ZipTables(work + "/" + left[0]);
            EXPECT_EQ(std::count(tables.begin(), tables.end(), '\n'), 8) << tables;
            EXPECT_EQ(service.requestCount(), 1);
        } else {
            EXPECT_EQ(service.requestCount(), 0);
            // Nothing, or (stopped just after the archive was written) the
            // whole archive.
            for (const std::string& name : left) {
                EXPECT_EQ(fs::path(name).extension(), ".zip") << name;
                const std::string tables = ZipTables(work + "/" + name);
                EXPECT_EQ(std::count(tables.begin(), tables.end(), '\n'), 8) << tables;
            }
            EXPECT_LE(left.size(), 1u) << testing::PrintToString(left);
        }
    }
}

// The child processes of a process (its reader).
std::vector<int> Children(int pid) {
    std::vector<int> children;
    std::istringstream list(
        FileText("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children"));
    for (int child; list >> child;) {
        children.push_back(child);
    }
    return children;
}

// A run that waits for a driver call that does not end (a table whose query
// sleeps, a login that does not come back, the check's count of a table):
// Ctrl-C, SIGTERM and SIGHUP end it within a second, with the reader process,
// and leave nothing behind.
TEST_F(ExportRun, SignalsEndARunBlockedInTheSageDriverWithinASecond) {
    // Every data source of the harness, its login made to sleep.
    std::string ini = FileText(std::string(SAGE_HARNESS_DIR) + "/odbc.ini");
    for (std::size_t at = 0; (at = ini.find("ReadOnly=1\n", at)) != std::string::npos;) {
        at += std::string("ReadOnly=1\n").size();
        ini.insert(at, "ConnSettings=SELECT pg_sleep(3600)\n");
    }
    const std::string stallingLogin = dir.write("stalling-odbc.ini", ini);
    struct Case {
        const char* phase;
        int signal;
    } const cases[] = {
        {"export", SIGINT}, {"export", SIGTERM}, {"export", SIGHUP},
        {"login", SIGTERM}, {"check", SIGINT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.phase) + ", signal " + std::to_string(c.signal));
        fs::remove_all(work);
        fs::create_directory(work);
        StandInService service;
        const std::string phase = c.phase;
        ProgramRun run = road(service, phase == "check" ? std::vector<std::string>{"--check"}
                                                        : std::vector<std::string>{});
        auto user = std::find(run.args.begin(), run.args.end(), "--user");
        user[1] = phase == "login" ? "manager" : "stalling_export";
        if (phase == "login") {
            run.env["ODBCINI"] = stallingLogin;
        }
        run.signal = c.signal;
        const auto started = std::chrono::steady_clock::now();
        std::vector<int> readers;
        run.signalWhen = [&](int pid) {
            readers = Children(pid);
            // Long enough for the reader to be inside the call that blocks.
            return !readers.empty() &&
                   std::chrono::steady_clock::now() - started > std::chrono::milliseconds(2500);
        };
        const ProgramResult r = runChecked(run);
        EXPECT_EQ(r.status, 130) << r.err << r.out;
        if (phase == "check") {
            EXPECT_NE(r.out.find("The check was stopped."), std::string::npos) << r.out;
        } else {
            EXPECT_TRUE(r.err.ends_with("Interrupted.\n")) << r.err;
        }
        EXPECT_GE(r.secondsAfterSignal, 0);
        EXPECT_LT(r.secondsAfterSignal, 1.0);
        std::cerr << "  stopped " << r.secondsAfterSignal << " s after the signal\n";
        ASSERT_EQ(readers.size(), 1u);
        EXPECT_FALSE(
            fs::exists("/proc/" + std::to_string(readers[0]) + "/cmdline") &&
            FileText("/proc/" + std::to_string(readers[0]) + "/cmdline").find("--sage-reader") !=
                std::string::npos)
            << "the reader outlived the program";
        EXPECT_EQ(LeftInWork(work), std::vector<std::string>{});
        EXPECT_EQ(service.requestCount(), 0);
    }
}

}  // namespace
}  // namespace quillmere
