#include "framework/TickCountWidener.h"

uint64_t TickCountWidener::Widen(uint32_t now)
{
    if (now < last)
        ++wraps;
    last = now;
    return (static_cast<uint64_t>(wraps) << 32) | now;
}
