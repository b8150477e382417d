#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "animation/TickList.h"
#include "imaging/PixelHash.h"
#include "tools/render/PictureReplay.h"
#include "web/PageAnimation.h"

// The page's animation against the replay tool's: the same frames from canvas pixels, handed
// back as canvas pixels, at the timers' pace.

namespace {

constexpr int64_t kMs = 1000000;

// Canvas pixels of a picture whose three channels differ everywhere, top row first, with an
// alpha that must not matter; and the same picture as the saver holds it.
struct TwoForms {
    std::vector<uint8_t> canvas;
    PixelPicture saver;
};

TwoForms MakePicture(int32_t width, int32_t height)
{
    TwoForms forms;
    forms.saver.width = width;
    forms.saver.height = height;
    forms.saver.pixels.resize(static_cast<size_t>(width) * height);
    for (int32_t top = 0; top < height; ++top) {
        for (int32_t c = 0; c < width; ++c) {
            const uint8_t red = static_cast<uint8_t>(c * 7 + top);
            const uint8_t green = static_cast<uint8_t>(top * 5 + 40);
            const uint8_t blue = static_cast<uint8_t>((c ^ top) * 3 + 90);
            forms.canvas.insert(forms.canvas.end(), {red, green, blue, static_cast<uint8_t>(c + top)});
            forms.saver.pixels[static_cast<size_t>(height - 1 - top) * width + c] =
                uint32_t{red} << 16 | uint32_t{green} << 8 | blue;
        }
    }
    return forms;
}

bool StartOn(PageAnimation& page, const TwoForms& picture, int64_t nowNs)
{
    uint8_t* canvas = page.Prepare(picture.saver.width, picture.saver.height);
    if (!canvas)
        return false;
    std::memcpy(canvas, picture.canvas.data(), picture.canvas.size());
    return page.Start(nowNs);
}

std::string HashText(const PixelPicture& frame)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx",
                  static_cast<unsigned long long>(HashPixels(kPixelHashStart, frame.pixels.data(), frame.pixels.size())));
    return text;
}

// The replay tool's frame after `ticks`.
PixelPicture ToolFrame(const PixelPicture& picture, const std::vector<uintptr_t>& ticks)
{
    PixelPicture output;
    std::string error;
    EXPECT_TRUE(ReplayOnPicture(picture, ticks, 1, nullptr, output, error)) << error;
    return output;
}

// Whether the canvas buffer shows `frame` (bottom-up saver pixels), opaque.
::testing::AssertionResult CanvasShows(const uint8_t* canvas, const PixelPicture& frame)
{
    for (int32_t top = 0; top < frame.height; ++top) {
        for (int32_t c = 0; c < frame.width; ++c) {
            const uint32_t pixel = frame.pixels[static_cast<size_t>(frame.height - 1 - top) * frame.width + c];
            const uint8_t* shown = canvas + (static_cast<size_t>(top) * frame.width + c) * 4;
            const uint8_t wanted[4] = {static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
                                       static_cast<uint8_t>(pixel), 0xFF};
            if (std::memcmp(shown, wanted, 4) != 0)
                return ::testing::AssertionFailure() << "pixel " << c << "," << top << " differs";
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(PageAnimation, TheFirstFrameIsThePictureOpaqueAndReplaysGiveTheReplayToolsFrame)
{
    for (const auto& [width, height] : {std::pair{37, 23}, std::pair{64, 48}}) {
        const TwoForms picture = MakePicture(width, height);
        PageAnimation page;
        std::string error;
        ASSERT_TRUE(page.SetReplay("std:30", error)) << error;
        uint8_t* canvas = page.Prepare(width, height);
        ASSERT_NE(nullptr, canvas);
        std::memcpy(canvas, picture.canvas.data(), picture.canvas.size());
        ASSERT_TRUE(page.Start(0));
        EXPECT_TRUE(CanvasShows(canvas, picture.saver));
        EXPECT_EQ(HashText(picture.saver), page.FrameHash());

        int slices = 1;
        while (!page.ReplayMore(7))
            ++slices;
        EXPECT_GT(slices, 1);
        EXPECT_EQ(30u, page.ReplayedFrames());
        const PixelPicture last = ToolFrame(picture.saver, StandardTickSchedule(30));
        EXPECT_TRUE(CanvasShows(canvas, last)) << width << "x" << height;
        EXPECT_EQ(HashText(last), page.FrameHash()) << width << "x" << height;
        EXPECT_TRUE(page.ReplayMore(7)) << "a finished replay stays finished";
        EXPECT_EQ(30u, page.ReplayedFrames());
    }
}

TEST(PageAnimation, FramesComeAtTheTimersPaceAndAPauseGivesOneFrameNotABurst)
{
    const TwoForms picture = MakePicture(50, 40);
    PageAnimation page;
    const int64_t start = 5000 * kMs;
    ASSERT_TRUE(StartOn(page, picture, start));
    EXPECT_FALSE(page.Advance(start + 59 * kMs));
    int frames = 0;
    for (int64_t now = start + 60 * kMs; now <= start + 1200 * kMs; now += 20 * kMs)
        frames += page.Advance(now) ? 1 : 0;
    EXPECT_EQ(20, frames);
    std::vector<uintptr_t> ticks = StandardTickSchedule(20);
    EXPECT_EQ(HashText(ToolFrame(picture.saver, ticks)), page.FrameHash());

    // Ten seconds hidden: each timer fires once, in the order of its deadline.
    EXPECT_TRUE(page.Advance(start + 11200 * kMs));
    EXPECT_FALSE(page.Advance(start + 11200 * kMs));
    ticks.insert(ticks.end(), {1, 3, 2});
    EXPECT_EQ(HashText(ToolFrame(picture.saver, ticks)), page.FrameHash());
    EXPECT_TRUE(page.Advance(start + 11260 * kMs));
}

TEST(PageAnimation, ANewSizeStartsOverAndForgetsTheOldOne)
{
    PageAnimation page;
    std::string error;
    ASSERT_TRUE(page.SetReplay("std:12", error));
    ASSERT_TRUE(StartOn(page, MakePicture(40, 30), 0));
    while (!page.ReplayMore(100)) {
    }
    const TwoForms larger = MakePicture(71, 33);
    ASSERT_TRUE(StartOn(page, larger, 0));
    EXPECT_EQ(71, page.Width());
    EXPECT_EQ(33, page.Height());
    EXPECT_EQ(HashText(larger.saver), page.FrameHash());
    while (!page.ReplayMore(100)) {
    }
    EXPECT_EQ(12u, page.ReplayedFrames());
    EXPECT_EQ(HashText(ToolFrame(larger.saver, StandardTickSchedule(12))), page.FrameHash());
}

TEST(PageAnimation, SizesOutsideTheWatersRangeAreRefusedAndNothingRunsThen)
{
    PageAnimation page;
    ASSERT_TRUE(StartOn(page, MakePicture(20, 20), 0));
    const std::pair<int32_t, int32_t> refused[] = {{0, 10},    {10, 0},    {-1, -1},  {16385, 1},
                                                   {1, 16385}, {INT_MIN, 5}, {5, INT_MAX}};
    for (const auto& [width, height] : refused) {
        EXPECT_EQ(nullptr, page.Prepare(width, height)) << width << "x" << height;
        EXPECT_EQ(0, page.Width());
        EXPECT_FALSE(page.Start(0));
        EXPECT_FALSE(page.Advance(10000 * kMs));
        EXPECT_TRUE(page.ReplayMore(10));
        EXPECT_EQ("", page.FrameHash());
    }
    EXPECT_NE(nullptr, page.Prepare(1, 1)) << "one pixel is a picture too";
    EXPECT_TRUE(page.Start(0));
    EXPECT_TRUE(page.Advance(60 * kMs));
}

TEST(PageAnimation, TickListsAreCheckedAsTheReplayToolChecksThem)
{
    PageAnimation page;
    for (const std::string bad : {"", "std:0", "std:1000001", "std:x", "1,,3", "-1", "1 ,2"}) {
        std::string error;
        std::string toolError;
        std::vector<uintptr_t> ticks;
        EXPECT_FALSE(page.SetReplay(bad, error)) << bad;
        EXPECT_FALSE(ParseTickList(bad, ticks, toolError));
        EXPECT_EQ(toolError, error);
    }
    std::string error;
    EXPECT_TRUE(page.ReplayMore(5)) << "nothing started: nothing to run";
    ASSERT_TRUE(page.SetReplay("1,3,2,7,1", error));
    const TwoForms picture = MakePicture(30, 30);
    ASSERT_TRUE(StartOn(page, picture, 0));
    EXPECT_FALSE(page.ReplayMore(3));
    EXPECT_TRUE(page.ReplayMore(3));
    EXPECT_EQ(2u, page.ReplayedFrames());
    EXPECT_EQ(HashText(ToolFrame(picture.saver, {1, 3, 2, 7, 1})), page.FrameHash());
}

TEST(PageAnimation, ClockReadingsOfAnyKindBecomeNanoseconds)
{
    EXPECT_EQ(1500000, NsFromMilliseconds(1.5));
    EXPECT_EQ(0, NsFromMilliseconds(0));
    EXPECT_EQ(0, NsFromMilliseconds(-3));
    EXPECT_EQ(0, NsFromMilliseconds(std::nan("")));
    EXPECT_EQ(0, NsFromMilliseconds(-std::numeric_limits<double>::infinity()));
    const int64_t year = NsFromMilliseconds(366.0 * 24 * 3600 * 1000);
    EXPECT_EQ(year, NsFromMilliseconds(std::numeric_limits<double>::infinity()));
    EXPECT_EQ(year, NsFromMilliseconds(1e300));
    EXPECT_GT(year, 0);
}

TEST(PageAnimation, TheMouseRuleKeepsTheFirstPositionUntilForgotten)
{
    PageAnimation page;
    EXPECT_FALSE(page.MouseMoveEnds(300, 200));
    EXPECT_FALSE(page.MouseMoveEnds(300, 200));
    EXPECT_TRUE(page.MouseMoveEnds(301, 200));
    EXPECT_TRUE(page.MouseMoveEnds(300, 199));
    EXPECT_FALSE(page.MouseMoveEnds(300, 200)) << "later moves are compared with the first";
    page.ForgetMouse();
    EXPECT_FALSE(page.MouseMoveEnds(5, 5));
    EXPECT_TRUE(page.MouseMoveEnds(300, 200));
}
