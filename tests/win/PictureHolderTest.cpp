#include <gtest/gtest.h>

#include <vector>

#include "GdiTestSupport.h"
#include "SectionCanvas.h"
#include "imaging/PictureHolder.h"
#include "imaging/PixelSurface.h"
#include "imaging/PixelValue.h"

namespace {

// What a GetPixel loop over the picture drawn at width x height reads: row y of the
// drawing into memory row y. The reference the bulk read must match exactly.
std::vector<uint32_t> ReadPerPixel(const PictureHolder& holder, int32_t width, int32_t height)
{
    HDC screen = ::GetWindowDC(nullptr);
    HDC memoryDc = ::CreateCompatibleDC(screen);
    HBITMAP drawn = ::CreateDiscardableBitmap(screen, width, height);
    HGDIOBJ previous = ::SelectObject(memoryDc, drawn);
    ::PatBlt(memoryDc, 0, 0, width, height, BLACKNESS);
    RECT rect;
    ::SetRect(&rect, 0, 0, width, height);
    holder.Render(memoryDc, rect, rect);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] = PixelFromColorValue(::GetPixel(memoryDc, x, y));
    ::SelectObject(memoryDc, previous);
    ::DeleteDC(memoryDc);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(drawn);
    return pixels;
}

std::vector<uint32_t> SurfacePixels(const PixelSurface& surface)
{
    const uint32_t* pixels = surface.Pixels();
    if (!pixels)
        return {};
    return std::vector<uint32_t>(pixels, pixels + static_cast<size_t>(surface.Width()) * surface.Height());
}

// A picture of four solid quadrants: red, green / blue, white.
HBITMAP QuadrantBitmap(int32_t side)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(side) * side);
    const int32_t half = side / 2;
    for (int32_t y = 0; y < side; ++y)
        for (int32_t x = 0; x < side; ++x)
            pixels[static_cast<size_t>(y) * side + x] = y < half ? (x < half ? 0xFF0000u : 0x00FF00u)
                                                                 : (x < half ? 0x0000FFu : 0xFFFFFFu);
    return MakeBitmap(side, side, pixels);
}

void ExpectQuadrants(const PixelSurface& surface)
{
    const uint32_t* pixels = surface.Pixels();
    ASSERT_NE(nullptr, pixels);
    const int32_t w = surface.Width(), h = surface.Height();
    EXPECT_EQ(0xFF0000u, pixels[0]) << "top-left of the picture in memory row 0";
    EXPECT_EQ(0x00FF00u, pixels[w - 1]);
    EXPECT_EQ(0x0000FFu, pixels[static_cast<size_t>(h - 1) * w]);
    EXPECT_EQ(0xFFFFFFu, pixels[static_cast<size_t>(h) * w - 1]);
    EXPECT_EQ(0xFF0000u, pixels[static_cast<size_t>(h / 2 - 1) * w + w / 2 - 1]);
    EXPECT_EQ(0xFFFFFFu, pixels[static_cast<size_t>(h / 2) * w + w / 2]);
}

} // namespace

TEST(PictureToSurface, BulkReadGivesExactlyWhatPerPixelReadsGive)
{
    const int32_t width = 97, height = 61; // odd sizes: no help from row alignment
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.Attach(MakeBitmap(width, height, PatternPixels(width, height))));
    PictureHolder holder;
    ASSERT_TRUE(holder.CreateFromBitmap(&bitmap, nullptr, false));
    EXPECT_FALSE(bitmap.IsEmpty()) << "without a transfer the bitmap stays its owner's";

    PixelSurface surface;
    surface.CreateFromPicture(holder, width, height);
    ASSERT_EQ(width, surface.Width());
    ASSERT_EQ(height, surface.Height());
    const std::vector<uint32_t> bulk = SurfacePixels(surface);
    EXPECT_EQ(ReadPerPixel(holder, width, height), bulk);
    // At its own size the picture arrives unchanged, top row in memory row 0.
    EXPECT_EQ(ReadBitmap(bitmap), bulk);

    // Stretched, with interpolation-free sampling the two reads still agree.
    surface.CreateFromPicture(holder, 150, 40);
    EXPECT_EQ(ReadPerPixel(holder, 150, 40), SurfacePixels(surface));
}

TEST(PictureToSurface, PureColoursAreConverted)
{
    CBitmap bitmap;
    bitmap.Attach(MakeBitmap(3, 1, {0xFF0000u, 0x00FF00u, 0x0000FFu}));
    PictureHolder holder;
    ASSERT_TRUE(holder.CreateFromBitmap(&bitmap, nullptr, false));
    PixelSurface surface;
    surface.CreateFromPicture(holder, 3, 1);
    ASSERT_NE(nullptr, surface.Pixels());
    EXPECT_EQ(0x00FF0000u, surface.Pixels()[0]); // red
    EXPECT_EQ(0x0000FF00u, surface.Pixels()[1]); // green
    EXPECT_EQ(0x000000FFu, surface.Pixels()[2]); // blue
    // In memory: blue, green, red, 0.
    EXPECT_EQ(0xFF, surface.GetBits()[2]);
    EXPECT_EQ(0, surface.GetBits()[3]);
}

TEST(PictureToSurface, SmallerAndLargerPicturesAreStretchedToTheRequestedSize)
{
    for (int32_t side : {8, 400}) {
        CBitmap bitmap;
        bitmap.Attach(QuadrantBitmap(side));
        PictureHolder holder;
        ASSERT_TRUE(holder.CreateFromBitmap(&bitmap, nullptr, true));
        PixelSurface surface;
        surface.CreateFromPicture(holder, 64, 48);
        EXPECT_EQ(64, surface.Width()) << side;
        EXPECT_EQ(48, surface.Height()) << side;
        ExpectQuadrants(surface);
    }
}

TEST(PictureToSurface, EmptyHolderStillGivesABlackSurfaceOfTheRequestedSize)
{
    PictureHolder holder;
    CBitmap none;
    EXPECT_FALSE(holder.CreateFromBitmap(&none, nullptr, true));
    EXPECT_FALSE(holder.CreateFromBitmap(nullptr, nullptr, false));
    EXPECT_TRUE(holder.IsEmpty());
    PixelSurface surface;
    surface.CreateFromPicture(holder, 33, 17);
    ASSERT_EQ(33, surface.Width());
    ASSERT_EQ(17, surface.Height());
    EXPECT_EQ(std::vector<uint32_t>(33 * 17, 0u), SurfacePixels(surface));
}

TEST(PictureToSurface, AnotherConversionReplacesTheSurfaceAndBadSizesEmptyIt)
{
    CBitmap bitmap;
    bitmap.Attach(QuadrantBitmap(16));
    PictureHolder holder;
    ASSERT_TRUE(holder.CreateFromBitmap(&bitmap, nullptr, false));
    PixelSurface surface;
    surface.CreateFromPicture(holder, 20, 10);
    HBITMAP first = surface.GetBitmap();
    surface.CreateFromPicture(holder, 30, 24);
    EXPECT_EQ(30, surface.Width());
    EXPECT_EQ(24, surface.Height());
    EXPECT_FALSE(IsLiveGdiObject(first));
    ExpectQuadrants(surface);

    for (auto size : {std::pair<int32_t, int32_t>{0, 10}, {10, 0}, {-5, 10}, {10, -5}}) {
        surface.CreateFromPicture(holder, size.first, size.second);
        EXPECT_TRUE(surface.IsEmpty()) << size.first << " x " << size.second;
        EXPECT_EQ(nullptr, surface.Pixels());
    }
}

TEST(PictureHolder, TransferredBitmapBelongsToThePicture)
{
    CBitmap bitmap;
    bitmap.Attach(QuadrantBitmap(4));
    HBITMAP handle = bitmap;
    {
        PictureHolder holder;
        ASSERT_TRUE(holder.CreateFromBitmap(&bitmap, nullptr, true));
        EXPECT_TRUE(bitmap.IsEmpty());
        EXPECT_TRUE(IsLiveGdiObject(handle));
    }
    EXPECT_FALSE(IsLiveGdiObject(handle)) << "the holder's picture deletes the bitmap";

    // A holder re-created from another bitmap lets its first picture go.
    CBitmap first, second;
    first.Attach(QuadrantBitmap(4));
    second.Attach(QuadrantBitmap(4));
    HBITMAP firstHandle = first;
    PictureHolder holder;
    ASSERT_TRUE(holder.CreateFromBitmap(&first, nullptr, true));
    ASSERT_TRUE(holder.CreateFromBitmap(&second, nullptr, false));
    EXPECT_FALSE(IsLiveGdiObject(firstHandle));
    EXPECT_FALSE(second.IsEmpty());
}

TEST(PictureHolder, RenderDrawsUprightIntoTheRectangle)
{
    CBitmap bitmap;
    bitmap.Attach(QuadrantBitmap(10));
    PictureHolder holder;
    ASSERT_TRUE(holder.CreateFromBitmap(&bitmap, nullptr, false));
    SectionCanvas canvas(40, 40);
    RECT rect = {10, 20, 30, 40};
    holder.Render(canvas.Dc(), rect, rect);
    EXPECT_EQ(0xFF0000u, canvas.At(10, 20));
    EXPECT_EQ(0x00FF00u, canvas.At(29, 20));
    EXPECT_EQ(0x0000FFu, canvas.At(10, 39));
    EXPECT_EQ(0xFFFFFFu, canvas.At(29, 39));
    EXPECT_EQ(0u, canvas.At(9, 20));
    EXPECT_EQ(0u, canvas.At(10, 19));
}
