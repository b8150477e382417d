// vellumar: the desktop under water onto which drops keep falling, for X11 and XScreenSaver.

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/CommandLineOptions.h"
#include "common/MessageText.h"
#include "x11/ErrorTrap.h"
#include "x11/QuitSignals.h"
#include "x11/SaverOptions.h"
#include "x11/X11Saver.h"

namespace {

int RunSaver(const std::vector<std::string>& args)
{
    SaverOptions options;
    std::string error;
    if (!ParseSaverOptions(args, std::getenv(kWindowVariable), options, error))
        return Report(kSaverName, kExitBadInput, error);
    if (options.help) {
        std::fputs(SaverUsage().c_str(), stdout);
        return 0;
    }
    if (!QuitSignals::Install())
        return Report(kSaverName, kExitFailed, "cannot set up the signal pipe");
    ErrorTrap::Install();
    Display* display = XOpenDisplay(options.display.empty() ? nullptr : options.display.c_str());
    if (!display) {
        const char* name = options.display.empty() ? std::getenv("DISPLAY") : options.display.c_str();
        return Report(kSaverName, kExitFailed, "cannot open the X display " + (name ? QuoteForMessage(name) : std::string("(DISPLAY is not set)")));
    }
    int status = kExitFailed;
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
    return RunProgram(kSaverName, argc, argv, RunSaver);
}
