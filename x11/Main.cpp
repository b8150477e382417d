// vellumar: the desktop under water onto which drops keep falling, for X11 and XScreenSaver.

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "host/MessageText.h"
#include "x11/ErrorTrap.h"
#include "x11/QuitSignals.h"
#include "x11/SaverOptions.h"
#include "x11/X11Saver.h"

namespace {

constexpr int kBadCommandLine = 2;
constexpr int kDisplayFailed = 1;

int Report(int status, const std::string& message)
{
    std::fprintf(stderr, "vellumar: %s\n", message.c_str());
    return status;
}

int RunSaver(const std::vector<std::string>& args)
{
    SaverOptions options;
    std::string error;
    if (!ParseSaverOptions(args, std::getenv(kWindowVariable), options, error))
        return Report(kBadCommandLine, error);
    if (options.help) {
        std::fputs(SaverUsage().c_str(), stdout);
        return 0;
    }
    if (!QuitSignals::Install())
        return Report(kDisplayFailed, "cannot set up the signal pipe");
    ErrorTrap::Install();
    Display* display = XOpenDisplay(options.display.empty() ? nullptr : options.display.c_str());
    if (!display) {
        const char* name = options.display.empty() ? std::getenv("DISPLAY") : options.display.c_str();
        return Report(kDisplayFailed, "cannot open the X display " + (name ? QuoteForMessage(name) : std::string("(DISPLAY is not set)")));
    }
    int status = kDisplayFailed;
    {
        X11Saver saver(display, options);
        status = saver.Run();
    }
    XCloseDisplay(display);
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return RunSaver(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0)));
    } catch (const std::bad_alloc&) {
        return Report(kDisplayFailed, "not enough memory");
    }
}
