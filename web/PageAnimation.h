#pragma once
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "animation/TickSchedule.h"
#include "animation/WaterAnimation.h"

// The saver's animation as the web page runs it. The page hands over a picture as canvas
// pixels (bytes red, green, blue, alpha; top row first) and gets every frame back the same
// way; the water, the drops, the timers' schedule and the mouse rule are the saver's own.

// A page clock reading (milliseconds, as the browser gives them) on the schedule's clock.
// Readings that are not numbers or lie before 0 count as 0.
int64_t NsFromMilliseconds(double milliseconds);

class PageAnimation {
public:
    // Makes room for a picture of width x height and returns the buffer for its canvas pixels,
    // which afterwards holds each frame the same way. Null, with the animation empty, when a
    // side lies outside 1..kMaxBitmapSide or the memory for the water and its pictures cannot
    // be had: nothing that follows can then run out of it.
    uint8_t* Prepare(int32_t width, int32_t height);

    // Starts the water on the picture in the canvas buffer, the timers from `nowNs`. The canvas
    // buffer then holds the first frame: the picture, opaque. False when nothing was prepared.
    bool Start(int64_t nowNs);

    // Runs the timer ticks due at `nowNs`; true when the canvas buffer holds a new frame. After a
    // pause (a hidden page) each timer fires once, so the frames never race to catch up.
    bool Advance(int64_t nowNs);

    // A replay without pacing, run in slices so that the page stays responsive: the ticks of
    // `tickList` (as vellumar-render takes them: "std:N" or "1,3,2,..."), run by ReplayMore on
    // the next picture started. Set it before preparing the picture, while memory is plenty.
    // False, with `error` saying why in one line, when the list is not valid.
    bool SetReplay(const std::string& tickList, std::string& error);

    // Runs up to `ticks` more ticks of the replay; true once all have run, and then the canvas
    // buffer holds the last frame.
    bool ReplayMore(uint32_t ticks);
    uint32_t ReplayedFrames() const { return replayedFrames; }

    // The frame as vellumar-render writes it (rows bottom-up, each pixel 0x00RRGGBB
    // little-endian), hashed with FNV-1a: 16 lower-case hex digits. Empty before a start.
    std::string FrameHash() const;

    // The saver's mouse rule from the page's own start: true when this move ends the saver.
    bool MouseMoveEnds(int32_t x, int32_t y);
    void ForgetMouse();

    int32_t Width() const { return width; }
    int32_t Height() const { return height; }

private:
    struct FreeMemory {
        void operator()(void* memory) const { std::free(memory); }
    };

    void Release();
    void ShowFrame();

    WaterAnimation animation;
    std::optional<TickSchedule> schedule;
    std::unique_ptr<uint8_t[], FreeMemory> canvas;
    std::unique_ptr<uint32_t[], FreeMemory> frame;
    int32_t width = 0;
    int32_t height = 0;
    bool started = false;
    std::vector<uintptr_t> replayTicks;
    size_t replayNext = 0;
    uint32_t replayedFrames = 0;
    int32_t mouseStartX = -1;
    int32_t mouseStartY = -1;
};
