#include "x11/WaterAnimation.h"

bool WaterAnimation::Start(const PixelPicture& picture)
{
    width = height = 0;
    source.clear();
    output.clear();
    water.Create(0, 0);
    if (!IsValidPicture(picture))
        return false;
    water.Create(picture.width, picture.height);
    if (water.IsEmpty())
        return false;
    source = picture.pixels;
    output = picture.pixels;
    state = TickState{};
    width = picture.width;
    height = picture.height;
    return true;
}

bool WaterAnimation::Tick(uintptr_t timerId)
{
    if (IsEmpty())
        return false;
    ReplayTick(water, state, timerId, width, height, source.data(), output.data());
    return IsFrameTimer(timerId);
}
