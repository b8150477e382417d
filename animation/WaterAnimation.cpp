#include "animation/WaterAnimation.h"

#include <algorithm>
#include <utility>

#include "common/RowOrder.h"

bool WaterAnimation::Start(PixelPicture picture, uint32_t* topDownFrame)
{
    width = height = 0;
    source = PixelPicture{};
    frame = PixelPicture{};
    topDownOutput = nullptr;
    water.Create(0, 0);
    if (!IsValidPicture(picture))
        return false;
    water.Create(picture.width, picture.height);
    if (water.IsEmpty())
        return false;
    if (topDownFrame) {
        const size_t rowPixels = static_cast<size_t>(picture.width);
        for (int32_t row = 0; row < picture.height; ++row)
            std::copy_n(&picture.pixels[FlippedRowStart(row, picture.width, picture.height)], rowPixels,
                        topDownFrame + static_cast<size_t>(row) * rowPixels);
        topDownOutput = topDownFrame;
    } else {
        frame = picture;
    }
    state = TickState{};
    width = picture.width;
    height = picture.height;
    source = std::move(picture);
    return true;
}

bool WaterAnimation::Tick(uintptr_t timerId)
{
    if (IsEmpty())
        return false;
    const bool drawnInPlace = topDownOutput != nullptr;
    RunTick(water, state, timerId, width, height, source.pixels.data(), drawnInPlace ? topDownOutput : frame.pixels.data(),
            drawnInPlace ? RowOrder::TopDown : RowOrder::BottomUp);
    return IsFrameTimer(timerId);
}

bool WaterAnimation::Replay(const std::vector<uintptr_t>& ticks, const std::function<bool(uint32_t frameNumber)>& onFrame)
{
    uint32_t frameNumber = 0;
    for (uintptr_t timerId : ticks)
        if (Tick(timerId) && !onFrame(++frameNumber))
            return false;
    return true;
}

PixelPicture WaterAnimation::TakeFrame()
{
    PixelPicture last = std::move(frame);
    Start(PixelPicture{});
    return last;
}
