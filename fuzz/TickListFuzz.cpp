#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "animation/TickList.h"

// A list is either refused with a reason or gives at least one tick; an explicit list gives
// one tick per item.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<uintptr_t> ticks;
    std::string error;
    if (!ParseTickList(text, ticks, error)) {
        if (!ticks.empty() || error.empty())
            std::abort();
        return 0;
    }
    if (ticks.empty())
        std::abort();
    if (text.rfind("std:", 0) != 0) {
        size_t items = 1;
        for (char c : text)
            items += c == ',';
        if (ticks.size() != items)
            std::abort();
    }
    return 0;
}
