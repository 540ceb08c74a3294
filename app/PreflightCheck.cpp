#include "app/PreflightCheck.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

#include "app/DataSourceAdvice.h"
#include "app/VersionEntries.h"
#include "export/ControlTotals.h"
#include "export/ExportTables.h"
#include "platform/ChildProcess.h"
#include "platform/Files.h"
#include "platform/SystemCodePage.h"
#include "platform/ZipFacts.h"
#include "reader/TableSampling.h"
#include "sage/CompanyList.h"
#include "sage/SageReader.h"
#include "sage/TSageObject.h"
#include "service/ServiceProbe.h"
#include "wizard/HomeDirDefaults.h"

namespace quillmere {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* ProbeFileName = "quillmere-check.tmp";

std::string Megabytes(double bytes) {
    char text[32];
    if (bytes < 1e6) {
        std::snprintf(text, sizeof text, "%.0f kB", std::max(bytes / 1e3, 1.0));
    } else {
        std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
    }
    return text;
}

std::string Duration(double seconds) {
    char text[32];
    if (seconds < 90) {
        std::snprintf(text, sizeof text, "%.0f s", std::max(seconds, 1.0));
    } else {
        std::snprintf(text, sizeof text, "%.0f min", seconds / 60);
    }
    return text;
}

// The home directory as the wizard finds it at start and on leaving the
// version page.
std::string StartupHomeDir(const PreflightSettings& settings, const System& system) {
    std::string home;
    const std::string overrideFile = system.executableDir() + HomeDirOverrideFile;
    if (FileExists(overrideFile)) {
        const auto lines = ReadTextLines(overrideFile);
        home = lines.empty() ? "" : Utf8FromSystemCodePage(lines.front());
    } else {
        const std::string value = GetLastInstallPath(system);
        home = value.empty() ? FixedStartupHomeDir : value.substr(0, value.size() - 1);
    }
    if (system.windowsPaths()) {
        if (auto dir = VersionDefaultHomeDir(settings.versionNo, settings.versionEntry)) {
            home = *dir;
        }
        if (auto dir = WindowsVersionDefaultHomeDir(system.osVersion(), settings.versionEntry)) {
            home = *dir;
        }
    }
    if (!home.empty() && home.back() == PathSeparator) {
        home.pop_back();
    }
    return home;
}

class Checklist {
  public:
    Checklist(const std::function<void(const CheckLine&)>& report) : report_(report) {}

    void add(std::string name, CheckState state, std::string detail, std::string advice = {}) {
        CheckLine line{std::move(name), state, std::move(detail), std::move(advice)};
        if (report_) {
            report_(line);
        }
        lines_.push_back(std::move(line));
    }
    std::vector<CheckLine>& lines() { return lines_; }

  private:
    const std::function<void(const CheckLine&)>& report_;
    std::vector<CheckLine> lines_;
};

void CheckDataSource(const PreflightSettings& settings, TSageObject& reader, Checklist& list) {
    const std::string wanted = DataSourceName(settings.versionNo);
    std::vector<std::string> names;
    try {
        names = reader.DataSourceNames();
    } catch (const EAbort&) {
        throw;
    } catch (const std::exception& e) {
        list.add("ODBC data source", CheckState::Failed,
                 std::string("the ODBC driver manager cannot be used: ") + e.what(),
                 "install the ODBC driver manager (on Windows it is part of the system)");
        return;
    }
    const std::vector<std::string> sage = SageDataSources(names);
    const std::string present = Joined(sage);
    if (std::find(sage.begin(), sage.end(), wanted) != sage.end()) {
        list.add("ODBC data source", CheckState::Ok,
                 wanted + " (Sage data sources: " + present + ")");
        return;
    }
    if (sage.empty()) {
        list.add("ODBC data source", CheckState::Failed,
                 "there is no " + wanted + ", nor any other Sage Line 50 data source",
                 "install Sage 50 Accounts with its ODBC driver on this computer");
        return;
    }
    const std::string advice = VersionChoices(sage, true);
    list.add("ODBC data source", CheckState::Failed,
             "there is no " + wanted + "; the Sage data sources are " + present,
             advice.empty() ? "choose the Sage version that is installed"
                            : advice + ", the version whose data source is there");
}

struct CompanyFound {
    std::string name;
    std::string dataPath;
};

std::vector<CompanyFound> CheckCompanies(const PreflightSettings& settings, const System& system,
                                         Checklist& list) {
    const std::string home =
        settings.homeDir.empty() ? StartupHomeDir(settings, system) : settings.homeDir;
    std::optional<CompanyListFile> entries;
    try {
        entries = ReadCompanyList(home);
    } catch (const std::exception& e) {
        list.add("Sage home directory", CheckState::Failed,
                 "the COMPANY file in " + home + " cannot be read: " + e.what(),
                 "make the file readable for this user");
        return {};
    }
    if (!entries) {
        list.add("Sage home directory", CheckState::Failed, home + " holds no COMPANY file",
                 "name the directory that holds Sage's COMPANY file (--home, or Browse in the "
                 "wizard)");
        return {};
    }
    const std::vector<CompanyListEntry>& lines = entries->entries;
    list.add("Sage home directory", CheckState::Ok,
             home + " (" + std::to_string(lines.size()) +
                 (lines.size() == 1 ? " company" : " companies") + " in its COMPANY file)");
    std::vector<CompanyFound> companies;
    for (const CompanyListEntry& entry : lines) {
        const std::string shown = VisibleText(entry.directory);
        const std::string fixLine = "correct or remove the line " + shown +
                                    " in the COMPANY file, or restore the company's data";
        if (!entry.problem.empty()) {
            list.add("company", CheckState::Failed, shown + " cannot be read: " + entry.problem,
                     fixLine);
            continue;
        }
        try {
            CompanyFound found{ReadCompanyName(entry.setupFile), entry.dataPath};
            if (found.name.empty()) {
                list.add("company", CheckState::Failed,
                         VisibleText(entry.setupFile) + " holds no company name", fixLine);
                continue;
            }
            list.add("company", CheckState::Ok, VisibleText(found.name) + " in " + shown);
            companies.push_back(std::move(found));
        } catch (const std::exception& e) {
            list.add("company", CheckState::Failed,
                     VisibleText(entry.setupFile) + " cannot be read: " + e.what(), fixLine);
        }
    }
    if (lines.empty()) {
        list.add("company", CheckState::Failed, "the COMPANY file lists no company",
                 "open the company once in Sage, which adds it to the list");
    }
    return companies;
}

// The company to log in to, or why there is none.
std::optional<CompanyFound> ChosenCompany(const PreflightSettings& settings,
                                          const std::vector<CompanyFound>& companies,
                                          std::string& why) {
    if (!settings.companyPath.empty()) {
        for (const CompanyFound& c : companies) {
            if (c.dataPath == settings.companyPath) {
                return c;
            }
        }
        return CompanyFound{"the chosen company", settings.companyPath};
    }
    if (settings.companyName) {
        for (const CompanyFound& c : companies) {
            if (c.name == *settings.companyName) {
                return c;
            }
        }
        why = "no company is named \"" + *settings.companyName + "\"";
        return std::nullopt;
    }
    if (companies.size() == 1) {
        return companies.front();
    }
    why = companies.empty() ? "no company could be read"
                            : "there are several companies: name one (--company)";
    return std::nullopt;
}

// The tables' counts and the timed sample; the estimate of the archive's size
// and the run's time. Returns the bytes the run needs on disk (the tables
// and the archive side by side).
double CheckTables(TSageObject& sage, const PreflightSettings& settings, Checklist& list) {
    double tableBytes = 0;
    double archiveBytes = 0;
    double seconds = 0;
    std::string stopped;  // the driver's stop, which ends the reading of tables
    for (const ExportTable& table : ExportTables()) {
        if (!stopped.empty()) {
            list.add("table " + table.fileName, CheckState::Skipped, stopped);
            continue;
        }
        reader::TableSample sample;
        try {
            sample = sage.Reader()
                         ? sage.Reader()->SampleTable(table.ledger, settings.sampleRecords,
                                                      "checking the table " + table.fileName)
                         : SampleTable(sage, table.ledger, settings.sampleRecords);
        } catch (const EAbort&) {
            throw;
        } catch (const EReaderStopped& e) {
            list.add("table " + table.fileName, CheckState::Failed, e.what(),
                     "the driver failed inside Sage's own ODBC code: check the company with "
                     "Sage's data check, then try again");
            stopped = "not read: the Sage ODBC driver stopped";
            continue;
        } catch (const std::exception& e) {
            list.add("table " + table.fileName, CheckState::Failed,
                     std::string("the data source cannot read it: ") + e.what(),
                     "check that the user may read the company's ledgers");
            continue;
        }
        const long long records = sample.records;
        const double perRecord = sample.sampleRecords > 0
                                     ? static_cast<double>(sample.sampleBytes) /
                                           static_cast<double>(sample.sampleRecords + 1)
                                     : 0;
        const double bytes = static_cast<double>(sample.sampleBytes) +
                             perRecord * static_cast<double>(records - sample.sampleRecords);
        const double ratio = sample.sampleBytes == 0 ? 1
                                                     : static_cast<double>(sample.deflatedBytes) /
                                                           static_cast<double>(sample.sampleBytes);
        tableBytes += bytes;
        archiveBytes += bytes * ratio;
        seconds += sample.openSeconds + sample.recordSeconds * static_cast<double>(records);
        list.add("table " + table.fileName, CheckState::Ok,
                 std::to_string(records) + (records == 1 ? " record" : " records"));
    }
    list.add("estimate", CheckState::Ok,
             "archive about " + Megabytes(archiveBytes) + ", export about " + Duration(seconds) +
                 " (from a timed sample of up to " + std::to_string(settings.sampleRecords) +
                 " records per table)");
    return tableBytes + archiveBytes;
}

void CheckWorkDirectory(const System& system, std::optional<double> needed, Checklist& list) {
    const std::string dir = system.executableDir();
    const std::string probe = dir + ProbeFileName;
    try {
        WriteWholeFile(probe, "check\r\n");
        DeleteFileAt(probe);
    } catch (const std::exception& e) {
        list.add("work directory", CheckState::Failed, dir + " is not writable: " + e.what(),
                 "run the program from (or give --work-dir) a directory this user may write to");
        return;
    }
    const auto free = FreeBytes(dir);
    if (!free) {
        list.add("work directory", CheckState::Ok, dir + " is writable (free space unknown)");
        return;
    }
    const std::string space = Megabytes(static_cast<double>(*free)) + " free";
    if (!needed) {
        list.add("work directory", CheckState::Ok, dir + " is writable, " + space);
    } else if (static_cast<double>(*free) < *needed) {
        list.add("work directory", CheckState::Failed,
                 dir + " has " + space + ", the run needs about " + Megabytes(*needed),
                 "free some space there or use another directory (--work-dir)");
    } else {
        list.add(
            "work directory", CheckState::Ok,
            dir + " is writable, " + space + " (the run needs about " + Megabytes(*needed) + ")");
    }
}

void CheckService(const PreflightSettings& settings, Checklist& list) {
    const ServiceProbe probe = ProbeService(settings.serviceBase, settings.caFile);
    using Stage = ServiceProbe::Stage;
    const std::string host = probe.host.empty() ? settings.serviceBase : probe.host;
    if (probe.failedAt == Stage::Resolve) {
        list.add("service address", CheckState::Failed, host + " does not resolve: " + probe.error,
                 "check the network connection, the proxy settings and the service address");
        list.add("service connection", CheckState::Skipped, "the address does not resolve");
        list.add("service certificate", CheckState::Skipped, "the address does not resolve");
        return;
    }
    list.add("service address", CheckState::Ok,
             host + (probe.address.empty() ? "" : " is " + probe.address));
    if (probe.failedAt == Stage::Connect) {
        list.add("service connection", CheckState::Failed,
                 settings.serviceBase + " cannot be reached: " + probe.error,
                 "check the network connection, a firewall or proxy in the way, and try again "
                 "later");
        list.add("service certificate", CheckState::Skipped, "no connection");
        return;
    }
    list.add("service connection", CheckState::Ok,
             probe.tls ? "TCP and TLS connect" : "TCP connects (no TLS: the address is http)");
    if (!probe.tls) {
        list.add("service certificate", CheckState::Skipped, "the address is not https");
    } else if (probe.failedAt == Stage::Certificate) {
        list.add("service certificate", CheckState::Failed,
                 "not valid for " + host + ": " + probe.error,
                 "do not send the books to this address: check the service address, the "
                 "computer's date and any proxy that intercepts HTTPS");
    } else {
        list.add("service certificate", CheckState::Ok, "valid for " + host);
    }
}

}  // namespace

std::optional<int> VersionOfDataSource(const std::string& dataSource) {
    for (int i = 0; i < static_cast<int>(VersionEntries.size()); ++i) {
        if (DataSourceName(VersionNumberOfEntry(i)) == dataSource) {
            return VersionNumberOfEntry(i);
        }
    }
    return std::nullopt;
}

std::vector<CheckLine> RunPreflight(const PreflightSettings& settings, System& system,
                                    const std::function<void(const CheckLine&)>& report) {
    Checklist list(report);
    // Every call to the driver runs in a reader process, as in a run.
    auto sage = std::make_unique<TSageObject>(settings.versionNo);
    sage->UseReader(RunningProgramPath());
    sage->OnPump = settings.pump;
    sage->OnWaiting = settings.waiting;
    CheckDataSource(settings, *sage, list);
    const std::vector<CompanyFound> companies = CheckCompanies(settings, system, list);

    std::optional<double> needed;
    std::string why;
    const std::optional<CompanyFound> company = ChosenCompany(settings, companies, why);
    bool loggedIn = false;
    if (!settings.password) {
        list.add("login", CheckState::Skipped, "no user given");
    } else if (!company) {
        list.add("login", CheckState::Skipped, why);
    } else {
        try {
            loggedIn = sage->Login(company->dataPath, settings.user, *settings.password);
            list.add("login", CheckState::Ok,
                     "logged in to " + company->name + " as " + settings.user + ", read-only");
        } catch (const EAbort&) {
            throw;
        } catch (const EReaderStopped& e) {
            list.add("login", CheckState::Failed, e.what(),
                     "the driver failed inside Sage's own ODBC code: check that Sage itself "
                     "opens the company, then try again");
        } catch (const std::exception& e) {
            list.add("login", CheckState::Failed, e.what(),
                     "check the user name and password: they are those of Sage itself");
        }
    }
    if (loggedIn) {
        needed = CheckTables(*sage, settings, list);
    } else {
        list.add("tables", CheckState::Skipped, "they are counted after a login");
    }
    CheckWorkDirectory(system, needed, list);
    CheckService(settings, list);
    return std::move(list.lines());
}

bool AllChecksHold(const std::vector<CheckLine>& lines) {
    return std::none_of(lines.begin(), lines.end(),
                        [](const CheckLine& l) { return l.state == CheckState::Failed; });
}

std::string CheckLineText(const CheckLine& line) {
    const char* state = line.state == CheckState::Ok       ? "ok"
                        : line.state == CheckState::Failed ? "FAILED"
                                                           : "skipped";
    char head[16];
    std::snprintf(head, sizeof head, "%-8s ", state);
    std::string text = head + line.name + ": " + line.detail;
    if (line.state == CheckState::Failed && !line.advice.empty()) {
        text += "\n         what to do: " + line.advice;
    }
    return text;
}

}  // namespace quillmere
