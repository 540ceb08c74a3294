#pragma once
// Runs the real quillmere-export as a user or a script would, and a Sage home
// directory laid out on disk for it.
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/TempDir.h"

namespace quillmere::test {

struct ProgramRun {
    std::vector<std::string> args;
    std::map<std::string, std::string> env;  // set on top of the test's environment
    std::string input;                       // standard input
    bool terminalStderr = false;             // standard error on a pseudo-terminal
};

struct ProgramResult {
    int status = -1;  // the exit status; 128 + n when signal n ended it
    std::string out;
    std::string err;
};

ProgramResult RunExport(const ProgramRun& run);

// A Sage home directory: the COMPANY list and each company's SETUP.DTA,
// under `dir`/home and `dir`/<company directory>.
std::string MakeSageHome(const TempDir& dir,
                         const std::vector<std::pair<std::string, std::string>>& companies);

}  // namespace quillmere::test
