#pragma once
// What a command-line program needs of its terminal and process: whether a
// stream is a terminal, Ctrl-C (and on Windows the console's close) noted
// instead of ending the program, a line read without echo, and a secret
// taken out of the environment.
#include <string>
#include <vector>

namespace quillmere {

// The program's arguments in UTF-8. On Windows they are taken from the wide
// command line: the narrow argv holds them in the ANSI code page, which
// cannot hold every name a path may have.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Whether standard error is a terminal (the progress bar is drawn only then).
bool StandardErrorIsTerminal();
// Whether standard output is a terminal (the control totals are printed then).
bool StandardOutputIsTerminal();
bool StandardInputIsTerminal();

// From now on the first Ctrl-C (on POSIX also SIGTERM and SIGHUP; on Windows
// the console window's close) is only noted, so the run can stop at its
// next pump and close as the close box does; a second Ctrl-C ends the program at once.
void InstallInterruptHandler();
// Whether a Ctrl-C arrived since InstallInterruptHandler.
bool InterruptRequested();

// A line from the terminal on standard input with echo switched off,
// without its line break.
std::string ReadLineWithoutEcho();

// The value of the environment variable `name` (empty when unset), removed
// from the environment so that no program started later inherits it, and
// overwritten where the process's original environment held it.
std::string TakeEnvironmentSecret(const char* name);

// A warning for a password file that users other than its owner can read or
// write; empty when there is none.
std::string PasswordFileWarning(const std::string& file);

}  // namespace quillmere
