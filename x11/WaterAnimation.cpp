#include "x11/WaterAnimation.h"

#include <algorithm>

bool WaterAnimation::Start(const PixelPicture& picture, uint32_t* topDownFrame)
{
    width = height = 0;
    source.clear();
    output.clear();
    topDownOutput = nullptr;
    water.Create(0, 0);
    if (!IsValidPicture(picture))
        return false;
    water.Create(picture.width, picture.height);
    if (water.IsEmpty())
        return false;
    source = picture.pixels;
    if (topDownFrame) {
        const size_t rowPixels = static_cast<size_t>(picture.width);
        for (int32_t row = 0; row < picture.height; ++row)
            std::copy_n(&source[static_cast<size_t>(picture.height - 1 - row) * rowPixels], rowPixels,
                        topDownFrame + static_cast<size_t>(row) * rowPixels);
        topDownOutput = topDownFrame;
    } else {
        output = picture.pixels;
    }
    state = TickState{};
    width = picture.width;
    height = picture.height;
    return true;
}

bool WaterAnimation::Tick(uintptr_t timerId)
{
    if (IsEmpty())
        return false;
    const bool drawnInPlace = topDownOutput != nullptr;
    ReplayTick(water, state, timerId, width, height, source.data(), drawnInPlace ? topDownOutput : output.data(),
               drawnInPlace ? RowOrder::TopDown : RowOrder::BottomUp);
    return IsFrameTimer(timerId);
}
