#include "x11/ErrorTrap.h"

#include <unistd.h>

#include <cstdio>

namespace {

// Xlib calls the handler with nothing but the display and the event, so the record is global;
// the saver has one display and one thread.
struct ErrorRecord {
    int code = 0;
    int request = 0;
    std::string text;
};

ErrorRecord firstError;

int RecordError(Display* display, XErrorEvent* event)
{
    if (firstError.code == 0) {
        char text[160] = "";
        XGetErrorText(display, event->error_code, text, sizeof text);
        firstError.code = event->error_code;
        firstError.request = event->request_code;
        firstError.text = std::string(text) + " (request " + std::to_string(event->request_code) + "." +
                          std::to_string(event->minor_code) + ")";
    }
    return 0;
}

int ConnectionLost(Display*)
{
    static const char message[] = "vellumar: lost the connection to the X display\n";
    (void)!write(STDERR_FILENO, message, sizeof message - 1);
    _exit(1);
}

} // namespace

void ErrorTrap::Install()
{
    XSetErrorHandler(RecordError);
    XSetIOErrorHandler(ConnectionLost);
}

ErrorTrap::ErrorTrap(Display* display) : display(display)
{
    XSync(display, False);
    firstError = ErrorRecord{};
}

bool ErrorTrap::Failed(std::string* what)
{
    XSync(display, False);
    if (firstError.code == 0)
        return false;
    if (what)
        *what = firstError.text;
    return true;
}

int ErrorTrap::FirstErrorCode() const
{
    return firstError.code;
}

int ErrorTrap::TakeStrayError(std::string* what)
{
    const int code = firstError.code;
    if (code != 0 && what)
        *what = firstError.text;
    firstError = ErrorRecord{};
    return code;
}
