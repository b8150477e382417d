#pragma once
#include <cstdint>
#include <vector>

#include "imaging/PixelPicture.h"
#include "water/AnimationTick.h"
#include "water/WaterField.h"

// The drawing window's animation on a picture: the source buffer that is only read, the
// output buffer that every frame overwrites, the water of the same size and the tick state.
// The X11 saver drives it from its clock or from a tick list; the frames are those the
// replay tool computes from the same picture and ticks.
class WaterAnimation {
public:
    // Starts over on `picture`: both buffers become it, the water is flat and sized to it, and
    // the drop seed and the tick counter take their first values. With `topDownFrame` (the
    // picture's size) the frames are drawn there, rows top-down, instead of into a buffer of
    // the animation's own. False when the picture is not valid or the water's memory cannot be
    // had; the animation is then empty.
    bool Start(const PixelPicture& picture, uint32_t* topDownFrame = nullptr);

    // One timer tick; true when it made a frame to present (a tick of timer 1).
    bool Tick(uintptr_t timerId);

    // What the screen is to show: the picture before the first frame, then the last frame.
    // Bottom-up rows, Width() x Height() pixels; null when the frames go to `topDownFrame`.
    const uint32_t* Frame() const { return output.empty() ? nullptr : output.data(); }
    int32_t Width() const { return width; }
    int32_t Height() const { return height; }
    bool IsEmpty() const { return width == 0; }

private:
    WaterField water;
    TickState state;
    std::vector<uint32_t> source;
    std::vector<uint32_t> output;
    uint32_t* topDownOutput = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};
