#include <gtest/gtest.h>

#include <vector>

#include "x11/PictureScaling.h"

namespace {

// A picture whose pixel at (column, row from the top) is column * 256 + row.
PixelPicture Numbered(int32_t width, int32_t height)
{
    PixelPicture picture;
    picture.width = width;
    picture.height = height;
    for (int32_t memoryRow = 0; memoryRow < height; ++memoryRow)
        for (int32_t column = 0; column < width; ++column)
            picture.pixels.push_back(static_cast<uint32_t>(column * 256 + (height - 1 - memoryRow)));
    return picture;
}

uint32_t At(const PixelPicture& picture, int32_t column, int32_t top)
{
    return picture.pixels[static_cast<size_t>(picture.height - 1 - top) * picture.width + column];
}

} // namespace

TEST(PictureScaling, TheSameSizeIsTheSamePicture)
{
    const PixelPicture picture = Numbered(7, 5);
    EXPECT_EQ(picture.pixels, ScalePicture(picture, 7, 5).pixels);
}

TEST(PictureScaling, EachPixelTakesTheNearestFromTheTopLeft)
{
    const PixelPicture picture = Numbered(4, 3);
    const PixelPicture larger = ScalePicture(picture, 8, 7);
    ASSERT_EQ(8, larger.width);
    ASSERT_EQ(7, larger.height);
    ASSERT_EQ(56u, larger.pixels.size());
    for (int32_t top = 0; top < 7; ++top)
        for (int32_t column = 0; column < 8; ++column)
            EXPECT_EQ(At(picture, column * 4 / 8, top * 3 / 7), At(larger, column, top)) << column << "," << top;
    // The top row of the result comes from the top row of the picture, not the bottom one.
    EXPECT_EQ(0u, At(larger, 0, 0));
    EXPECT_EQ(3u * 256 + 2, At(larger, 7, 6));

    const PixelPicture smaller = ScalePicture(Numbered(100, 60), 3, 2);
    EXPECT_EQ((std::vector<uint32_t>{0 * 256 + 30, 33 * 256 + 30, 66 * 256 + 30, 0, 33 * 256, 66 * 256}), smaller.pixels);
    const PixelPicture one = ScalePicture(Numbered(5, 5), 1, 1);
    EXPECT_EQ(std::vector<uint32_t>{0}, one.pixels);
}
