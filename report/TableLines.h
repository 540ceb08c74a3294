#pragma once
// A table file's bytes, as they arrive in blocks, cut into lines and the
// lines into fields: a line ends at CR LF outside double quotes (a quoted
// value may hold line breaks of its own), fields are separated by commas
// outside quotes, a quoted value has its doubled quotes made single.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

// The fields of one line, valid until the next line.
class LineFields {
  public:
    // Splits `line` (without its CR LF).
    void Split(std::string_view line);
    std::size_t Size() const { return fields_.size(); }
    // The value: unquoted, doubled quotes made single.
    std::string_view operator[](std::size_t i) const {
        return i < fields_.size() ? fields_[i] : std::string_view();
    }

  private:
    std::vector<std::string_view> fields_;
    std::string unquoted_;  // the values that held doubled quotes, one after another
};

class TableLines {
  public:
    // `line` receives each whole line with its number (the first line is 1).
    explicit TableLines(std::function<void(std::string_view line, long long number)> line)
        : line_(std::move(line)) {}

    // The next block of the file.
    void Feed(std::string_view bytes);
    // The end of the file: a last line without CR LF is a line too.
    void Finish();

  private:
    std::function<void(std::string_view, long long)> line_;
    std::string pending_;  // a line begun in an earlier block
    bool quoted_ = false;  // inside a quoted value at the end of `pending_`
    long long number_ = 0;
};

}  // namespace quillmere
