#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "animation/AnimationTick.h"
#include "water/WaterField.h"

TEST(AnimationTick, CounterWrapsAfter22767ToOne)
{
    EXPECT_EQ(2, AdvanceTickCounter(1));
    EXPECT_EQ(22767, AdvanceTickCounter(22766));
    EXPECT_EQ(1, AdvanceTickCounter(22767));
    EXPECT_EQ(1, AdvanceTickCounter(INT_MAX));
}

TEST(AnimationTick, FirstFrameTickAt1024x768)
{
    WaterField water;
    water.Create(1024, 768);
    TickState state;
    std::vector<uint32_t> source(1024 * 768, 0x123456), output(1024 * 768);
    RunTick(water, state, 1, 1024, 768, source.data(), output.data());
    EXPECT_EQ(2, state.tickCounter);
    EXPECT_EQ(22713, state.dropSeed);
    EXPECT_EQ(1, water.CurrentPage());
    // x = 11 - 15 = -4 is negative, so AddDrop drew 8375: column 8375 % 1013 + 6 = 277, row 512.
    EXPECT_EQ(50, water.Page(1)[512 * 1024 + 277]);
    EXPECT_EQ(50, water.Page(1)[516 * 1024 + 277]);
    EXPECT_EQ(0, water.Page(1)[517 * 1024 + 277]);
    EXPECT_EQ(0, water.Page(0)[512 * 1024 + 277]);
}

TEST(AnimationTick, SecondTickOfTimerThreeDropsWithoutRendering)
{
    WaterField water;
    water.Create(1024, 768);
    TickState state;
    std::vector<uint32_t> source(1024 * 768, 0x123456), output(1024 * 768, 0xCAFE);
    RunTick(water, state, 1, 1024, 768, source.data(), output.data());
    std::vector<uint32_t> afterFirst = output;
    const DropPosition drop = DrawTickDrop(state = TickState{22713, 3}, 1024, 768);
    EXPECT_EQ(256, drop.x);
    EXPECT_EQ(311, drop.y);
    EXPECT_EQ(14151, state.dropSeed);

    TickState replay{22713, 2};
    RunTick(water, replay, 3, 1024, 768, source.data(), output.data());
    EXPECT_EQ(3, replay.tickCounter);
    EXPECT_EQ(14151, replay.dropSeed);
    EXPECT_EQ(1, water.CurrentPage());
    EXPECT_EQ(50, water.Page(1)[311 * 1024 + 256]);
    EXPECT_EQ(afterFirst, output);
}

// The largest draw, 32767, puts dropX on the screen's width itself: x = width - 15.
TEST(AnimationTick, TheLargestDrawReachesTheRightEdge)
{
    TickState state{-266602948, 5};  // seeds 0xF01BF641, whose first draw is 32767
    const DropPosition drop = DrawTickDrop(state, 1024, 768);
    EXPECT_EQ(1024 - 15, drop.x);
    EXPECT_EQ(768 * 15401 / 32767 - 20, drop.y);
    EXPECT_EQ(15401, state.dropSeed);
}

TEST(AnimationTick, AnyOtherTimerBehavesLikeTimerTwo)
{
    for (uintptr_t id : {uintptr_t{0}, uintptr_t{2}, uintptr_t{3}, uintptr_t{99}, ~uintptr_t{0}}) {
        WaterField water;
        water.Create(64, 48);
        TickState state{500, 22767};
        RunTick(water, state, id, 64, 48, nullptr, nullptr);
        EXPECT_EQ(1, state.tickCounter);
        EXPECT_EQ(0, water.CurrentPage());
        TickState expected{500, 1};
        DrawTickDrop(expected, 64, 48);
        EXPECT_EQ(expected.dropSeed, state.dropSeed);
    }
}

TEST(AnimationTick, NoSurfacesAndEmptyFieldAreHarmless)
{
    WaterField water;
    TickState state;
    for (int n = 0; n < 50; ++n)
        RunTick(water, state, n % 3 + 1, 0, 0, nullptr, nullptr);
    EXPECT_EQ(51, state.tickCounter);
    // Without pixel memory the frames still step the water and flip the page.
    water.Create(100, 80);
    for (int n = 0; n < 49; ++n)
        RunTick(water, state, 1, 100, 80, nullptr, nullptr);
    EXPECT_EQ(1, water.CurrentPage());
    int wet = 0;
    for (int i = 0; i < 100 * 80; ++i)
        wet += water.Page(0)[i] != 0;
    EXPECT_GT(wet, 69);  // the drops have spread
}

TEST(AnimationTick, ExtremeScreenSizesDoNotOverflow)
{
    // Seed, products and quotients wrap at 32 bits (and UBSan sees no overflow).
    TickState state{INT_MAX, 22767};
    const DropPosition drop = DrawTickDrop(state, INT_MAX, INT_MAX);
    EXPECT_EQ(27283, state.dropSeed);
    EXPECT_EQ(-15, drop.x);     // INT_MAX * 8846 wraps to -8846
    EXPECT_EQ(65517, drop.y);   // INT_MAX * 27283 wraps to 2^31 - 27283
}
