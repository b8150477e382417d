#pragma once
#include <cstdint>

// A 64-bit millisecond count made from the system's 32-bit one, which wraps every 49.7
// days: each time the count is seen below the last one seen, one wrap has passed. It
// counts right as long as it is asked at least once per wrap, by one thread at a time.
class TickCountWidener {
public:
    uint64_t Widen(uint32_t now);

private:
    uint32_t last = 0;
    uint32_t wraps = 0;
};
