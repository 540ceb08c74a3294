// Finish, second half: the upload of the export archive and the hand-off to
// the service's import page.
#include "app/ufMain.h"
#include "platform/Exceptions.h"
#include "platform/FileBytes.h"
#include "platform/Files.h"
#include "service/ImportIdentifier.h"

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
        std::string identifier;
        {
            // Opened and its first block read here; the rest is read as the
            // upload sends it, so the archive never sits in memory whole. It
            // is closed before the archive is deleted (Windows deletes no
            // open file).
            FileBytes archive(archivePath);
            Log("Get Vuredevu URL");
            try {
                identifier = service.SageFile(archive, UploadReference);
            } catch (const EAbort&) {
                throw;
            } catch (const Exception& e) {
                // The archive is whole and stays: the user can send it again.
                throw Exception(std::string(e.what()) + "\nThe archive " + archivePath +
                                " is kept");
            }
        }
        view_.addStatusLine("Transfer Complete!");
        if (identifier != RefusedIdentifier) {
            // Only an identifier that can be one deletes the archive; anything
            // else is a reply that went wrong, and the archive is still needed.
            if (const auto problem = ImportIdentifierProblem(identifier)) {
                Log("Unusable reply from the service: " + *problem);
                throw Exception("The service's reply holds no usable import identifier (" +
                                *problem + ")\nThe archive " + archivePath + " is kept");
            }
            const std::string address = ServiceBase + ImportPagePath + PercentEncoded(identifier);
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
