#pragma once
// SHA-256 of a file, read in blocks, as lower-case hex: the archive's
// fingerprint in the report, so a user can tell the file the service got is
// the one the report describes.
#include <cstdint>
#include <string>
#include <string_view>

namespace quillmere {

class Sha256 {
  public:
    Sha256();
    void Add(std::string_view bytes);
    // The digest as 64 hex digits; the object is spent afterwards.
    std::string Hex();

  private:
    void Block(const unsigned char* block);
    std::uint32_t state_[8];
    unsigned char buffer_[64];
    std::size_t buffered_ = 0;
    std::uint64_t length_ = 0;
};

// The digest of the file at `path`; raises EInOutError when it cannot be read.
std::string FileSha256(const std::string& path);

}  // namespace quillmere
