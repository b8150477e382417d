#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The timer ticks a replay runs, one identifier per tick in arrival order.

// The most frames `std:N` takes: a run of over 16 hours.
constexpr uint32_t kMaxStandardFrames = 1000000;

// Ticks of `frames` frames of 60 ms as the saver's timers deliver them on time: timers 1 and 3
// at every multiple of 60 ms, timer 2 at every multiple of 170 ms up to the last frame's end,
// timers due at the same moment in identifier order.
std::vector<uintptr_t> StandardTickSchedule(uint32_t frames);

// Parses "1,3,2,..." (decimal identifiers that fit the platform's UINT_PTR; no signs, spaces or
// empty items) or "std:N" (N from 1 to kMaxStandardFrames). On failure `ticks` is empty and
// `error` says why in one line.
bool ParseTickList(const std::string& text, std::vector<uintptr_t>& ticks, std::string& error);
