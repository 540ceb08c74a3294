#include "platform/WizardView.h"

namespace quillmere {

const char* MsgTypeTitle(MsgType type) {
    switch (type) {
        case MsgType::Warning:
            return "Warning";
        case MsgType::Error:
            return "Error";
        case MsgType::Information:
            return "Information";
        case MsgType::Confirmation:
            return "Confirm";
    }
    return "";
}

}  // namespace quillmere
