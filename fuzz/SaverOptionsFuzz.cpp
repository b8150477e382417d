#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "x11/SaverOptions.h"

// The X11 saver's command line and XSCREENSAVER_WINDOW: the input is split at NUL bytes, the
// first piece being the variable's value ("-" for unset) and the others the arguments. A
// command line is refused with one short line of printable text, or gives a target whose
// window id an X server could have handed out; every accepted window id reads back the same
// from its hexadecimal form.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> pieces(1);
    for (size_t k = 0; k < size; ++k) {
        if (data[k] == 0)
            pieces.emplace_back();
        else
            pieces.back() += static_cast<char>(data[k]);
    }
    const std::string variable = pieces.front();
    const std::vector<std::string> args(pieces.begin() + 1, pieces.end());
    SaverOptions options;
    std::string error;
    if (!ParseSaverOptions(args, variable == "-" ? nullptr : variable.c_str(), options, error)) {
        if (error.empty() || error.size() > 300)
            std::abort();
        for (char c : error)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
                std::abort();
        return 0;
    }
    if (options.target == SaverTarget::Window) {
        if (options.windowId == 0 || options.windowId > 0x1FFFFFFF)
            std::abort();
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%x", options.windowId);
        uint32_t again = 0;
        if (!ParseWindowId(hex, again) || again != options.windowId ||
            !ParseWindowId(std::to_string(options.windowId), again) || again != options.windowId)
            std::abort();
    }
    return 0;
}
