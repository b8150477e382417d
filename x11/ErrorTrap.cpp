#include "x11/ErrorTrap.h"

#include <unistd.h>

#include <utility>

namespace {

int ConnectionLost(Display*)
{
    static const char message[] = "vellumar: lost the connection to the X display\n";
    (void)!write(STDERR_FILENO, message, sizeof message - 1);
    _exit(1);
}

} // namespace

ErrorTrap::Record ErrorTrap::first;

int ErrorTrap::RecordError(Display* display, XErrorEvent* event)
{
    if (first.code == 0) {
        char text[160] = "";
        XGetErrorText(display, event->error_code, text, sizeof text);
        first.code = event->error_code;
        first.text = std::string(text) + " (request " + std::to_string(event->request_code) + "." +
                     std::to_string(event->minor_code) + ")";
    }
    return 0;
}

void ErrorTrap::Install()
{
    XSetErrorHandler(RecordError);
    XSetIOErrorHandler(ConnectionLost);
}

ErrorTrap::ErrorTrap(Display* display) : display(display)
{
    XSync(display, False);
    setAside = std::exchange(first, Record{});
}

ErrorTrap::~ErrorTrap()
{
    first = std::move(setAside);
}

bool ErrorTrap::Failed(std::string* what)
{
    XSync(display, False);
    if (first.code == 0)
        return false;
    if (what)
        *what = first.text;
    return true;
}

int ErrorTrap::TakeStrayError(std::string* what)
{
    const int code = first.code;
    if (code != 0 && what)
        *what = first.text;
    first = Record{};
    return code;
}
