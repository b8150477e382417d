#pragma once
#include <chrono>
#include <cstdint>

// Nanoseconds on a clock that no change of the system's time moves: what the timer schedule
// and every bounded wait count on.
inline int64_t MonotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
