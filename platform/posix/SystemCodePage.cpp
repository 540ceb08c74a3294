// On Linux the system's 8-bit text is UTF-8: the log keeps the program's text.
#include "platform/SystemCodePage.h"

namespace quillmere {

std::string SystemCodePageFromUtf8(std::string_view text) {
    return std::string(text);
}

}  // namespace quillmere
