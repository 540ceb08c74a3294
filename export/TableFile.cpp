#include "export/TableFile.h"

#include "platform/Files.h"

namespace quillmere {

TableFile::TableFile(std::string path)
    : path_(std::move(path)), partial_(path_ + ".part"), file_(partial_) {}

TableFile::~TableFile() {
    if (committed_) {
        return;
    }
    try {
        file_.Close();
    } catch (...) {
        // The table is abandoned anyway; its partial file goes below.
    }
    DeleteFileAt(partial_);
}

void TableFile::Commit() {
    file_.Close();
    RenameFile(partial_, path_);
    committed_ = true;
}

}  // namespace quillmere
