#pragma once
// A table file written as its rows arrive: the lines go to "<path>.part",
// each ended by CR LF, and the file takes its own name only when Commit()
// says the table is complete. A table that is never committed (its export
// failed or was stopped) leaves no file behind, so a table file at its name
// is always a whole table.
#include <string>

#include "sage/ExportWalk.h"

namespace quillmere {

class TableFile : public RowSink {
  public:
    // Creates (or empties) the partial file; raises EInOutError when it cannot.
    explicit TableFile(std::string path);
    // Removes the partial file unless the table was committed.
    ~TableFile() override;
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;

    void Add(const std::string& line) override { file_.Add(line); }
    int LineCount() const { return file_.LineCount(); }

    // Closes the file and gives it its name, replacing a file of that name.
    void Commit();

    const std::string& Path() const { return path_; }

  private:
    std::string path_;
    std::string partial_;
    RowFile file_;
    bool committed_ = false;
};

}  // namespace quillmere
