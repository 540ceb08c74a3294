// The login page's two buttons: company selection and login.
#include "app/DriverBitness.h"
#include "app/ufMain.h"
#include "platform/Exceptions.h"
#include "platform/odbc/OdbcConnection.h"

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
    SageObj->SelectCompany(view_, CompanyName, path);
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
        } catch (const odbc::EOdbcError& e) {
            // A driver of the other bitness cannot be loaded by this program:
            // no password would help, the other build of the wizard would.
            if (const auto message = ArchitectureMismatchMessage(e.sqlState(), ProgramBits)) {
                Log(ArchitectureMismatchLogLine(ProgramBits));
                view_.messageBox(*message, MsgType::Error, MsgButtons::OK);
            } else {
                view_.messageBox(LoginFailedMessage, MsgType::Error, MsgButtons::OK);
            }
            LoggedIn = false;
        } catch (const std::exception&) {
            // Any failure of the login becomes the one message: the user's
            // next step is the same whatever the driver said.
            view_.messageBox(LoginFailedMessage, MsgType::Error, MsgButtons::OK);
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
