#include "platform/StopSignals.h"

#include <csignal>

namespace quillmere {

namespace {

volatile std::sig_atomic_t received = 0;

extern "C" void NoteStop(int) {
    received = 1;
}

}  // namespace

void InstallStopSignals() {
    struct sigaction action {};
    action.sa_handler = NoteStop;
    sigemptyset(&action.sa_mask);
    // The second Ctrl-C is not caught: it ends a run that does not stop.
    action.sa_flags = SA_RESETHAND;
    ::sigaction(SIGINT, &action, nullptr);
    action.sa_flags = 0;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

bool StopSignalReceived() {
    return received != 0;
}

}  // namespace quillmere
