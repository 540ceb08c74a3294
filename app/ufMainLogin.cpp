// The login page's two buttons: company selection and login.
#include "app/DataSourceAdvice.h"
#include "app/DriverBitness.h"
#include "app/ufMain.h"
#include "platform/Exceptions.h"
#include "platform/odbc/OdbcConnection.h"
#include "sage/SageReader.h"

namespace quillmere {

inline constexpr const char* LoginFailedMessage =
    "An error occurred logging in\r\nPlease check you entered the user name and password "
    "correctly";

void TfrmMain::txtCompanySelectOldClickBtn() {
    Log("Start company selection");
    if (!SageObj) {
        throw Exception("Choose the Sage version first");
    }
    std::string path;
    const auto logLeftOut = [this] {
        for (const std::string& unreadable : SageObj->UnreadableCompanies) {
            Log("Company left out: " + unreadable);
        }
    };
    try {
        SageObj->SelectCompany(view_, CompanyName, path);
    } catch (const Exception&) {
        logLeftOut();
        throw;
    }
    logLeftOut();
    CompanyPath = path;
    view_.setText("txtCompanySelect", CompanyName);
}

void TfrmMain::cmdLoginClick() {
    if (!CompanyPath.empty()) {
        Log("Attempting Login");
        try {
            if (!SageObj) {
                throw Exception("No Sage object");
            }
            LoggedIn =
                SageObj->Login(CompanyPath, view_.text("txtUserID"), view_.text("txtPassword"));
        } catch (const EAbort&) {
            // A stop while the driver logged in: the window closes.
            LoggedIn = false;
            throw;
        } catch (const std::exception& e) {
            // A driver of the other bitness cannot be loaded by this program:
            // no password would help, the other build of the wizard would.
            const auto* odbcError = dynamic_cast<const odbc::EOdbcError*>(&e);
            const auto mismatch =
                odbcError ? ArchitectureMismatchMessage(odbcError->sqlState(), ProgramBits)
                          : std::nullopt;
            if (dynamic_cast<const EReaderStopped*>(&e)) {
                // Not the password: the driver itself failed. Its message
                // says so, while doing what, and how it ended.
                view_.messageBox(e.what(), MsgType::Error, MsgButtons::OK);
            } else if (mismatch) {
                Log(ArchitectureMismatchLogLine(ProgramBits));
                view_.messageBox(*mismatch, MsgType::Error, MsgButtons::OK);
            } else if (odbcError && odbcError->sqlState() == "IM002") {
                // No data source of that name: no password would help; say
                // which Sage data sources this computer does have.
                std::vector<std::string> names;
                try {
                    names = SageObj->DataSourceNames();
                } catch (const EAbort&) {
                    throw;
                } catch (const std::exception&) {
                    // the message then lists none
                }
                view_.messageBox(
                    MissingDataSourceMessage(SageObj->VersionNo, SageDataSources(names)),
                    MsgType::Error, MsgButtons::OK);
            } else {
                // The one message for any other failure of the login, followed
                // by what the driver said: a missing data source or a stopped
                // database is no wrong password.
                view_.messageBox(std::string(LoginFailedMessage) + "\r\n\r\n" + e.what(),
                                 MsgType::Error, MsgButtons::OK);
            }
            LogFailure(std::string("Login: ") + e.what());
            LoggedIn = false;
        }
    } else {
        Log("Login attempted with no company selected");
        view_.messageBox("No Company Selected", MsgType::Error, MsgButtons::OK);
    }
    if (LoggedIn) {
        Log("Login Successful");
        view_.setVisible("lblStatus", true);
    }
}

}  // namespace quillmere
