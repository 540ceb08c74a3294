#pragma once
// The pre-flight check: everything an export run needs, checked without
// exporting anything, as a checklist that any view can show (the command
// line's --check, the wizard's "Check..." dialog).
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/System.h"

namespace quillmere {

enum class CheckState { Ok, Failed, Skipped };

struct CheckLine {
    std::string name;
    CheckState state = CheckState::Skipped;
    std::string detail;  // what was found, or why it failed or was skipped
    std::string advice;  // for a failure: what to do
};

struct PreflightSettings {
    int versionNo = 0;         // 7..22
    std::string versionEntry;  // the version list's text for it
    // The Sage home directory; empty: found as the wizard finds it at start
    // (homedir.txt, the registry, the defaults).
    std::string homeDir;
    // The company to log in to: by its data path (the wizard's choice) or
    // by its name; neither: the only company.
    std::string companyPath;
    std::optional<std::string> companyName;
    std::string user;
    std::optional<std::string> password;  // nothing: the login is not tried
    std::string serviceBase;
    std::string caFile;
    // Records exported per table for the timed sample.
    int sampleRecords = 200;
    // Called about every 50 ms while the check waits for the Sage driver;
    // raises EAbort to stop the check (which ends the driver's process).
    std::function<void()> pump;
    // What a driver call that has been silent for a few seconds does, and for
    // how long (whole seconds; 0 when it speaks again).
    std::function<void(const std::string& doing, int seconds)> waiting;
};

// Runs the checks in order, handing each line to `report` as soon as it is
// known. Nothing is written to the company, the log or the service.
std::vector<CheckLine> RunPreflight(const PreflightSettings& settings, System& system,
                                    const std::function<void(const CheckLine&)>& report = {});

// Whether no line failed.
bool AllChecksHold(const std::vector<CheckLine>& lines);

// A line of the checklist: "ok       name: detail", and for a failure a
// second line "         what to do: advice".
std::string CheckLineText(const CheckLine& line);

// The version list's entry of the data source "SageLine50v<n>", when n is
// in the list.
std::optional<int> VersionOfDataSource(const std::string& dataSource);

}  // namespace quillmere
