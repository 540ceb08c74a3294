#pragma once
// Directory listing for the drive scan: the entries of one directory, in the
// order the file system lists them, with just enough of their type to walk a
// tree without following links or leaving the file system it started on.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillmere {

// Identifies the mounted file system (on Windows: the volume) that holds a
// directory.
using VolumeId = std::uint64_t;

enum class EntryKind {
    Directory,  // a directory itself; a symbolic link to one is Other
    File,       // anything that exists and is not a directory, links followed
    Other,      // a link to a directory, a dangling link
};

struct DirectoryEntry {
    std::string name;
    EntryKind kind = EntryKind::Other;
};

struct DirectoryListing {
    VolumeId volume = 0;
    std::vector<DirectoryEntry> entries;  // without "." and ".."
};

// Lists the directory at `path` (itself not followed when it is a symbolic
// link). Nothing when it cannot be opened, or when `stayOn` is given and the
// directory lives on another volume; a read error part way keeps the entries
// read so far.
std::optional<DirectoryListing> ListDirectory(const std::string& path,
                                              std::optional<VolumeId> stayOn = std::nullopt);

}  // namespace quillmere
