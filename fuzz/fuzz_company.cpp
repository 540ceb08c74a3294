// The COMPANY list: any bytes give directories without blanks at their ends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sage/CompanyList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const std::string& dir : quillmere::CompanyDirectories(text)) {
        if (dir.empty() || static_cast<unsigned char>(dir.front()) <= 32 ||
            static_cast<unsigned char>(dir.back()) <= 32 ||
            dir.find_first_of("\r\n") != std::string::npos) {
            std::abort();
        }
        // What a message shows of it holds no control character but the tab.
        for (const char c : quillmere::VisibleText(dir)) {
            if ((static_cast<unsigned char>(c) < 32 && c != '\t') || c == 127) {
                std::abort();
            }
        }
    }
    return 0;
}
