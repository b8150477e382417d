#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <vector>

#include "tools/render/PictureReplay.h"
#include "tools/render/TickList.h"
#include "water/AnimationTick.h"
#include "water/WaterField.h"

namespace {

PixelPicture TestPicture(int32_t width, int32_t height)
{
    PixelPicture picture;
    picture.width = width;
    picture.height = height;
    for (int32_t i = 0; i < width * height; ++i)
        picture.pixels.push_back(static_cast<uint32_t>(i) * 2654435761u & 0xFFFFFF);
    return picture;
}

// The drawing window's start written out: both buffers hold the picture, seed 100, counter 1.
// Returns the output buffer after every timer-1 tick.
std::vector<std::vector<uint32_t>> WindowFrames(const PixelPicture& picture, const std::vector<uintptr_t>& ticks,
                                                std::vector<uint32_t>& last)
{
    WaterField water;
    water.Create(picture.width, picture.height);
    TickState state{100, 1};
    std::vector<uint32_t> source = picture.pixels;
    std::vector<uint32_t> output = picture.pixels;
    std::vector<std::vector<uint32_t>> frames;
    for (uintptr_t id : ticks) {
        ReplayTick(water, state, id, picture.width, picture.height, source.data(), output.data());
        if (id == 1)
            frames.push_back(output);
    }
    last = output;
    return frames;
}

} // namespace

TEST(PictureReplay, MatchesTheWindowsTicksFromItsStartingState)
{
    const PixelPicture picture = TestPicture(61, 47);
    std::vector<uintptr_t> ticks = StandardTickSchedule(80);
    ticks.insert(ticks.end(), {0, 7, std::numeric_limits<uintptr_t>::max(), 1, 1, 2});
    std::vector<uint32_t> expected;
    WindowFrames(picture, ticks, expected);

    PixelPicture output;
    std::string error;
    ASSERT_TRUE(ReplayOnPicture(picture, ticks, 1, nullptr, output, error)) << error;
    EXPECT_EQ(61, output.width);
    EXPECT_EQ(47, output.height);
    EXPECT_EQ(expected, output.pixels);
    EXPECT_NE(picture.pixels, output.pixels); // the water did move something

    // The border is never written, so it still shows the picture the output buffer started with.
    for (int32_t c = 0; c < 61; ++c) {
        EXPECT_EQ(picture.pixels[c], output.pixels[c]);
        EXPECT_EQ(picture.pixels[46 * 61 + c], output.pixels[46 * 61 + c]);
    }
}

TEST(PictureReplay, WithoutFrameTicksTheOutputIsThePicture)
{
    const PixelPicture picture = TestPicture(20, 10);
    PixelPicture output;
    std::string error;
    ASSERT_TRUE(ReplayOnPicture(picture, {2, 3, 3, 2}, 1, nullptr, output, error));
    EXPECT_EQ(picture.pixels, output.pixels);
    ASSERT_TRUE(ReplayOnPicture(picture, {}, 1, nullptr, output, error));
    EXPECT_EQ(picture.pixels, output.pixels);
}

TEST(PictureReplay, HandsEveryNthPresentedFrameToTheSink)
{
    const PixelPicture picture = TestPicture(33, 21);
    const std::vector<uintptr_t> ticks = StandardTickSchedule(10);
    std::vector<uint32_t> last;
    const auto expected = WindowFrames(picture, ticks, last);
    ASSERT_EQ(10u, expected.size());

    std::map<uint32_t, std::vector<uint32_t>> seen;
    PixelPicture output;
    std::string error;
    ASSERT_TRUE(ReplayOnPicture(picture, ticks, 3, [&](uint32_t number, const PixelPicture& frame) {
        seen[number] = frame.pixels;
        return true;
    }, output, error));
    ASSERT_EQ(3u, seen.size());
    for (uint32_t number : {3u, 6u, 9u})
        EXPECT_EQ(expected[number - 1], seen[number]) << number;
    EXPECT_EQ(last, output.pixels);
}

TEST(PictureReplay, StopsWhenTheSinkFailsAndRefusesPicturesWithoutASize)
{
    const PixelPicture picture = TestPicture(16, 16);
    uint32_t calls = 0;
    PixelPicture output;
    std::string error;
    EXPECT_FALSE(ReplayOnPicture(picture, StandardTickSchedule(10), 1, [&](uint32_t, const PixelPicture&) {
        return ++calls < 2;
    }, output, error));
    EXPECT_EQ(2u, calls);
    EXPECT_FALSE(error.empty());

    PixelPicture broken;
    broken.width = 4;
    broken.height = 4;
    broken.pixels.resize(3);
    EXPECT_FALSE(ReplayOnPicture(broken, {1}, 1, nullptr, output, error));
    EXPECT_FALSE(ReplayOnPicture(PixelPicture{}, {1}, 1, nullptr, output, error));
}
