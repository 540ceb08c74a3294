// Runs Finish's export run once, as the wizard does, against the Sage data
// source that ODBCINI names, with the program's directory in WORK_DIR and no
// upload; prints the wall time and the peak memory of the process.
// With --floor it runs only the eight tables' queries, through the same
// exports and query settings, every record fetched and thrown away: no line,
// no file, no archive (what the data source and its driver cost alone).
//   export_bench [--floor] WORK_DIR [USER PASSWORD]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "app/ufMain.h"
#include "export/ExportTables.h"

namespace {

using namespace quillmere;

// A window that shows nothing: the run's memo goes to standard error, the
// only chart is taken, an error is printed.
class QuietView : public WizardView {
  public:
    bool failed = false;

    MsgResult messageBox(const std::string& text, MsgType, MsgButtons) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return MsgResult::OK;
    }
    // Timed as an unattended run goes: on to the upload without a pause.
    SendChoice askBeforeSending(const SendQuestion&) override { return SendChoice::SendAnyway; }
    void errorReport(const std::string&, const std::string& text) override {
        std::fprintf(stderr, "error: %s\n", text.c_str());
        failed = true;
    }
    int pageCount() const override { return 5; }
    int activePage() const override { return tabOptions; }
    void setActivePage(int) override {}
    void setEnabled(std::string_view, bool) override {}
    bool isEnabled(std::string_view) const override { return true; }
    void setVisible(std::string_view, bool) override {}
    bool isVisible(std::string_view) const override { return true; }
    void setText(std::string_view, const std::string&) override {}
    std::string text(std::string_view) const override { return {}; }
    int versionIndex() const override { return 10; }
    std::string versionText() const override { return {}; }
    void addDrive(const std::string&) override {}
    int driveCount() const override { return 0; }
    std::string driveText(int) const override { return {}; }
    bool driveChecked(int) const override { return false; }
    void clearStatus() override {}
    void addStatusLine(const std::string& line) override {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
    void setProgressMax(int) override {}
    void setProgressPosition(int) override {}
    void setWaitingText(const std::string&) override {}
    void processMessages() override {}
    void setTimerEnabled(bool) override {}
    void closeWindow() override {}
    std::optional<std::string> browseForFolder(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<int> chooseDirectory(const std::vector<std::string>&) override {
        return std::nullopt;
    }
    std::optional<int> chooseCompany(
        const std::vector<std::pair<std::string, std::string>>&) override {
        return std::nullopt;
    }
    int chooseChart(const std::vector<std::string>&) override { return 0; }
};

}  // namespace

int main(int argc, char** argv) {
    const bool floor = argc > 1 && std::string(argv[1]) == "--floor";
    if (floor) {
        --argc;
        ++argv;
    }
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: export_bench [--floor] WORK_DIR [USER PASSWORD]\n");
        return 2;
    }
    const std::string user = argc == 4 ? argv[2] : "manager";
    const std::string password = argc == 4 ? argv[3] : "letmein";
    auto system = CreateHostSystem(argv[1]);
    QuietView view;
    TfrmMain form(view, *system);
    form.LogFileName = system->executableDir() + "WizardDebug.log";
    form.CompanyName = "Bench Company";
    form.NoUpload = true;
    form.SageObj = std::make_unique<TSageObject>(17);
    form.SageObj->OnProgress = [&form](int position, int maximum) {
        form.ShowProgress(position, maximum);
    };

    const auto start = std::chrono::steady_clock::now();
    form.SageObj->Login("/bench/ACCDATA", user, password);
    if (floor) {
        form.Dispatch([&form] {
            DiscardedRows discarded;
            for (const ExportTable& table : ExportTables()) {
                table.run(*form.SageObj, discarded);
            }
        });
    } else {
        form.Dispatch(&TfrmMain::cmdFinishClick);
    }
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;

    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("wall_s: %.3f\npeak_rss_kb: %ld\n", wall.count(), usage.ru_maxrss);
    if (form.LastReport) {
        std::printf("report_scan_s: %.3f\nreport_write_s: %.3f\n", form.LastReport->scanSeconds,
                    form.LastReport->writeSeconds);
    }
    return view.failed ? 1 : 0;
}
