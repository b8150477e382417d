#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The command line of the X11 saver, and the window XScreenSaver's daemon names in the
// environment, as plain values.

// Where the saver draws: a full-screen window of its own on the primary monitor that ends on
// input, the root window, or a window made by another program (the daemon's, a preview box).
enum class SaverTarget { Standalone, Root, Window };

struct SaverOptions {
    SaverTarget target = SaverTarget::Standalone;
    uint32_t windowId = 0;          // for SaverTarget::Window
    bool windowFromEnvironment = false;
    std::string display;            // empty: $DISPLAY
    bool replay = false;            // --ticks: replay `ticks` at once instead of on the clock
    std::vector<uintptr_t> ticks;
    bool help = false;
};

constexpr const char* kSaverName = "vellumar";
constexpr const char* kWindowVariable = "XSCREENSAVER_WINDOW";

// An X window id as XScreenSaver writes it: decimal, or hexadecimal after 0x. Only values an
// X server can give a resource (1 to 0x1FFFFFFF); no signs, blanks or other characters.
bool ParseWindowId(const std::string& text, uint32_t& id);

// Parses the arguments after the program name. Options are written with one dash or two, as
// X programs take them, and "--name=value" works too: --root, --window-id ID, --display NAME,
// --ticks LIST, --help. `windowVariable` is the value of XSCREENSAVER_WINDOW, null when it
// is not set. The window comes from --window-id, else from the variable; --root, which the
// daemon's command lines usually carry, means the root window only without either of them
// (xscreensaver-settings starts its preview with --root --window-id ID). On failure `error`
// says why in one line.
bool ParseSaverOptions(const std::vector<std::string>& args, const char* windowVariable, SaverOptions& options,
                       std::string& error);

std::string SaverUsage();
