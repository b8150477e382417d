#include "web/PageAnimation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <utility>

#include "animation/TickList.h"
#include "common/MouseRule.h"
#include "common/RowOrder.h"
#include "imaging/PixelHash.h"

namespace {

// What a picture costs per pixel: its canvas pixels, the frame, the picture the water refracts
// and the water's two pages (20 bytes), with room to spare for the water's bookkeeping, which
// is a few bits per row of 32 cells.
constexpr uint64_t kBytesPerPixel = 24;
constexpr uint64_t kSpareBytes = uint64_t{1} << 20;

// Whether `bytes` more can be had, by taking and giving them back. WebAssembly's memory only
// grows, and it grows here if it must, so what follows finds the room the probe made. Sizes
// beyond the largest signed one are refused before they are asked for: the allocator of
// 32-bit WebAssembly would take them for negative growth and hand out memory it does not have.
bool HeapHasRoomFor(uint64_t bytes)
{
    if (bytes > static_cast<uint64_t>(PTRDIFF_MAX))
        return false;
    // Held in a volatile so that the compiler cannot drop the pair and take the memory as had.
    void* volatile probe = std::malloc(static_cast<size_t>(bytes));
    const bool had = probe != nullptr;
    std::free(probe);
    return had;
}

} // namespace

int64_t NsFromMilliseconds(double milliseconds)
{
    // A year of milliseconds at most: far beyond any page's life, far inside 64 bits of ns.
    constexpr double kLongest = 366.0 * 24 * 3600 * 1000;
    if (!(milliseconds > 0))
        return 0;
    return static_cast<int64_t>(std::llround(std::min(milliseconds, kLongest) * 1e6));
}

void PageAnimation::Release()
{
    animation.Start(PixelPicture{});
    schedule.reset();
    canvas.reset();
    frame.reset();
    width = height = 0;
    started = false;
}

uint8_t* PageAnimation::Prepare(int32_t newWidth, int32_t newHeight)
{
    Release();
    if (newWidth < 1 || newHeight < 1 || newWidth > kMaxBitmapSide || newHeight > kMaxBitmapSide)
        return nullptr;
    const uint64_t pixels = static_cast<uint64_t>(newWidth) * static_cast<uint64_t>(newHeight);
    if (!HeapHasRoomFor(pixels * kBytesPerPixel + kSpareBytes))
        return nullptr;
    canvas.reset(static_cast<uint8_t*>(std::malloc(static_cast<size_t>(pixels) * 4)));
    frame.reset(static_cast<uint32_t*>(std::malloc(static_cast<size_t>(pixels) * sizeof(uint32_t))));
    if (!canvas || !frame) {
        Release();
        return nullptr;
    }
    width = newWidth;
    height = newHeight;
    return canvas.get();
}

bool PageAnimation::Start(int64_t nowNs)
{
    if (!canvas)
        return false;
    PixelPicture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    // Canvas rows run top-down, the saver's bottom-up; the canvas's alpha means nothing here.
    for (int32_t top = 0; top < height; ++top) {
        const uint8_t* from = canvas.get() + static_cast<size_t>(top) * static_cast<size_t>(width) * 4;
        uint32_t* to = picture.pixels.data() + FlippedRowStart(top, width, height);
        for (int32_t c = 0; c < width; ++c, from += 4)
            to[c] = uint32_t{from[0]} << 16 | uint32_t{from[1]} << 8 | from[2];
    }
    if (!animation.Start(std::move(picture), frame.get())) {
        Release();
        return false;
    }
    schedule.emplace(TickSchedule::SaverTimers(), nowNs);
    started = true;
    replayNext = 0;
    replayedFrames = 0;
    ShowFrame();
    return true;
}

void PageAnimation::ShowFrame()
{
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    const uint32_t* from = frame.get();
    uint8_t* to = canvas.get();
    for (size_t k = 0; k < count; ++k, to += 4) {
        const uint32_t pixel = from[k];
        to[0] = static_cast<uint8_t>(pixel >> 16);
        to[1] = static_cast<uint8_t>(pixel >> 8);
        to[2] = static_cast<uint8_t>(pixel);
        to[3] = 0xFF;
    }
}

bool PageAnimation::Advance(int64_t nowNs)
{
    if (!started)
        return false;
    bool made = false;
    while (const std::optional<uintptr_t> timerId = schedule->NextDue(nowNs))
        made = animation.Tick(*timerId) || made;
    if (made)
        ShowFrame();
    return made;
}

bool PageAnimation::SetReplay(const std::string& tickList, std::string& error)
{
    replayNext = 0;
    replayedFrames = 0;
    return ParseTickList(tickList, replayTicks, error);
}

bool PageAnimation::ReplayMore(uint32_t ticks)
{
    if (!started || replayNext >= replayTicks.size())
        return true;
    const size_t end = replayNext + std::min<size_t>(ticks, replayTicks.size() - replayNext);
    for (; replayNext < end; ++replayNext)
        replayedFrames += animation.Tick(replayTicks[replayNext]) ? 1 : 0;
    if (replayNext < replayTicks.size())
        return false;
    ShowFrame();
    return true;
}

std::string PageAnimation::FrameHash() const
{
    if (!started)
        return {};
    uint64_t hash = kPixelHashStart;
    for (int32_t row = height - 1; row >= 0; --row)
        hash = HashPixels(hash, frame.get() + static_cast<size_t>(row) * static_cast<size_t>(width),
                          static_cast<size_t>(width));
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

bool PageAnimation::MouseMoveEnds(int32_t x, int32_t y)
{
    return MouseMoveCloses(mouseStartX, mouseStartY, MousePosition{x, y});
}

void PageAnimation::ForgetMouse()
{
    mouseStartX = -1;
    mouseStartY = -1;
}
