#include "platform/ZipFacts.h"

#include <zip.h>
#include <zlib.h>

#include "platform/ZipWriter.h"

namespace quillmere {

std::vector<std::string> ZipEntryNames(const std::string& path) {
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!zip) {
        zip_error_t e;
        zip_error_init_with_code(&e, error);
        const std::string text = zip_error_strerror(&e);
        zip_error_fini(&e);
        throw EZipError(path + ": " + text);
    }
    std::vector<std::string> names;
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        if (const char* name = zip_get_name(zip, static_cast<zip_uint64_t>(i), 0)) {
            names.emplace_back(name);
        }
    }
    zip_discard(zip);
    return names;
}

std::size_t DeflatedSize(const std::string& bytes) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()),
                  6) != Z_OK) {
        return bytes.size();
    }
    return size;
}

}  // namespace quillmere
