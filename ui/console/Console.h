#pragma once
// What the command-line front end needs of its terminal and process: whether
// a stream is a terminal, Ctrl-C as the close box, and the password kept out
// of the process's arguments and environment.
#include <string>

namespace quillmere {

// Whether standard error is a terminal (the progress bar is drawn only then).
bool StandardErrorIsTerminal();

// From now on the first Ctrl-C (SIGINT), SIGTERM or SIGHUP is only noted, so
// the run can stop at its next pump and close as the close box does; a second
// Ctrl-C ends the program at once (platform/StopSignals.h).
void InstallInterruptHandler();
// Whether a Ctrl-C arrived since InstallInterruptHandler.
bool InterruptRequested();

// The first line of `file` (without its line break), or of standard input
// for "-"; on a terminal it asks for it with echo switched off. Raises
// Exception when the file cannot be read.
std::string ReadPasswordLine(const std::string& file);

// A warning for a password file that users other than its owner can read or
// write (any group or other permission bit); empty when there is none.
std::string PasswordFileWarning(const std::string& file);

// The value of the environment variable `name` (empty when unset), removed
// from the environment so that no program started later inherits it, and
// overwritten where the process's original environment held it.
std::string TakeEnvironmentSecret(const char* name);

}  // namespace quillmere
