#pragma once
#include <cstdint>
#include <functional>

#include "water/WaterReference.h"

class WaterField;

// One animation tick, the same for every program: the Windows drawing window, the X11 saver
// and the replay tool. Timer 1 refracts and presents; every timer, 1 included, drops water.

struct SaverTimer {
    uintptr_t id;
    uint32_t periodMs;
};

// The saver's three timers: 1 every 60 ms renders and presents, 2 every 170 ms and 3 every
// 60 ms only drop.
constexpr uintptr_t kFrameTimerId = 1;
constexpr SaverTimer kSaverTimers[] = {{kFrameTimerId, 60}, {2, 170}, {3, 60}};
constexpr uint32_t kFramePeriodMs = kSaverTimers[0].periodMs;
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

// One tick of `timerId`: the counter advances; on timer 1 the water refracts `source` into
// `output` and `present` (when set) shows that frame; then the tick's drop falls, so a frame
// never shows the drop of its own tick. `source` and `output` may be null, for a window whose
// surfaces could not be made.
void RunTick(WaterField& water, TickState& state, uintptr_t timerId, int32_t screenWidth, int32_t screenHeight,
             const uint32_t* source, uint32_t* output, RowOrder outputOrder = RowOrder::BottomUp,
             const std::function<void()>& present = {});
