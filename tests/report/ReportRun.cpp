#include "ReportRun.h"

#include <filesystem>

#include "ExportProgram.h"
#include "export/ControlTotals.h"
#include "support/Command.h"

namespace quillmere::test {

namespace fs = std::filesystem;

ReportRun ExportWithReport(const TempDir& dir, const std::string& company,
                           const std::string& directory) {
    const std::string home = MakeSageHome(dir, {{company, directory}});
    const std::string work = dir.mkdir("work");
    ProgramRun run;
    run.args = {"--sage-version", "17", "--home",     home, "--user",      "manager",
                "--chart",        "1",  "--work-dir", work, "--no-upload", "--summary"};
    run.env = {{"ODBCSYSINI", SAGE_HARNESS_DIR},
               {"ODBCINI", std::string(SAGE_HARNESS_DIR) + "/odbc.ini"},
               {"QUILLMERE_SAGE_PASSWORD", "letmein"},
               {"LC_ALL", "en_GB.UTF-8"}};
    const ProgramResult result = RunExport(run);
    ReportRun out;
    out.status = result.status;
    out.err = result.err;
    for (const auto& entry : fs::directory_iterator(work)) {
        if (entry.path().extension() == ".zip") {
            out.archive = entry.path().string();
        }
    }
    if (!out.archive.empty()) {
        const std::string stem = out.archive.substr(0, out.archive.size() - 4);
        out.json = stem + ".report.json";
        out.html = stem + ".report.html";
        out.summary = SummaryPath(out.archive);
    }
    return out;
}

std::string RunCheck(const std::string& script, const std::vector<std::string>& args, int& status) {
    std::string command = "python3 " + ShellQuote(script);
    for (const std::string& arg : args) {
        command += " " + ShellQuote(arg);
    }
    return RunCommand(command + " 2>&1", &status);
}

}  // namespace quillmere::test
