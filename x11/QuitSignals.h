#pragma once

// SIGTERM (how XScreenSaver's daemon ends a mode), SIGINT and SIGHUP ask the saver to end:
// the handler only notes it and writes a byte to a pipe, so that a wait on the X connection
// wakes up and the saver ends through its ordinary clean-up.
class QuitSignals {
public:
    // Installs the handlers; also ignores SIGPIPE, so that a broken X connection is reported
    // by Xlib rather than killing the process. False when the pipe cannot be made.
    static bool Install();

    // The read end of the pipe, readable once a signal came.
    static int WakeDescriptor();

    static bool Raised();
};
