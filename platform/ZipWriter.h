#pragma once
// The zip writer behind the export archive: a small wrapper over libzip.
//
// Three operations, in this order:
//   1. open(path): names the archive. Where no file exists, the archive file is
//      created at once with zero length; where a zip file exists, it is opened
//      and its entries are kept.
//   2. addFile(path): records a pending entry named by the file's bare name
//      (no directory part). A pending or existing entry of that name is
//      replaced. Nothing is read or written yet.
//   3. close(): reads and compresses every pending file from disk, writes the
//      whole archive to its path and releases the writer. Every file behind a
//      pending entry must still exist at this moment; delete them afterwards.
//
// What close() writes: one volume, no encryption, no archive comment; every
// entry is deflated at the normal level (6) or stored where deflate would be
// larger; an empty file is stored with size 0 and CRC 0; no data descriptors
// (the local headers carry CRC and sizes); general-purpose bits 1 and 2 clear;
// each entry's DOS date and time is its file's modification time (local time,
// two-second steps) and the file's attributes are its external attributes
// (POSIX: the mode in the upper 16 bits, bit 0 set for a read-only file).
// An archive left with no entries at all is written as a valid empty zip file
// (the 22-byte end record), never deleted and never left at zero length.
//
// Memory does not grow with the size of the files: each file is deflated once,
// in blocks, into a scratch file beside the archive, and libzip copies the
// deflated bytes from there into the archive unchanged. A file added with
// addFinishedFile() is deflated as soon as it is added (see there).
//
// Failures raise quillmere::Exception subclasses: EInOutError for a file that
// cannot be created, read or written (its run-time code from the system's
// error), EZipError for a file that is no usable zip archive and for misuse.
// After a failed close() the writer is released like after a good one; the
// archive's path still holds what it held before close() (libzip writes a
// temporary file and renames it into place only when it is complete).
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Exceptions.h"

namespace quillmere {

// A failure of the zip writer that is not a plain file input/output error.
class EZipError : public Exception {
  public:
    using Exception::Exception;
};

class ZipWriter {
  public:
    ZipWriter();
    // An archive that is still open is dropped without writing anything: its
    // file keeps whatever it held (zero length for a new archive).
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Names the archive: creates an empty (zero-length) file where none
    // exists, or opens the zip file at `archivePath` and reads its entries.
    // Fails for a directory, for a path whose directory cannot hold the file,
    // and for an existing file that is not a zip archive. A writer that is
    // already open must be closed first.
    void open(const std::string& archivePath);

    // Records a pending entry for the file at `filePath`, named by its bare
    // file name. A pending entry of that name is replaced in its place; an
    // entry of that name already in the archive is removed at close. The
    // archive then holds the entries it had that were not replaced, followed by
    // the pending entries in the order they were first added.
    void addFile(const std::string& filePath);

    // As addFile, for a file that is complete and stays as it is until
    // close: its entry is read and deflated at once, on a worker thread,
    // while the caller goes on (the next table exports meanwhile). close()
    // uses that work only when the file is still the one that was read (same
    // file, size, modification time and attributes) and reads the file again
    // otherwise, also when the early work failed: the archive's bytes and the
    // errors raised are those of addFile. Releasing the writer stops the
    // workers and waits for them; none outlives it.
    //
    // `reader`, when given, receives the file's bytes block by block on the
    // worker as they are deflated, `last` true with the final block (which
    // may be empty), so that another use of the file costs no second read.
    // It sees the whole file only when the early work succeeds: a reader
    // that was never told `last` must read the file itself. It must not
    // throw for anything but a failure of its own (the early work is then
    // dropped and close() reads the file again).
    using BlockReader = std::function<void(std::string_view block, bool last)>;
    void addFinishedFile(const std::string& filePath, BlockReader reader = {});

    // Reads, compresses and writes every pending entry, writes the archive to
    // its path and releases the writer (also when it fails).
    void close();

    // Asked between blocks while close() works (from its worker threads as
    // well, so it must be safe to call from any thread): true stops the close
    // with EAbort, leaving the archive's path as a failed close does.
    void setStopCheck(std::function<bool()> check);

    bool isOpen() const;

    // The path given to open(), empty when no archive is open.
    const std::string& archivePath() const;

    // The entry names the archive will hold after close(), in their order.
    std::vector<std::string> entryNames() const;

  private:
    struct State;
    std::string entryNameOf(const std::string& filePath) const;
    std::unique_ptr<State> state_;
    std::function<bool()> stopCheck_;
};

}  // namespace quillmere
