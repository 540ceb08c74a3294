#pragma once
// The unattended run of quillmere-export: the wizard's pages walked as a
// user would walk them, through the very handlers of TfrmMain, with the
// answers taken from the options.
#include <ostream>
#include <string>

#include "app/ExportCommandLine.h"
#include "platform/System.h"
#include "ui/console/HeadlessView.h"

namespace quillmere {

// Exit statuses of quillmere-export.
enum ExitStatus : int {
    ExitFinished = 0,       // the file was accepted, or the upload suppressed
    ExitFailed = 1,         // a page check, the login or a step failed (after its message)
    ExitUsage = 2,          // bad options, or a choice the options do not answer
    ExitRefused = 3,        // the service refused the file
    ExitNotSent = 4,        // --strict kept the archive: the migration report found errors
    ExitInterrupted = 130,  // Ctrl-C stopped the run
};

// Walks the pages: Next from the welcome page, the version entry and Next,
// Browse to --home when given and Next, "...", "Login..." and Next, Finish.
// The memo lines and, once the service accepted the file, the import page
// address go to `out`; the reasons for a usage failure, the migration
// report's counts and paths and, for an archive kept by --review or --strict,
// how to send it later, to `err`. With --no-browser the import page is not
// opened.
int RunUnattended(const ExportOptions& options, const std::string& password, HeadlessView& view,
                  System& system, std::ostream& out, std::ostream& err);

}  // namespace quillmere
