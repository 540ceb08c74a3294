// On Linux the system's 8-bit text is UTF-8: texts stay as they are.
#include "platform/SystemCodePage.h"

namespace quillmere {

std::string SystemCodePageFromUtf8(std::string_view text) {
    return std::string(text);
}

std::string Utf8FromSystemCodePage(std::string_view text) {
    return std::string(text);
}

}  // namespace quillmere
