#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "animation/AnimationTick.h"
#include "imaging/PixelPicture.h"
#include "water/WaterField.h"

// The drawing window's animation on a picture: the source buffer that is only read, the
// output buffer that every frame overwrites, the water of the same size and the tick state.
// The X11 saver drives it from its clock or replays a tick list on it, as the replay tool does.
class WaterAnimation {
public:
    // Starts over on `picture`: both buffers become it, the water is flat and sized to it, and
    // the drop seed and the tick counter take their first values. With `topDownFrame` (the
    // picture's size) the frames are drawn there, rows top-down, instead of into a buffer of
    // the animation's own. False when the picture is not valid or the water's memory cannot be
    // had; the animation is then empty.
    bool Start(PixelPicture picture, uint32_t* topDownFrame = nullptr);

    // The picture it started on.
    const PixelPicture& Picture() const { return source; }

    // One timer tick; true when it made a frame to present (a tick of timer 1).
    bool Tick(uintptr_t timerId);

    // Runs `ticks` in order. After each frame, numbered from 1, `onFrame` sees it and stops the
    // run by returning false. False when it was stopped.
    bool Replay(const std::vector<uintptr_t>& ticks, const std::function<bool(uint32_t frameNumber)>& onFrame);

    // What the screen is to show: the picture before the first frame, then the last frame.
    // Bottom-up rows, Width() x Height() pixels; null when the frames go to `topDownFrame`.
    const uint32_t* Frame() const { return frame.pixels.empty() ? nullptr : frame.pixels.data(); }
    // The same as a picture (empty when the frames go to `topDownFrame`).
    const PixelPicture& FramePicture() const { return frame; }
    // Hands the last frame over; the animation is empty afterwards.
    PixelPicture TakeFrame();
    int32_t Width() const { return width; }
    int32_t Height() const { return height; }
    bool IsEmpty() const { return width == 0; }

private:
    WaterField water;
    TickState state;
    PixelPicture source;
    PixelPicture frame;
    uint32_t* topDownOutput = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};
