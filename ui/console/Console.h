#pragma once
// What the command-line front end needs of its terminal and process: whether
// a stream is a terminal, Ctrl-C as the close box, and the password kept out
// of the process's arguments and environment.
#include <string>

namespace quillmere {

// Whether standard error is a terminal (the progress bar is drawn only then).
bool StandardErrorIsTerminal();
// Whether standard output is a terminal (the control totals are printed then).
bool StandardOutputIsTerminal();

// From now on the first Ctrl-C (SIGINT) is only noted, so the run can stop
// at its next pump and close as the close box does; a second one ends the
// program at once.
void InstallInterruptHandler();
// Whether a Ctrl-C arrived since InstallInterruptHandler.
bool InterruptRequested();

// The first line of `file` (without its line break), or of standard input
// for "-"; on a terminal it asks for it with echo switched off. Raises
// Exception when the file cannot be read.
std::string ReadPasswordLine(const std::string& file);

// The value of the environment variable `name` (empty when unset), removed
// from the environment so that no program started later inherits it.
std::string TakeEnvironmentSecret(const char* name);

}  // namespace quillmere
