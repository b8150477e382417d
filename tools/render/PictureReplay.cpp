#include "tools/render/PictureReplay.h"

#include "animation/WaterAnimation.h"

bool ReplayOnPicture(const PixelPicture& picture, const std::vector<uintptr_t>& ticks, uint32_t every,
                     const FrameSink& sink, PixelPicture& output, std::string& error)
{
    if (!IsValidPicture(picture)) {
        error = "the picture has no valid size";
        return false;
    }
    WaterAnimation animation;
    if (!animation.Start(picture)) {
        error = "not enough memory for a water field of " + std::to_string(picture.width) + " x " +
                std::to_string(picture.height);
        return false;
    }
    const uint32_t period = every == 0 ? 1 : every;
    const bool finished = animation.Replay(ticks, [&](uint32_t frameNumber) {
        if (!sink || frameNumber % period != 0 || sink(frameNumber, animation.FramePicture()))
            return true;
        error = "stopped after frame " + std::to_string(frameNumber);
        return false;
    });
    output = animation.TakeFrame();
    if (finished)
        error.clear();
    return finished;
}
