#include "animation/AnimationTick.h"

#include "water/DropRandom.h"
#include "water/Int32Wrap.h"
#include "water/WaterField.h"

int32_t AdvanceTickCounter(int32_t tickCounter)
{
    const int32_t next = WrapAdd(tickCounter, 1);
    return (next > kTickCounterLimit || next < 1) ? 1 : next;
}

DropPosition DrawTickDrop(TickState& state, int32_t screenWidth, int32_t screenHeight)
{
    DropRandom::Seed(static_cast<uint32_t>(WrapAdd(state.dropSeed, state.tickCounter)));
    const int32_t a = DropRandom::Next();
    state.dropSeed = a;
    const int32_t dropX = WrapMul(screenWidth, a) / 32767;
    const int32_t b = DropRandom::Next();
    state.dropSeed = b;
    const int32_t dropY = WrapSub(WrapMul(screenHeight, b) / 32767, 20);
    return {WrapSub(dropX, 15), dropY};
}

void AddTickDrop(WaterField& water, TickState& state, int32_t screenWidth, int32_t screenHeight)
{
    const DropPosition drop = DrawTickDrop(state, screenWidth, screenHeight);
    water.AddDrop(drop.x, drop.y, kTickDropRadius, kTickDropAmount, water.CurrentPage());
}

void RunTick(WaterField& water, TickState& state, uintptr_t timerId, int32_t screenWidth, int32_t screenHeight,
             const uint32_t* source, uint32_t* output, RowOrder outputOrder, const std::function<void()>& present)
{
    state.tickCounter = AdvanceTickCounter(state.tickCounter);
    if (IsFrameTimer(timerId)) {
        water.Render(source, output, outputOrder);
        if (present)
            present();
    }
    AddTickDrop(water, state, screenWidth, screenHeight);
}
