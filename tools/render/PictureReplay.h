#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "imaging/PixelPicture.h"

// The drawing window's animation without the window: the picture becomes both pixel buffers,
// the field takes its size, and every tick is the window's tick.

// Sees the output buffer after a presented frame (a tick of timer 1), numbered from 1.
// Returning false stops the replay.
using FrameSink = std::function<bool(uint32_t frameNumber, const PixelPicture& frame)>;

// Replays `ticks` on `picture` into `output` (what the screen shows after the last tick).
// `sink`, when set, gets every `every`th presented frame. False, with `error` set, when
// the picture is not valid, the field's memory cannot be had, or the sink stops the replay.
bool ReplayOnPicture(const PixelPicture& picture, const std::vector<uintptr_t>& ticks, uint32_t every,
                     const FrameSink& sink, PixelPicture& output, std::string& error);
