// SETUP.DTA: any bytes give a name of valid UTF-8 without blanks at its ends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/CodePage.h"
#include "sage/CompanyList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string name = quillmere::CompanyNameFromSetup(bytes);
    if (!name.empty() && (static_cast<unsigned char>(name.front()) <= 32 ||
                          static_cast<unsigned char>(name.back()) <= 32)) {
        std::abort();
    }
    // Valid UTF-8: it converts to UTF-16 and back unchanged.
    if (quillmere::Utf8FromUtf16(quillmere::Utf16FromUtf8(name)) != name) {
        std::abort();
    }
    return 0;
}
