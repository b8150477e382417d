#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "tools/render/PictureReplay.h"
#include "animation/TickList.h"

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

} // namespace

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

    std::map<uint32_t, std::vector<uint32_t>> seen;
    PixelPicture output;
    std::string error;
    ASSERT_TRUE(ReplayOnPicture(picture, ticks, 3, [&](uint32_t number, const PixelPicture& frame) {
        seen[number] = frame.pixels;
        return true;
    }, output, error));
    ASSERT_EQ(3u, seen.size());
    // Frame n is what a replay that stops right after the n-th frame tick leaves.
    for (uint32_t number : {3u, 6u, 9u}) {
        std::vector<uintptr_t> upTo;
        for (uint32_t frames = 0; frames < number;) {
            upTo.push_back(ticks[upTo.size()]);
            frames += upTo.back() == 1;
        }
        PixelPicture stopped;
        ASSERT_TRUE(ReplayOnPicture(picture, upTo, 1, nullptr, stopped, error));
        EXPECT_EQ(stopped.pixels, seen[number]) << number;
    }
    EXPECT_NE(seen[3], seen[6]);
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
