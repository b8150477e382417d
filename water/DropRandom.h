#pragma once
#include <cstdint>

// The saver's one pseudo-random generator: drop positions must follow it exactly,
// so no platform generator may stand in for it. One state for the process.
class DropRandom {
public:
    static void Seed(uint32_t value);
    // A value in 0..32767.
    static int32_t Next();

private:
    static uint32_t state;
};
