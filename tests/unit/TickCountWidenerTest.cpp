#include "framework/TickCountWidener.h"

#include <gtest/gtest.h>

// The count goes on past 2^32 ms across every wrap of the 32-bit count, never backwards.
TEST(TickCountWidener, CountsTheWrapsOfTheSystemCount)
{
    TickCountWidener ticks;
    EXPECT_EQ(ticks.Widen(0xFFFFFF00u), 0xFFFFFF00ull);
    EXPECT_EQ(ticks.Widen(0xFFFFFF00u), 0xFFFFFF00ull);
    EXPECT_EQ(ticks.Widen(0xFFFFFFFFu), 0xFFFFFFFFull);
    EXPECT_EQ(ticks.Widen(0u), 0x100000000ull);
    EXPECT_EQ(ticks.Widen(5u), 0x100000005ull);
    EXPECT_EQ(ticks.Widen(3u), 0x200000003ull);  // below the last: another wrap has passed
    EXPECT_EQ(ticks.Widen(0xFFFFFFFFu), 0x2FFFFFFFFull);
}
