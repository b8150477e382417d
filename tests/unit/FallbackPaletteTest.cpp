#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "imaging/FallbackPalette.h"

namespace {

PaletteColor Rgb(int red, int green, int blue)
{
    return {static_cast<uint8_t>(red), static_cast<uint8_t>(green), static_cast<uint8_t>(blue)};
}

} // namespace

TEST(FallbackPalette, FullPaletteHasFixedColoursCubeAndGreyRamp)
{
    const auto entries = FallbackPaletteEntries(256);
    ASSERT_EQ(256u, entries.size());
    EXPECT_EQ(Rgb(0, 0, 0), entries[0]);
    EXPECT_EQ(Rgb(255, 255, 255), entries[1]);
    EXPECT_EQ(Rgb(0, 0, 255), entries[2]);
    EXPECT_EQ(Rgb(255, 0, 0), entries[5]);
    EXPECT_EQ(Rgb(0, 0, 128), entries[8]);
    EXPECT_EQ(Rgb(128, 0, 0), entries[11]);
    EXPECT_EQ(Rgb(192, 192, 192), entries[15]);
    // Cube: red varies fastest, blue slowest.
    EXPECT_EQ(Rgb(0, 0, 0), entries[16]);
    EXPECT_EQ(Rgb(51, 0, 0), entries[17]);
    EXPECT_EQ(Rgb(255, 0, 0), entries[21]);
    EXPECT_EQ(Rgb(0, 51, 0), entries[22]);
    EXPECT_EQ(Rgb(0, 0, 51), entries[16 + 36]);
    EXPECT_EQ(Rgb(255, 255, 255), entries[231]);
    // Grey ramp, fractions dropped.
    const int greys[24] = {0,   11,  22,  33,  44,  55,  66,  77,  88,  99,  110, 121,
                           133, 144, 155, 166, 177, 188, 199, 210, 221, 232, 243, 255};
    for (int k = 0; k < 24; ++k)
        EXPECT_EQ(Rgb(greys[k], greys[k], greys[k]), entries[232 + k]) << k;
}

TEST(FallbackPalette, CountsOutsideTheRangeMeanAFullPalette)
{
    for (int32_t count : {0, -5, 300, 257, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(256, FallbackPaletteCount(count)) << count;
        EXPECT_EQ(256u, FallbackPaletteEntries(count).size()) << count;
    }
    EXPECT_EQ(1, FallbackPaletteCount(1));
    EXPECT_EQ(256, FallbackPaletteCount(256));
}

TEST(FallbackPalette, SmallerCountsCutTheSequenceShort)
{
    const auto full = FallbackPaletteEntries(256);
    const auto sixteen = FallbackPaletteEntries(16);
    ASSERT_EQ(16u, sixteen.size());
    EXPECT_TRUE(std::equal(sixteen.begin(), sixteen.end(), full.begin()));

    const auto twenty = FallbackPaletteEntries(20);
    ASSERT_EQ(20u, twenty.size());
    EXPECT_EQ(Rgb(0, 0, 0), twenty[16]);
    EXPECT_EQ(Rgb(51, 0, 0), twenty[17]);
    EXPECT_EQ(Rgb(102, 0, 0), twenty[18]);
    EXPECT_EQ(Rgb(153, 0, 0), twenty[19]);

    const auto two = FallbackPaletteEntries(2);
    ASSERT_EQ(2u, two.size());
    EXPECT_EQ(Rgb(0, 0, 0), two[0]);
    EXPECT_EQ(Rgb(255, 255, 255), two[1]);
}
