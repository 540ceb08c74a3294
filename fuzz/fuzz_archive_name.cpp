// The archive's name: whatever the company name, the archive stays in the
// program's directory and its name holds no character a file name cannot.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>

#include "export/ArchiveName.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string company(reinterpret_cast<const char*>(data), size);
    for (const bool windowsNames : {false, true}) {
        const std::string part = quillmere::ArchiveCompanyPart(company, windowsNames);
        for (const char ch : part) {
            const auto c = static_cast<unsigned char>(ch);
            if (c <= 32 || c == 127 || c == '/' ||
                (windowsNames && std::string("\\:*?\"<>|").find(ch) != std::string::npos)) {
                std::abort();
            }
        }
        std::tm when{};
        when.tm_year = 126;
        when.tm_mday = 1;
        const std::string path = quillmere::ArchivePath("/dir/", company, when, windowsNames);
        if (path.rfind("/dir/", 0) != 0 || path.find('/', 5) != std::string::npos) {
            std::abort();
        }
    }
    return 0;
}
