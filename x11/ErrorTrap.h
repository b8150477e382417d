#pragma once
#include <X11/Xlib.h>

#include <string>

// X errors go to this record instead of ending the program, which Xlib's own handler does.
// A trap brackets requests that may fail for reasons outside the program (a window id that
// names nothing, shared memory the server cannot attach); errors outside a trap are kept
// until the main loop looks at them, whatever traps come and go in between.
class ErrorTrap {
public:
    // Sets the error handlers for the whole process; a lost connection prints one line and
    // ends the program with status 1.
    static void Install();

    // Sends everything queued so far, sets aside the errors it brings (they stay the main
    // loop's) and watches from here.
    explicit ErrorTrap(Display* display);
    // Puts back what was set aside; the trap's own errors were its caller's to look at.
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits for the server to handle the requests made since construction; true when one of
    // them failed. `what` then describes the first failure.
    bool Failed(std::string* what = nullptr);

    // An error that came outside any trap, forgotten once read: its code, or 0 for none.
    static int TakeStrayError(std::string* what);

private:
    struct Record {
        int code = 0;
        std::string text;
    };

    // Xlib calls the handler with nothing but the display and the event, so the record is
    // global; the saver has one display and one thread.
    static int RecordError(Display* display, XErrorEvent* event);
    static Record first;

    Display* display;
    Record setAside;
};
