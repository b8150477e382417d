#pragma once
#include <X11/Xlib.h>

#include <string>

// X errors go to this record instead of ending the program, which Xlib's own handler does.
// A trap brackets requests that may fail for reasons outside the program (a window id that
// names nothing, shared memory the server cannot attach); errors outside a trap are kept
// until the main loop looks at them.
class ErrorTrap {
public:
    // Sets the error handlers for the whole process; a lost connection prints one line and
    // ends the program with status 1.
    static void Install();

    // Sends everything queued so far, forgets the errors it brings and watches from here.
    explicit ErrorTrap(Display* display);

    // Waits for the server to handle the requests made since construction; true when one of
    // them failed. `what` then describes the first failure.
    bool Failed(std::string* what = nullptr);

    // The error code of the first failure since construction, 0 for none (without waiting).
    int FirstErrorCode() const;

    // An error that came outside any trap, forgotten once read: its code, or 0 for none.
    static int TakeStrayError(std::string* what);

private:
    Display* display;
};
