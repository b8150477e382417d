#include "tools/render/PictureReplay.h"

#include "water/AnimationTick.h"
#include "water/WaterField.h"

bool ReplayOnPicture(const PixelPicture& picture, const std::vector<uintptr_t>& ticks, uint32_t every,
                     const FrameSink& sink, PixelPicture& output, std::string& error)
{
    if (!IsValidPicture(picture)) {
        error = "the picture has no valid size";
        return false;
    }
    WaterField water;
    water.Create(picture.width, picture.height);
    if (water.IsEmpty()) {
        error = "not enough memory for a water field of " + std::to_string(picture.width) + " x " +
                std::to_string(picture.height);
        return false;
    }
    // Both surfaces start as the picture; the source is never written.
    const std::vector<uint32_t>& source = picture.pixels;
    output = picture;
    TickState state;
    uint32_t frameNumber = 0;
    uint32_t untilNextSink = every == 0 ? 1 : every;
    for (uintptr_t timerId : ticks) {
        ReplayTick(water, state, timerId, picture.width, picture.height, source.data(), output.pixels.data());
        if (!IsFrameTimer(timerId))
            continue;
        ++frameNumber;
        if (sink && --untilNextSink == 0) {
            untilNextSink = every == 0 ? 1 : every;
            if (!sink(frameNumber, output)) {
                error = "stopped after frame " + std::to_string(frameNumber);
                return false;
            }
        }
    }
    error.clear();
    return true;
}
