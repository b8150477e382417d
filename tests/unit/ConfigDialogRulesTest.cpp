#include "host/ConfigDialogRules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

TEST(AboutCommand, LowFourBitsAreIgnored)
{
    for (std::uint64_t command = 16; command <= 31; ++command)
        EXPECT_TRUE(IsAboutCommand(command)) << command;
}

TEST(AboutCommand, OtherCommandsAreNotAbout)
{
    EXPECT_FALSE(IsAboutCommand(0));
    EXPECT_FALSE(IsAboutCommand(15));
    EXPECT_FALSE(IsAboutCommand(32));
    EXPECT_FALSE(IsAboutCommand(48));
    EXPECT_FALSE(IsAboutCommand(0xF060)); // SC_CLOSE
    EXPECT_FALSE(IsAboutCommand(0xF010)); // SC_MOVE
    EXPECT_FALSE(IsAboutCommand(0xF012)); // SC_MOVE by the caption, flag bits set
    EXPECT_FALSE(IsAboutCommand(0xF020)); // SC_MINIMIZE
}

TEST(MinimisedIcon, CentredInTheClientArea)
{
    const IconOrigin origin = MinimisedIconOrigin(100, 60, 32, 32);
    EXPECT_EQ(origin.x, 34); // (100 - 32 + 1) / 2 = 34.5, truncated
    EXPECT_EQ(origin.y, 14); // (60 - 32 + 1) / 2 = 14.5, truncated
    const IconOrigin exact = MinimisedIconOrigin(33, 17, 32, 16);
    EXPECT_EQ(exact.x, 1);
    EXPECT_EQ(exact.y, 1);
}

TEST(MinimisedIcon, SmallClientAreasRoundTowardZero)
{
    const IconOrigin empty = MinimisedIconOrigin(0, 0, 32, 32);
    EXPECT_EQ(empty.x, -15); // -31 / 2 rounds toward zero, not down to -16
    EXPECT_EQ(empty.y, -15);
    const IconOrigin one = MinimisedIconOrigin(30, 31, 32, 32);
    EXPECT_EQ(one.x, 0); // -1 / 2
    EXPECT_EQ(one.y, 0);
}

TEST(MinimisedIcon, ExtremeSizesDoNotOverflow)
{
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(MinimisedIconOrigin(kMax, kMax, 32, 32).x, (kMax - 31) / 2);
    EXPECT_EQ(MinimisedIconOrigin(kMax, 0, kMin, 0).x, kMax);
    EXPECT_EQ(MinimisedIconOrigin(kMin, 0, kMax, 0).x, kMin / 2 - kMax / 2);
}
