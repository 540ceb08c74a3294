// The login page's "Check...": the pre-flight check with what the pages
// have been given so far.
#include "app/ufMain.h"

namespace quillmere {

PreflightSettings TfrmMain::CheckSettings() const {
    PreflightSettings settings;
    settings.versionNo = VersionNo;
    settings.versionEntry = view_.versionText();
    settings.homeDir = HomeDir;
    settings.companyPath = CompanyPath;
    settings.user = view_.text("txtUserID");
    if (!settings.user.empty()) {
        settings.password = view_.text("txtPassword");
    }
    settings.serviceBase = ServiceBase;
    settings.caFile = HTTPRIO1.HTTPWebNode1.CAFile;
    return settings;
}

}  // namespace quillmere
