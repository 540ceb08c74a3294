#include "ui/console/PreflightRun.h"

#include "app/PreflightCheck.h"
#include "app/VersionEntries.h"
#include "app/ufMain.h"
#include "platform/Exceptions.h"
#include "sage/SageReader.h"
#include "ui/console/UnattendedRun.h"

namespace quillmere {

int RunPreflight(const ExportOptions& options, const std::string& password, System& system,
                 HeadlessView& view, std::ostream& out) {
    PreflightSettings settings;
    settings.versionNo = VersionNumberOfEntry(options.versionIndex);
    settings.versionEntry =
        std::string(VersionEntries.at(static_cast<std::size_t>(options.versionIndex)));
    settings.homeDir = options.home.value_or("");
    settings.companyName = options.company;
    settings.user = options.user;
    if (!options.user.empty()) {
        settings.password = password;
    }
    settings.serviceBase = options.serviceUrl.empty() ? DefaultServiceBase : options.serviceUrl;
    settings.caFile = options.caFile;
    // An interrupt ends the check within a pump: a driver call it waits
    // for ends with the reader process.
    settings.pump = [&view] {
        if (view.stopPending()) {
            throw EAbort();
        }
    };
    settings.waiting = [&view](const std::string& doing, int seconds) {
        view.setWaitingText(seconds > 0 ? WaitingText(doing, seconds) : std::string());
    };
    std::vector<CheckLine> lines;
    try {
        lines = RunPreflight(settings, system, [&out](const CheckLine& line) {
            out << CheckLineText(line) << std::endl;
        });
    } catch (const EAbort&) {
        out << "The check was stopped." << std::endl;
        return ExitInterrupted;
    }
    const bool hold = AllChecksHold(lines);
    out << (hold ? "Every check holds." : "Some checks FAILED: see what to do above.") << std::endl;
    return hold ? 0 : 1;
}

}  // namespace quillmere
