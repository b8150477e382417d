#include <gtest/gtest.h>

#include "common/MouseRule.h"

namespace {

std::intptr_t MakeLParam(int x, int y)
{
    return static_cast<std::intptr_t>((static_cast<uint32_t>(y & 0xFFFF) << 16) | static_cast<uint32_t>(x & 0xFFFF));
}

}  // namespace

TEST(MouseRule, PositionIsSignExtendedFromEachHalf)
{
    const MousePosition p = MousePositionFromLParam(MakeLParam(512, 384));
    EXPECT_EQ(512, p.x);
    EXPECT_EQ(384, p.y);
    const MousePosition negative = MousePositionFromLParam(MakeLParam(-3, -70));
    EXPECT_EQ(-3, negative.x);
    EXPECT_EQ(-70, negative.y);
    const MousePosition extremes = MousePositionFromLParam(MakeLParam(32767, -32768));
    EXPECT_EQ(32767, extremes.x);
    EXPECT_EQ(-32768, extremes.y);
    // Bits above the low 32 (64-bit lParam) are ignored.
    const MousePosition high = MousePositionFromLParam(static_cast<std::intptr_t>(~std::uintptr_t{0xFFFFFFFFu}) | MakeLParam(5, 6));
    EXPECT_EQ(5, high.x);
    EXPECT_EQ(6, high.y);
}

TEST(MouseRule, FirstPositionIsKeptAndAnyOtherCloses)
{
    int32_t startX = -1, startY = -1;
    EXPECT_FALSE(MouseMoveCloses(startX, startY, {700, 20}));  // the move sent when the window opens
    EXPECT_EQ(700, startX);
    EXPECT_EQ(20, startY);
    EXPECT_FALSE(MouseMoveCloses(startX, startY, {700, 20}));
    EXPECT_TRUE(MouseMoveCloses(startX, startY, {701, 20}));
    EXPECT_TRUE(MouseMoveCloses(startX, startY, {700, 19}));
    // Compared with the first position, never the one before; the stored one never changes.
    EXPECT_TRUE(MouseMoveCloses(startX, startY, {0, 0}));
    EXPECT_EQ(700, startX);
    EXPECT_FALSE(MouseMoveCloses(startX, startY, {700, 20}));
}

TEST(MouseRule, FirstPositionAnywhereIncludingOutsideNeverCloses)
{
    int32_t startX = -1, startY = -1;
    EXPECT_FALSE(MouseMoveCloses(startX, startY, {-5, 3}));
    EXPECT_TRUE(MouseMoveCloses(startX, startY, {-6, 3}));

    // One coordinate of -1 is a position like any other: only (-1, -1) means none yet.
    int32_t x1 = -1, y1 = -1;
    EXPECT_FALSE(MouseMoveCloses(x1, y1, {-1, 3}));
    EXPECT_TRUE(MouseMoveCloses(x1, y1, {-1, 4}));

    int32_t x2 = -1, y2 = -1;
    EXPECT_FALSE(MouseMoveCloses(x2, y2, {0, 0}));
    EXPECT_TRUE(MouseMoveCloses(x2, y2, {-1, -1}));
}
