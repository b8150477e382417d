#include <gtest/gtest.h>

#include <vector>

#include "animation/AnimationTick.h"
#include "water/DrawWindowPixels.h"
#include "water/WaterField.h"

TEST(DrawWindowPixels, OnlyMemoryCoveringTheFieldReachesTheRenderer)
{
    std::vector<uint32_t> pixels(64 * 48);
    EXPECT_EQ(pixels.data(), PixelsCoveringField(pixels.data(), 64, 48, 64, 48));
    EXPECT_EQ(pixels.data(), PixelsCoveringField(pixels.data(), 64, 48, 32, 24));
    EXPECT_EQ(nullptr, PixelsCoveringField(nullptr, 64, 48, 64, 48));      // surface not made
    EXPECT_EQ(nullptr, PixelsCoveringField(pixels.data(), 0, 0, 64, 48));  // empty surface
    EXPECT_EQ(nullptr, PixelsCoveringField(pixels.data(), 63, 48, 64, 48));
    EXPECT_EQ(nullptr, PixelsCoveringField(pixels.data(), 64, 47, 64, 48));
    EXPECT_EQ(nullptr, PixelsCoveringField(pixels.data(), -64, 48, 64, 48));
    EXPECT_EQ(nullptr, PixelsCoveringField(pixels.data(), 64, 48, 0, 0));  // no field
}

TEST(DrawWindowPixels, TicksWithoutSurfacesStillMoveTheWater)
{
    // Full-screen creation gave the water its size but no surfaces: the ticks go on,
    // render nothing and keep dropping.
    WaterField water;
    water.Create(320, 200);
    TickState state;
    for (uintptr_t timer : {1u, 3u, 2u, 1u, 1u, 3u}) {
        RunTick(water, state, timer, 320, 200, PixelsCoveringField(nullptr, 0, 0, 320, 200),
                   PixelsCoveringField(nullptr, 0, 0, 320, 200));
    }
    EXPECT_EQ(7, state.tickCounter);
    EXPECT_EQ(1, water.CurrentPage());  // three frames flipped the page three times
    int32_t moved = 0;
    for (int32_t i = 0; i < 320 * 200; ++i)
        moved += water.Page(0)[i] != 0 || water.Page(1)[i] != 0;
    EXPECT_GT(moved, 0);
}
