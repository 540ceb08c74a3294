#include "ui/console/PreflightRun.h"

#include "app/PreflightCheck.h"
#include "app/VersionEntries.h"
#include "app/ufMain.h"

namespace quillmere {

int RunPreflight(const ExportOptions& options, const std::string& password, System& system,
                 std::ostream& out) {
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
    const auto lines = RunPreflight(settings, system, [&out](const CheckLine& line) {
        out << CheckLineText(line) << std::endl;
    });
    const bool hold = AllChecksHold(lines);
    out << (hold ? "Every check holds." : "Some checks FAILED: see what to do above.") << std::endl;
    return hold ? 0 : 1;
}

}  // namespace quillmere
