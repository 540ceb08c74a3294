// Finish, second half: the upload of the export archive and the hand-off to
// the service's import page.
#include "app/ufMain.h"
#include "platform/Files.h"

namespace quillmere {

namespace {

// Beside the program, this file (not a directory) suppresses the upload and
// keeps the archive for the user to send some other way.
constexpr const char* NoUploadMarker = "noupload.txt";

// Sent with every upload.
constexpr const char* UploadReference = "vuzaruv";

// What the service answers for a file it refuses.
constexpr const char* RefusedIdentifier = "0";

constexpr const char* ImportPagePath = "/processSageImport.asp?id=";

}  // namespace

bool TfrmMain::UploadSuppressed() const {
    return NoUpload || FileExists(system_.executableDir() + NoUploadMarker);
}

void TfrmMain::SubmitArchive(const std::string& archivePath) {
    Log("Call API");
    if (!UploadSuppressed()) {
        VureDevuAPISoap service = GetServiceBinding(HTTPRIO1, ServiceBase);
        Log("API Called");
        Log("Convert zip file");
        const std::vector<std::uint8_t> archive = ReadFileBytes(archivePath);
        Log("Get Vuredevu URL");
        const std::string identifier = service.SageFile(archive, UploadReference);
        view_.addStatusLine("Transfer Complete!");
        if (identifier != RefusedIdentifier) {
            const std::string address = ServiceBase + ImportPagePath + identifier;
            Log("Sent file to URL " + address);
            view_.setVisible("lblURLHelp", true);
            view_.setVisible("txtURL", true);
            view_.setText("txtURL", address);
            view_.setEnabled("cmdFinish", false);
            system_.openInBrowser(address);
            RequestClose();
            DeleteFileAt(archivePath);
        } else {
            view_.messageBox("Unable to send file, Please email " + archivePath + " to support",
                             MsgType::Error, MsgButtons::OK);
            Log("Error in URL " + identifier);
        }
    }
    Log("Wizard Finished");
    RequestClose();
}

}  // namespace quillmere
