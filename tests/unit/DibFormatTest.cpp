#include <gtest/gtest.h>

#include "imaging/DibFormat.h"

TEST(DibFormat, ColorsForBitCount)
{
    EXPECT_EQ(2, ColorsForBitCount(1));
    EXPECT_EQ(16, ColorsForBitCount(4));
    EXPECT_EQ(256, ColorsForBitCount(8));
    for (int32_t bits : {0, 2, 16, 24, 32, -8, 64})
        EXPECT_EQ(0, ColorsForBitCount(bits)) << bits;
}

TEST(DibFormat, RowBytesArePaddedToFourBytes)
{
    EXPECT_EQ(12, DibRowBytes(3, 24));
    EXPECT_EQ(4, DibRowBytes(5, 1));
    EXPECT_EQ(2560, DibRowBytes(640, 32));
    EXPECT_EQ(4100, DibRowBytes(1366, 24));
    EXPECT_EQ(0, DibRowBytes(0, 32));
    EXPECT_EQ(4, DibRowBytes(1, 8));
}
