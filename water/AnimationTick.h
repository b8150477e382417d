#pragma once
#include <cstdint>

#include "water/WaterReference.h"

class WaterField;

// The arithmetic of one animation tick, shared by the drawing window and the replay tool.
// Timer 1 refracts and presents; every timer, 1 included, drops water.

constexpr uintptr_t kFrameTimerId = 1;
constexpr int32_t kTickCounterLimit = 22767;
constexpr int32_t kTickDropRadius = 5;
constexpr int32_t kTickDropAmount = 50;

// Drop seed and tick counter as the full-screen window starts with them.
struct TickState {
    int32_t dropSeed = 100;
    int32_t tickCounter = 1;
};

inline bool IsFrameTimer(uintptr_t timerId)
{
    return timerId == kFrameTimerId;
}

// 1..22767, then 1 again.
int32_t AdvanceTickCounter(int32_t tickCounter);

struct DropPosition {
    int32_t x;
    int32_t y;
};

// Seeds the generator with dropSeed + tickCounter and takes the two draws of the tick;
// each draw becomes the new drop seed. The result is where the tick's drop is asked for:
// (dropX - 15, dropY), rows counted from the bottom of the screen.
DropPosition DrawTickDrop(TickState& state, int32_t screenWidth, int32_t screenHeight);

// The drop part of a tick: draws its position and presses it into the page current now.
void AddTickDrop(WaterField& water, TickState& state, int32_t screenWidth, int32_t screenHeight);

// A whole tick without the presentation: what the drawing window computes for `timerId`.
// `source` and `output` may be null, for a window whose surfaces could not be made.
void ReplayTick(WaterField& water, TickState& state, uintptr_t timerId, int32_t screenWidth,
                int32_t screenHeight, const uint32_t* source, uint32_t* output,
                RowOrder outputOrder = RowOrder::BottomUp);
