#include <gtest/gtest.h>

#include "imaging/PixelValue.h"

TEST(PixelValue, ColourValueSwapsRedAndBlue)
{
    EXPECT_EQ(0x00FF0000u, PixelFromColorValue(0x000000FFu)); // red
    EXPECT_EQ(0x000000FFu, PixelFromColorValue(0x00FF0000u)); // blue
    EXPECT_EQ(0x0000FF00u, PixelFromColorValue(0x0000FF00u)); // green
    EXPECT_EQ(0x00563412u, PixelFromColorValue(0x00123456u));
    // The colour value's flag byte never reaches the pixel.
    EXPECT_EQ(0x00030201u, PixelFromColorValue(0xFF010203u));
}

TEST(PixelValue, DibValueKeepsColourAndClearsTopByte)
{
    EXPECT_EQ(0x00123456u, PixelFromDibValue(0xAB123456u));
    EXPECT_EQ(0x00FFFFFFu, PixelFromDibValue(0xFFFFFFFFu));
    EXPECT_EQ(0u, PixelFromDibValue(0xFF000000u));
}
