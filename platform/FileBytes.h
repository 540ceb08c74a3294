#pragma once
// Bytes read piece by piece as a consumer asks for them, so that a large file
// never sits in memory whole: the export archive while it is uploaded.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace quillmere {

// A known number of bytes, handed out in order.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Every byte the source gives, counted before the first is read.
    virtual std::uint64_t Size() const = 0;
    // Reads the next min(count, bytes left) bytes into `buffer`, all of them;
    // raises when it cannot.
    virtual std::size_t Read(std::uint8_t* buffer, std::size_t count) = 0;
};

// The bytes of a file. Opening takes its size and reads its first block, so a
// file that cannot be opened or read (missing, a directory) fails at once,
// with the EInOutError that ReadFileBytes raises for it. A file that ends
// before the size it had at the open, or that holds more bytes than that,
// raises EInOutError 100 ("Disk read error") from Read: a copy that would
// stand for the file would be a different file.
class FileBytes : public ByteSource {
  public:
    explicit FileBytes(const std::string& path);
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    std::uint64_t Size() const override { return size_; }
    std::size_t Read(std::uint8_t* buffer, std::size_t count) override;

  private:
    void Fill();

    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    std::uint64_t size_ = 0;
    std::uint64_t delivered_ = 0;
    // Read ahead from the file and not yet handed out: block_[at_, end_).
    std::vector<std::uint8_t> block_;
    std::size_t at_ = 0;
    std::size_t end_ = 0;
};

}  // namespace quillmere
