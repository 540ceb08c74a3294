#pragma once
// Runs the real quillmere-export as a user or a script would, and a Sage home
// directory laid out on disk for it.
#include <functional>
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
    // When set (not with terminalStderr): asked every 20 ms while the program
    // runs, with its process id; the first time it answers true, `signal` is
    // sent to the program.
    std::function<bool(int pid)> signalWhen = {};
    int signal = 2;  // SIGINT
};

struct ProgramResult {
    int status = -1;  // the exit status; 128 + n when signal n ended it
    std::string out;
    std::string err;
    // Seconds from the signal of `signalWhen` to the program's end; negative
    // when no signal was sent.
    double secondsAfterSignal = -1;
};

ProgramResult RunExport(const ProgramRun& run);

// A Sage home directory: the COMPANY list and each company's SETUP.DTA,
// under `dir`/home and `dir`/<company directory>.
std::string MakeSageHome(const TempDir& dir,
                         const std::vector<std::pair<std::string, std::string>>& companies);

}  // namespace quillmere::test
