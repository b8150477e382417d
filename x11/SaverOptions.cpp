#include "x11/SaverOptions.h"

#include "host/MessageText.h"
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

// "-name" and "--name" are the same option; returns the name without dashes, or empty for
// an argument that is not an option.
std::string OptionName(const std::string& arg)
{
    size_t dashes = 0;
    while (dashes < arg.size() && dashes < 2 && arg[dashes] == '-')
        ++dashes;
    if (dashes == 0 || dashes == arg.size())
        return {};
    return arg.substr(dashes, arg.find('=') == std::string::npos ? std::string::npos : arg.find('=') - dashes);
}

bool IsOptionLike(const std::string& arg)
{
    return arg.size() > 1 && arg[0] == '-';
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
    for (const std::string& arg : args)
        if (arg == "-h" || OptionName(arg) == "help") {
            options.help = true;
            return true;
        }

    bool root = false;
    bool givenWindow = false, givenDisplay = false, givenTicks = false;
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        const std::string name = OptionName(arg);
        const bool takesValue = name == "window-id" || name == "display" || name == "ticks";
        if (name == "root") {
            if (arg.find('=') != std::string::npos) {
                error = "option --root takes no value";
                return false;
            }
            if (root) {
                error = "option --root is given twice";
                return false;
            }
            root = true;
            continue;
        }
        if (!takesValue) {
            error = (IsOptionLike(arg) ? "unknown option " : "unexpected argument ") + QuoteForMessage(arg) +
                    " (see --help)";
            return false;
        }
        bool& given = name == "window-id" ? givenWindow : name == "display" ? givenDisplay : givenTicks;
        if (given) {
            error = "option --" + name + " is given twice";
            return false;
        }
        given = true;
        std::string value;
        const size_t equals = arg.find('=');
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else {
            if (k + 1 == args.size() || IsOptionLike(args[k + 1])) {
                error = "option --" + name + " needs a value";
                return false;
            }
            value = args[++k];
        }
        if (value.empty()) {
            error = "option --" + name + " has an empty value";
            return false;
        }
        if (name == "window-id") {
            if (!ParseWindowId(value, options.windowId)) {
                error = "invalid window id " + QuoteForMessage(value) +
                        " (a decimal number, or hexadecimal after 0x, from 1 to 0x1fffffff)";
                return false;
            }
        } else if (name == "display") {
            options.display = value;
        } else {
            if (!ParseTickList(value, options.ticks, error))
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
