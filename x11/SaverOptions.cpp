#include "x11/SaverOptions.h"

#include "common/MessageText.h"
#include "common/CommandLineOptions.h"
#include "animation/TickList.h"

namespace {

constexpr uint32_t kLargestResourceId = 0x1FFFFFFF;

int DigitValue(char ch, int base)
{
    int value = -1;
    if (ch >= '0' && ch <= '9')
        value = ch - '0';
    else if (ch >= 'a' && ch <= 'f')
        value = ch - 'a' + 10;
    else if (ch >= 'A' && ch <= 'F')
        value = ch - 'A' + 10;
    return value < base ? value : -1;
}

} // namespace

bool ParseWindowId(const std::string& text, uint32_t& id)
{
    int base = 10;
    size_t first = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        first = 2;
    }
    if (first == text.size())
        return false;
    uint64_t value = 0;
    for (size_t k = first; k < text.size(); ++k) {
        const int digit = DigitValue(text[k], base);
        if (digit < 0)
            return false;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (value > kLargestResourceId)
            return false;
    }
    if (value == 0)
        return false;
    id = static_cast<uint32_t>(value);
    return true;
}

bool ParseSaverOptions(const std::vector<std::string>& args, const char* windowVariable, SaverOptions& options,
                       std::string& error)
{
    options = SaverOptions{};
    error.clear();
    if (AsksForHelp(args, OptionDashes::OneOrTwo)) {
        options.help = true;
        return true;
    }
    std::vector<GivenOption> given;
    if (!ReadOptions(args, {{"root", false}, {"window-id", true}, {"display", true}, {"ticks", true}},
                     OptionDashes::OneOrTwo, given, error))
        return false;

    bool root = false, givenWindow = false;
    for (const GivenOption& option : given) {
        if (option.name == "root") {
            root = true;
        } else if (option.name == "window-id") {
            if (!ParseWindowId(option.value, options.windowId)) {
                error = "invalid window id " + QuoteForMessage(option.value) +
                        " (a decimal number, or hexadecimal after 0x, from 1 to 0x1fffffff)";
                return false;
            }
            givenWindow = true;
        } else if (option.name == "display") {
            options.display = option.value;
        } else {
            if (!ParseTickList(option.value, options.ticks, error))
                return false;
            options.replay = true;
        }
    }

    if (givenWindow) {
        options.target = SaverTarget::Window;
    } else if (windowVariable && *windowVariable) {
        if (!ParseWindowId(windowVariable, options.windowId)) {
            error = std::string(kWindowVariable) + " holds " + QuoteForMessage(windowVariable) + ", not a window id";
            return false;
        }
        options.target = SaverTarget::Window;
        options.windowFromEnvironment = true;
    } else if (root) {
        options.target = SaverTarget::Root;
    }
    return true;
}

std::string SaverUsage()
{
    return "usage: vellumar [--root] [--window-id ID] [--display NAME] [--ticks LIST]\n"
           "\n"
           "The desktop under water onto which drops keep falling, as a mode of XScreenSaver or on its own.\n"
           "\n"
           "  (no option)       a full-screen window on the primary monitor; a key, a mouse button or a\n"
           "                    move of the mouse ends it\n"
           "  --root            draw on the root window (with XSCREENSAVER_WINDOW set: on that window)\n"
           "  --window-id ID    draw on the window ID (decimal, or hexadecimal after 0x), even with --root\n"
           "  --display NAME    the X display to use instead of $DISPLAY\n"
           "  --ticks LIST      replay these timer ticks at once, as vellumar-render takes them\n"
           "                    (\"1,3,2\" or \"std:N\"), print one line when the last frame is on the\n"
           "                    screen, then wait as usual\n"
           "  --help            this text\n"
           "\n"
           "XSCREENSAVER_WINDOW names the window to draw on when --window-id is not given.\n"
           "Options may be written with one dash or two. Exit status 0 when ended (by input in the\n"
           "full-screen window, by SIGTERM or SIGINT, or when the window goes away), 2 for a bad\n"
           "command line, window or visual, 1 when the display fails.\n";
}
