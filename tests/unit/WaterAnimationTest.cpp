#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "animation/TickList.h"
#include "animation/WaterAnimation.h"
#include "imaging/PixelHash.h"
#include "tools/render/PictureReplay.h"

namespace {

PixelPicture Busy(int32_t width, int32_t height)
{
    PixelPicture picture;
    picture.width = width;
    picture.height = height;
    for (int32_t k = 0; k < width * height; ++k)
        picture.pixels.push_back(static_cast<uint32_t>(k * 2654435761u) & 0xFFFFFF);
    return picture;
}

// Every byte of every frame, in order.
uint64_t FramesHash(const std::vector<std::vector<uint32_t>>& frames)
{
    uint64_t hash = kPixelHashStart;
    for (const std::vector<uint32_t>& frame : frames)
        hash = HashPixels(hash, frame.data(), frame.size());
    return hash;
}

std::vector<std::vector<uint32_t>> AnimationFrames(WaterAnimation& animation, const std::vector<uintptr_t>& ticks)
{
    std::vector<std::vector<uint32_t>> frames;
    for (uintptr_t id : ticks)
        if (animation.Tick(id))
            frames.emplace_back(animation.Frame(), animation.Frame() + animation.Width() * animation.Height());
    return frames;
}

} // namespace

// The hashes pin the frames of the tick that the Windows saver, the X11 saver and the replay
// tool were checked against bit for bit.
TEST(WaterAnimation, FramesAreTheKnownFramesForTheTicks)
{
    const PixelPicture picture = Busy(173, 97);
    std::vector<uintptr_t> ticks = StandardTickSchedule(120);
    ticks.insert(ticks.end(), {2, 2, 7, 1, 3, 0, 1});
    WaterAnimation animation;
    ASSERT_TRUE(animation.Start(picture));
    EXPECT_EQ(picture.pixels, std::vector<uint32_t>(animation.Frame(), animation.Frame() + 173 * 97));
    const auto frames = AnimationFrames(animation, ticks);
    EXPECT_EQ(122u, frames.size());
    EXPECT_EQ(0x3e7c9c36618463c6ull, FramesHash(frames));
    EXPECT_NE(picture.pixels, frames.back());
}

TEST(WaterAnimation, StartingAgainBeginsFromTheFirstTick)
{
    const std::vector<uintptr_t> ticks = StandardTickSchedule(40);
    WaterAnimation animation;
    ASSERT_TRUE(animation.Start(Busy(64, 48)));
    EXPECT_EQ(0xdd86bc34b50b0714ull, FramesHash(AnimationFrames(animation, ticks)));
    // A new size (the window grew): the same as a fresh animation at that size.
    const PixelPicture larger = Busy(90, 70);
    ASSERT_TRUE(animation.Start(larger));
    EXPECT_EQ(90, animation.Width());
    EXPECT_EQ(70, animation.Height());
    EXPECT_EQ(0x5b3a56c912d9362cull, FramesHash(AnimationFrames(animation, ticks)));
}

TEST(WaterAnimation, AnInvalidPictureLeavesItEmpty)
{
    WaterAnimation animation;
    ASSERT_TRUE(animation.Start(Busy(10, 10)));
    PixelPicture broken = Busy(10, 10);
    broken.pixels.pop_back();
    EXPECT_FALSE(animation.Start(broken));
    EXPECT_TRUE(animation.IsEmpty());
    EXPECT_FALSE(animation.Tick(1));
    EXPECT_FALSE(animation.Start(PixelPicture{}));
    EXPECT_FALSE(animation.Tick(1));
}

TEST(PictureReplay, WithoutFrameTicksTheOutputIsThePicture)
{
    const PixelPicture picture = Busy(20, 10);
    PixelPicture output;
    std::string error;
    ASSERT_TRUE(ReplayOnPicture(picture, {2, 3, 3, 2}, 1, nullptr, output, error));
    EXPECT_EQ(picture.pixels, output.pixels);
    ASSERT_TRUE(ReplayOnPicture(picture, {}, 1, nullptr, output, error));
    EXPECT_EQ(picture.pixels, output.pixels);
}

TEST(PictureReplay, HandsEveryNthPresentedFrameToTheSink)
{
    const PixelPicture picture = Busy(33, 21);
    const std::vector<uintptr_t> ticks = StandardTickSchedule(10);
    std::vector<std::pair<uint32_t, std::vector<uint32_t>>> seen;
    PixelPicture output;
    std::string error;
    ASSERT_TRUE(ReplayOnPicture(picture, ticks, 3, [&](uint32_t number, const PixelPicture& frame) {
        seen.emplace_back(number, frame.pixels);
        return true;
    }, output, error));
    // Frame n is the n-th frame the live animation shows for the same ticks.
    WaterAnimation animation;
    ASSERT_TRUE(animation.Start(picture));
    const auto frames = AnimationFrames(animation, ticks);
    ASSERT_EQ(10u, frames.size());
    ASSERT_EQ(3u, seen.size());
    for (size_t k = 0; k < seen.size(); ++k) {
        EXPECT_EQ(3 * (k + 1), seen[k].first);
        EXPECT_EQ(frames[3 * k + 2], seen[k].second) << seen[k].first;
    }
    EXPECT_EQ(frames.back(), output.pixels);
}

TEST(PictureReplay, StopsWhenTheSinkFailsAndRefusesPicturesWithoutASize)
{
    uint32_t calls = 0;
    PixelPicture output;
    std::string error;
    EXPECT_FALSE(ReplayOnPicture(Busy(16, 16), StandardTickSchedule(10), 1, [&](uint32_t, const PixelPicture&) {
        return ++calls < 2;
    }, output, error));
    EXPECT_EQ(2u, calls);
    EXPECT_FALSE(error.empty());

    PixelPicture broken = Busy(4, 4);
    broken.pixels.resize(3);
    EXPECT_FALSE(ReplayOnPicture(broken, {1}, 1, nullptr, output, error));
    EXPECT_FALSE(ReplayOnPicture(PixelPicture{}, {1}, 1, nullptr, output, error));
}
