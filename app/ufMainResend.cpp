// At start: the archive an earlier run left unsent, offered for sending.
#include "app/ufMain.h"
#include "export/UnsentArchive.h"

namespace quillmere {

void TfrmMain::OfferUnsentArchive() {
    // Where noupload.txt keeps every archive on purpose there is nothing to
    // offer.
    if (UploadSuppressed()) {
        return;
    }
    const std::optional<UnsentArchive> unsent = FindUnsentArchive(system_.executableDir());
    if (!unsent) {
        return;
    }
    if (view_.messageBox(UnsentArchiveQuestion(*unsent), MsgType::Confirmation,
                         MsgButtons::YesNo) != MsgResult::Yes) {
        return;
    }
    SubmitArchive(unsent->path);
}

}  // namespace quillmere
