#pragma once
// File-system operations the program needs, behind one small interface so
// the algorithms above read the same on every platform. Failures raise
// EInOutError with the run-time code of the cause.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quillmere {

// The separator between directory and name on this platform.
#ifdef _WIN32
inline constexpr char PathSeparator = '\\';
// Windows takes "/" between the parts of a path as well.
inline constexpr const char* PathSeparators = "\\/";
#else
inline constexpr char PathSeparator = '/';
inline constexpr const char* PathSeparators = "/";
#endif

// A path of the program (UTF-8) as the standard library's path type, which
// on Windows holds UTF-16: the path's bytes are never taken as the ANSI code
// page.
inline std::filesystem::path FsPath(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

// The standard library's path as the program's UTF-8 text.
inline std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// Opens a file as std::fopen does, with a UTF-8 path on every system.
std::FILE* OpenFile(const std::string& path, const char* mode);

// Path with the platform separator appended unless it already ends in one.
std::string WithTrailingSeparator(const std::string& path);

// Joins a directory and a name with exactly one separator between them.
std::string JoinPath(const std::string& dir, const std::string& name);

// The name part of a path (after the last separator of any kind the
// system takes).
std::string BareFileName(const std::string& path);

// Whether `path` names an existing file that is not a directory.
bool FileExists(const std::string& path);

// Whether `path` names an existing directory.
bool DirectoryExists(const std::string& path);

// Looks `name` up in `dir` without regard to case, as the Sage files are
// named on Windows. An exact match wins; otherwise the first entry whose name
// equals `name` ignoring ASCII case. Returns the full path, or nothing.
std::optional<std::string> FindIgnoringCase(const std::string& dir, const std::string& name);

// Whether `dir` holds a file (not a directory) called `name`, ignoring case.
bool FileExistsIgnoringCase(const std::string& dir, const std::string& name);

// Reads a whole file and splits it into lines at CR, LF or CR LF.
std::vector<std::string> ReadTextLines(const std::string& path);

// Reads the whole file into memory.
std::string ReadWholeFile(const std::string& path);

// Reads up to `count` bytes starting at byte `offset`; fewer when the file is shorter.
std::string ReadFileBytesAt(const std::string& path, long offset, std::size_t count);

// The whole file as a byte buffer as long as the file, read in blocks of
// 1024 bytes: each read asks for the smaller of the bytes still unread and
// 1024, and reading ends after a read that delivers less than 1024 (so a
// size that is a multiple of 1024 ends with a read of 0 bytes). A file that
// delivers fewer bytes than its size is an error, not a short buffer.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

// The functions that write never write through a symbolic link at `path`
// (another user could plant one to have a file of theirs overwritten): such
// a path fails with "File access denied".

// Appends `bytes` to the file at `path`, creating it when missing. The file is
// opened and closed on every call; it is closed also when the write fails.
void AppendToFile(const std::string& path, const std::string& bytes);

// Creates or truncates `path` and writes `bytes`.
void WriteWholeFile(const std::string& path, const std::string& bytes);

// Creates or truncates `path` for writing with stdio; raises EInOutError.
std::FILE* CreateFileForWriting(const std::string& path);

// Deletes a file; returns false when it could not be deleted.
bool DeleteFileAt(const std::string& path);

// The bytes that an unprivileged user may still write in the file system
// that holds `dir`; nothing when it cannot be told.
std::optional<std::uint64_t> FreeBytes(const std::string& dir);

// Gives the file at `from` the path `to`, replacing a file there. Raises
// EInOutError when it cannot.
void RenameFile(const std::string& from, const std::string& to);

}  // namespace quillmere
