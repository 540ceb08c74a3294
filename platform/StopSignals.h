#pragma once
// The operating system's requests to stop the program: Ctrl-C, and on POSIX
// also SIGTERM (a shutdown, `kill`) and SIGHUP (the terminal went away). The
// first one is only noted, so that a run can stop at its next check and
// clean up as the close box does; a second Ctrl-C ends the program at once.
// (A Windows build answers the console's control events the same way.)

namespace quillmere {

void InstallStopSignals();

// Whether a stop request arrived since InstallStopSignals. Safe to ask from
// any thread.
bool StopSignalReceived();

}  // namespace quillmere
