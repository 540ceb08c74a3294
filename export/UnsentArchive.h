#pragma once
// An export archive that an earlier run left in the program's directory:
// its upload was refused or failed, or it was never attempted.
#include <optional>
#include <string>

namespace quillmere {

struct UnsentArchive {
    std::string path;
    std::string company;  // as its summary names it, else the archive name's part
    std::string date;     // "DD/MM/YYYY HH:MM", from the archive's name
};

// The newest complete archive in `dir`: a file named as the export run names
// its archives ("<company>_<DDMMYYYY>_<HHMM>.zip") that is a whole zip file
// holding the eight tables. An archive cut short by a stopped run is none.
std::optional<UnsentArchive> FindUnsentArchive(const std::string& dir);

// "An export of <company> from <date> was not sent. Send it now?"
std::string UnsentArchiveQuestion(const UnsentArchive& archive);

// Raises Exception, saying why, unless `path` is a complete archive.
void CheckCompleteArchive(const std::string& path);

}  // namespace quillmere
