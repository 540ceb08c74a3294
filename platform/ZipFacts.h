#pragma once
// Facts about zip data: the entries of an existing zip file, read with its
// consistency checked, and the size that deflate makes of some bytes.
#include <cstddef>
#include <string>
#include <vector>

namespace quillmere {

// The entry names of the zip file at `path`; raises EZipError (ZipWriter.h)
// when it is missing, empty, cut short or otherwise no whole zip file.
std::vector<std::string> ZipEntryNames(const std::string& path);

// The size of `bytes` deflated as the archive deflates its entries.
std::size_t DeflatedSize(const std::string& bytes);

}  // namespace quillmere
