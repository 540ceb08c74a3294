#pragma once
// Where a report's text goes as it is made, piece by piece, so that a large
// report never sits in memory whole: a file, or a string for tests.
#include <cstdio>
#include <string>
#include <string_view>

namespace quillmere {

class TextSink {
  public:
    virtual ~TextSink() = default;
    virtual void Put(std::string_view text) = 0;
};

class StringSink : public TextSink {
  public:
    void Put(std::string_view text) override { text_ += text; }
    const std::string& Text() const { return text_; }

  private:
    std::string text_;
};

// A file written as "<path>.part", which takes its own name only at
// Commit(): a file at `path` is always whole. Failures raise EInOutError; a
// sink never committed removes its part file.
class FileSink : public TextSink {
  public:
    explicit FileSink(std::string path);
    ~FileSink() override;
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    void Put(std::string_view text) override;
    void Commit();

  private:
    std::string path_;
    std::string partial_;
    std::FILE* file_ = nullptr;
};

}  // namespace quillmere
