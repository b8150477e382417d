#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "GdiTestSupport.h"
#include "SectionCanvas.h"
#include "imaging/FallbackPalette.h"
#include "imaging/PictureHolder.h"
#include "imaging/PixelSurface.h"

namespace {

PixelSurface::BitmapInfo Header(int32_t width, int32_t height, int32_t bitCount)
{
    PixelSurface::BitmapInfo info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitCount);
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

const BITMAPINFO* AsInfo(const PixelSurface::BitmapInfo& info)
{
    return reinterpret_cast<const BITMAPINFO*>(&info);
}

// Every canvas starts in a colour nothing draws, so what was not drawn shows.
constexpr uint32_t kUntouched = 0x00ABCDEFu;

std::vector<PALETTEENTRY> Entries(const CPalette& palette)
{
    std::vector<PALETTEENTRY> entries(static_cast<size_t>(palette.GetEntryCount()));
    if (!entries.empty())
        palette.GetPaletteEntries(0, static_cast<int32_t>(entries.size()), entries.data());
    return entries;
}

::testing::AssertionResult EntryIs(const std::vector<PALETTEENTRY>& entries, size_t index, int red, int green,
                                   int blue)
{
    if (index >= entries.size())
        return ::testing::AssertionFailure() << "no entry " << index;
    const PALETTEENTRY& e = entries[index];
    if (e.peRed == red && e.peGreen == green && e.peBlue == blue && e.peFlags == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "entry " << index << " is (" << int(e.peRed) << ", " << int(e.peGreen)
                                         << ", " << int(e.peBlue) << ", flags " << int(e.peFlags) << ")";
}

::testing::AssertionResult IsFallbackPalette(const CPalette& palette, int32_t count)
{
    const auto entries = Entries(palette);
    const auto expected = FallbackPaletteEntries(count);
    if (entries.size() != expected.size())
        return ::testing::AssertionFailure() << entries.size() << " entries, not " << expected.size();
    for (size_t i = 0; i < entries.size(); ++i) {
        const auto result = EntryIs(entries, i, expected[i].red, expected[i].green, expected[i].blue);
        if (!result)
            return result;
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(PixelSurface, DrawShowsMemoryRowZeroAtTheBottom)
{
    const int32_t width = 7, height = 5;
    const std::vector<uint32_t> memory = PatternPixels(width, height); // memory row r = pattern row r
    PixelSurface surface;
    const auto info = Header(width, height, 32);
    ASSERT_TRUE(surface.CreateFromInfo(AsInfo(info), memory.data()));
    EXPECT_EQ(width, surface.Width());
    EXPECT_EQ(height, surface.Height());
    ASSERT_NE(nullptr, surface.Pixels());
    EXPECT_EQ(0, std::memcmp(memory.data(), surface.Pixels(), memory.size() * 4));

    SectionCanvas canvas(width + 3, height + 4, kUntouched);
    EXPECT_EQ(height, surface.Draw(canvas.Dc(), 2, 3, false));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            ASSERT_EQ(memory[static_cast<size_t>(height - 1 - y) * width + x], canvas.At(x + 2, y + 3))
                << "screen (" << x << ", " << y << ")";
    // Nothing outside the surface's rectangle changes.
    EXPECT_EQ(kUntouched, canvas.At(1, 3));
    EXPECT_EQ(kUntouched, canvas.At(2, 2));
    EXPECT_EQ(kUntouched, canvas.At(width + 2, height + 3));
}

TEST(PixelSurface, ThirtyTwoBitSurfaceHasNoTableAndTheFallbackPalette)
{
    const std::vector<uint32_t> memory(640 * 480, 0x00102030u);
    PixelSurface surface;
    const auto info = Header(640, 480, 32);
    ASSERT_TRUE(surface.CreateFromInfo(AsInfo(info), memory.data()));
    EXPECT_EQ(0, surface.GetColorCount());
    EXPECT_EQ(0x00102030u, surface.Pixels()[640 * 480 - 1]) << "the whole 1,228,800 bytes are copied";
    EXPECT_TRUE(IsFallbackPalette(surface.GetPalette(), 256));
}

TEST(PixelSurface, EightBitSurfaceTakesItsPaletteFromTheColourTable)
{
    auto info = Header(4, 2, 8);
    info.bmiHeader.biClrUsed = 10;
    for (int i = 0; i < 256; ++i)
        info.bmiColors[i] = {static_cast<BYTE>(i), static_cast<BYTE>(2 * i), static_cast<BYTE>(255 - i), 0};
    const uint8_t memory[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    PixelSurface surface;
    ASSERT_TRUE(surface.CreateFromInfo(AsInfo(info), memory));
    EXPECT_EQ(256, surface.GetColorCount());
    const auto entries = Entries(surface.GetPalette());
    ASSERT_EQ(256u, entries.size());
    EXPECT_TRUE(EntryIs(entries, 0, 255, 0, 0));
    EXPECT_TRUE(EntryIs(entries, 9, 246, 18, 9));
    // Entries the section does not report are black.
    for (size_t i = 10; i < 256; ++i)
        ASSERT_TRUE(EntryIs(entries, i, 0, 0, 0));
}

// The platform's palette holds the fallback entries (tested natively) at every count.
TEST(PixelSurface, FallbackPaletteSizes)
{
    CPalette palette;
    for (int32_t count : {0, -5, 300, 16, 20}) {
        ASSERT_TRUE(CreateFallbackPalette(palette, count));
        EXPECT_TRUE(IsFallbackPalette(palette, FallbackPaletteCount(count))) << count;
    }
}

TEST(PixelSurface, HostileHeadersLeaveAnEmptySurface)
{
    const std::vector<uint32_t> memory(64, 0x00FFFFFFu);
    const auto good = Header(4, 4, 32);
    struct Case {
        const char* what;
        void (*change)(PixelSurface::BitmapInfo&);
    };
    const Case cases[] = {
        {"width 0", [](PixelSurface::BitmapInfo& i) { i.bmiHeader.biWidth = 0; }},
        {"width -4", [](PixelSurface::BitmapInfo& i) { i.bmiHeader.biWidth = -4; }},
        {"height 0", [](PixelSurface::BitmapInfo& i) { i.bmiHeader.biHeight = 0; }},
        {"height -4 (top-down)", [](PixelSurface::BitmapInfo& i) { i.bmiHeader.biHeight = -4; }},
        {"65536 x 65536", [](PixelSurface::BitmapInfo& i) { i.bmiHeader.biWidth = i.bmiHeader.biHeight = 65536; }},
        {"wraps to a small size",
         [](PixelSurface::BitmapInfo& i) {
             i.bmiHeader.biWidth = 0x40000001;
             i.bmiHeader.biHeight = 1;
         }},
        {"image size beyond the section", [](PixelSurface::BitmapInfo& i) { i.bmiHeader.biSizeImage = 65; }},
        {"bit count 7", [](PixelSurface::BitmapInfo& i) { i.bmiHeader.biBitCount = 7; }},
        {"bitfields without masks", [](PixelSurface::BitmapInfo& i) { i.bmiHeader.biCompression = BI_BITFIELDS; }},
        {"header size 12", [](PixelSurface::BitmapInfo& i) { i.bmiHeader.biSize = 12; }},
    };
    for (const Case& c : cases) {
        auto info = good;
        c.change(info);
        PixelSurface surface;
        ASSERT_TRUE(surface.CreateFromInfo(AsInfo(good), memory.data()));
        EXPECT_FALSE(surface.CreateFromInfo(AsInfo(info), memory.data())) << c.what;
        EXPECT_TRUE(surface.IsEmpty()) << c.what;
        EXPECT_EQ(nullptr, surface.GetBits()) << c.what;
        EXPECT_EQ(0, surface.GetInfo()->bmiHeader.biWidth) << c.what;
    }

    PixelSurface surface;
    EXPECT_FALSE(surface.CreateFromInfo(nullptr, memory.data()));
    EXPECT_FALSE(surface.CreateFromInfo(AsInfo(good), nullptr));
    EXPECT_TRUE(surface.IsEmpty());
    SectionCanvas canvas(4, 4, kUntouched);
    EXPECT_EQ(0, surface.Draw(canvas.Dc(), 0, 0, false));
    EXPECT_EQ(kUntouched, canvas.At(0, 0));
}

TEST(PixelSurface, ClearKeepsThePaletteAndTheNextCreationReplacesIt)
{
    const std::vector<uint32_t> memory(16, 0);
    const auto info = Header(4, 4, 32);
    HBITMAP lastSection = nullptr;
    HPALETTE lastPalette = nullptr;
    {
        PixelSurface surface;
        ASSERT_TRUE(surface.CreateFromInfo(AsInfo(info), memory.data()));
        HPALETTE first = surface.GetPalette().GetSafeHandle();
        HBITMAP section = surface.GetBitmap();
        surface.Clear();
        EXPECT_TRUE(surface.IsEmpty());
        EXPECT_FALSE(IsLiveGdiObject(section));
        EXPECT_EQ(first, surface.GetPalette().GetSafeHandle());
        EXPECT_TRUE(IsLiveGdiObject(first));
        SectionCanvas canvas(4, 4, kUntouched);
        EXPECT_EQ(0, surface.Draw(canvas.Dc(), 0, 0, false));

        ASSERT_TRUE(surface.CreateFromInfo(AsInfo(info), memory.data()));
        EXPECT_FALSE(IsLiveGdiObject(first)) << "the old palette is deleted";
        lastPalette = surface.GetPalette().GetSafeHandle();
        lastSection = surface.GetBitmap();
        EXPECT_TRUE(IsLiveGdiObject(lastPalette));
        EXPECT_TRUE(IsLiveGdiObject(lastSection));
    }
    EXPECT_FALSE(IsLiveGdiObject(lastSection)) << "the section goes with the surface";
    EXPECT_FALSE(IsLiveGdiObject(lastPalette)) << "the palette goes with the surface";
}

TEST(PixelSurface, EveryPathGivesItsGraphicsObjectsBack)
{
    const std::vector<uint32_t> memory(64, 0x00336699u);
    const auto eightBit = Header(8, 8, 8);
    auto tooLargeImage = Header(8, 8, 32);
    tooLargeImage.bmiHeader.biSizeImage = 257;
    CBitmap bitmap;
    bitmap.Attach(MakeBitmap(8, 8, memory));
    PictureHolder holder;
    ASSERT_TRUE(holder.CreateFromBitmap(&bitmap, nullptr, false));
    const auto everyPath = [&] {
        PixelSurface surface;
        EXPECT_TRUE(surface.CreateFromInfo(AsInfo(eightBit), memory.data())) << "a palette from the colour table";
        EXPECT_FALSE(surface.CreateFromInfo(AsInfo(tooLargeImage), memory.data())) << "refused after the section";
        surface.CreateFromPicture(holder, 8, 8);
        EXPECT_FALSE(surface.IsEmpty());
        SectionCanvas canvas(8, 8, kUntouched);
        EXPECT_EQ(8, surface.Draw(canvas.Dc(), 0, 0, false));
        surface.CreateFromPicture(holder, 0, 8);
        EXPECT_TRUE(surface.IsEmpty());
    };
    EXPECT_TRUE(GivesItsGdiObjectsBack(everyPath));
}

TEST(PixelSurface, TwentyFourBitRowsArePadded)
{
    // Width 3 at 24 bits: 9 bytes of pixels and 3 of padding per row.
    auto info = Header(3, 2, 24);
    const uint8_t memory[24] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0, 0, 0,
                                0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0, 0, 0};
    PixelSurface surface;
    ASSERT_TRUE(surface.CreateFromInfo(AsInfo(info), memory));
    EXPECT_EQ(nullptr, surface.Pixels()) << "only 32-bit surfaces are handed out as pixels";
    SectionCanvas canvas(3, 2, kUntouched);
    EXPECT_EQ(2, surface.Draw(canvas.Dc(), 0, 0, false));
    EXPECT_EQ(0x00131211u, canvas.At(0, 0)); // memory row 1 at the top
    EXPECT_EQ(0x00030201u, canvas.At(0, 1));
    EXPECT_EQ(0x00090807u, canvas.At(2, 1));
}

// On a palette display (the 8-bit run of these tests) Draw selects the surface's palette for
// the transfer and puts the previous one back. (Which colours reach the screen is wine's own
// affair: its 8-bit display maps every colour to a fixed colour cube.)
TEST(PixelSurfacePalette, DrawPutsThePreviousPaletteBack)
{
    HDC screen = ::GetDC(nullptr);
    const bool palettized = (::GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) != 0;
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP target = ::CreateCompatibleBitmap(screen, 8, 8);
    ::ReleaseDC(nullptr, screen);
    const HGDIOBJ previous = ::SelectObject(dc, target);
    if (palettized) {
        const std::vector<uint32_t> pixels(8 * 8, 51u << 16 | 102u << 8 | 153u);
        PixelSurface surface;
        ASSERT_TRUE(surface.CreateFromInfo(AsInfo(Header(8, 8, 32)), pixels.data()));
        const HGDIOBJ before = ::GetCurrentObject(dc, OBJ_PAL);
        EXPECT_EQ(8, surface.Draw(dc, 0, 0, false));
        EXPECT_EQ(before, ::GetCurrentObject(dc, OBJ_PAL));
    }
    ::SelectObject(dc, previous);
    ::DeleteObject(target);
    ::DeleteDC(dc);
    if (!palettized)
        GTEST_SKIP() << "needs a palette display";
}
