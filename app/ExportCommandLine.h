#pragma once
// Options of the command-line front end quillmere-export.
#include <optional>
#include <string>

#include "app/CommandLine.h"

namespace quillmere {

struct ExportOptions {
    int versionIndex = -1;                    // the cboVersion entry chosen by --sage-version
    std::optional<std::string> home;          // --home, made absolute
    std::optional<std::string> company;       // --company: a name from SETUP.DTA
    std::string user;                         // --user
    std::optional<std::string> passwordFile;  // --password-file ("-": standard input)
    std::optional<int> chart;                 // --chart
    bool noUpload = false;
    bool noBrowser = false;
    std::string workDir;  // made absolute when given
    std::string serviceUrl;
    std::string caFile;
    bool help = false;
    bool version = false;
    // --check: the pre-flight checklist instead of an export.
    bool check = false;
    // --resend ARCHIVE (made absolute): send a kept archive, nothing else.
    std::optional<std::string> resend;
    // --summary: print the control totals at the end (also on a terminal).
    bool summary = false;
    // --review: export and write the report, then keep the archive unsent.
    bool review = false;
    // --strict: keep the archive unsent when the migration report found errors.
    bool strict = false;
};

// Parses the options; raises UsageError for an unknown option, a missing
// value, a version that is not in the list, a chart that is not a number or
// a missing --sage-version or --user (unless --help or --version is given;
// --check needs no --user, --resend neither of them). --resend and --check
// export nothing, so they take neither --review nor --strict.
// An error text never repeats the value given with an unknown option, so a
// secret typed as "--password=..." is not printed back.
ExportOptions ParseExportOptions(int argc, char** argv);

// The cboVersion index for a --sage-version value: its number 7..22 or the
// entry's text (blanks around it and letter case do not matter); nothing
// when it names no entry.
std::optional<int> VersionIndexFor(const std::string& value);

const char* ExportUsage();

}  // namespace quillmere
