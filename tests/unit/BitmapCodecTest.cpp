#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "imaging/BitmapCodec.h"
#include "imaging/BitmapFile.h"

namespace {

void Put16(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int k = 0; k < 4; ++k)
        bytes[at + k] = static_cast<uint8_t>(value >> (8 * k));
}

// A bitmap file laid out by hand, independent of the code under test. `screen` lists the
// pixels as the screen shows them, top row first; 32-bit files get junk in the fourth byte.
struct BitmapLayout {
    int32_t width = 5;
    int32_t height = 3; // the picture's height; `topDown` stores it negated
    uint16_t bitCount = 24;
    bool topDown = false;
    uint32_t infoSize = 40;
    uint32_t compression = 0;
    std::vector<uint32_t> masks; // written right after the 40-byte fields
    uint32_t gapBeforePixels = 0;
};

std::vector<uint32_t> TestScreen(int32_t width, int32_t height)
{
    std::vector<uint32_t> screen(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < screen.size(); ++i)
        screen[i] = static_cast<uint32_t>((i * 0x9E3779B1u) & 0xFFFFFF);
    return screen;
}

std::vector<uint8_t> MakeFile(const BitmapLayout& layout, const std::vector<uint32_t>& screen)
{
    const size_t bytesPerPixel = layout.bitCount / 8;
    const size_t rowBytes = (layout.width * bytesPerPixel + 3) / 4 * 4;
    size_t offset = 14 + layout.infoSize + layout.gapBeforePixels;
    if (layout.infoSize == 40)
        offset += 4 * layout.masks.size();
    std::vector<uint8_t> file(offset + rowBytes * layout.height, 0);
    file[0] = 'B';
    file[1] = 'M';
    Put32(file, 2, static_cast<uint32_t>(file.size()));
    Put32(file, 10, static_cast<uint32_t>(offset));
    Put32(file, 14, layout.infoSize);
    Put32(file, 18, static_cast<uint32_t>(layout.width));
    Put32(file, 22, static_cast<uint32_t>(layout.topDown ? -layout.height : layout.height));
    Put16(file, 26, 1);
    Put16(file, 28, layout.bitCount);
    Put32(file, 30, layout.compression);
    Put32(file, 34, static_cast<uint32_t>(rowBytes * layout.height));
    for (size_t k = 0; k < layout.masks.size(); ++k)
        Put32(file, 54 + 4 * k, layout.masks[k]);
    for (int32_t fileRow = 0; fileRow < layout.height; ++fileRow) {
        const int32_t screenRow = layout.topDown ? fileRow : layout.height - 1 - fileRow;
        for (int32_t c = 0; c < layout.width; ++c) {
            const uint32_t pixel = screen[static_cast<size_t>(screenRow) * layout.width + c];
            uint8_t* at = file.data() + offset + fileRow * rowBytes + c * bytesPerPixel;
            at[0] = static_cast<uint8_t>(pixel);
            at[1] = static_cast<uint8_t>(pixel >> 8);
            at[2] = static_cast<uint8_t>(pixel >> 16);
            if (bytesPerPixel == 4)
                at[3] = 0xA5;
        }
    }
    return file;
}

// What the reader must give: memory row 0 is the bottom screen row.
std::vector<uint32_t> BottomUp(const std::vector<uint32_t>& screen, int32_t width, int32_t height)
{
    std::vector<uint32_t> memory(screen.size());
    for (int32_t r = 0; r < height; ++r)
        for (int32_t c = 0; c < width; ++c)
            memory[static_cast<size_t>(r) * width + c] = screen[static_cast<size_t>(height - 1 - r) * width + c];
    return memory;
}

void ExpectRejected(const std::vector<uint8_t>& file, const std::string& what)
{
    PixelPicture picture;
    picture.width = 9; // must be emptied
    std::string error;
    EXPECT_FALSE(DecodeBitmapFile(file.data(), file.size(), picture, error)) << what;
    EXPECT_FALSE(error.empty()) << what;
    EXPECT_EQ(std::string::npos, error.find('\n')) << what;
    EXPECT_EQ(0, picture.width) << what;
    EXPECT_TRUE(picture.pixels.empty()) << what;
}

} // namespace

TEST(BitmapReader, ReadsBottomUpAndTopDownFilesOf24And32Bits)
{
    for (uint16_t bits : {uint16_t{24}, uint16_t{32}})
        for (bool topDown : {false, true})
            for (auto [w, h] : {std::pair<int32_t, int32_t>{5, 3}, {1, 1}, {6, 4}, {7, 2}}) {
                BitmapLayout layout;
                layout.width = w;
                layout.height = h;
                layout.bitCount = bits;
                layout.topDown = topDown;
                const auto screen = TestScreen(w, h);
                const auto file = MakeFile(layout, screen);
                PixelPicture picture;
                std::string error;
                ASSERT_TRUE(DecodeBitmapFile(file.data(), file.size(), picture, error))
                    << bits << " bits, top-down " << topDown << ": " << error;
                EXPECT_EQ(w, picture.width);
                EXPECT_EQ(h, picture.height);
                EXPECT_EQ(BottomUp(screen, w, h), picture.pixels) << bits << " bits, top-down " << topDown;
            }
}

TEST(BitmapReader, ReadsLongHeadersBitfieldsWithStandardMasksAndGapsBeforeThePixels)
{
    const auto screen = TestScreen(4, 3);
    const std::vector<uint32_t> standard = {0xFF0000, 0xFF00, 0xFF};
    std::vector<BitmapLayout> specs(5);
    specs[0].infoSize = 124; // BITMAPV5HEADER, BI_RGB
    specs[1].infoSize = 108;
    specs[1].bitCount = 32;
    specs[1].compression = kBiBitfields;
    specs[1].masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    specs[2].bitCount = 32;
    specs[2].compression = kBiBitfields;
    specs[2].masks = standard; // after a 40-byte header
    specs[3].gapBeforePixels = 1024; // a colour table or anything else before the pixels
    specs[4].bitCount = 32;
    specs[4].topDown = true;
    specs[4].infoSize = 124;
    specs[4].compression = kBiBitfields;
    specs[4].masks = standard;
    for (size_t k = 0; k < specs.size(); ++k) {
        specs[k].width = 4;
        specs[k].height = 3;
        const auto file = MakeFile(specs[k], screen);
        PixelPicture picture;
        std::string error;
        ASSERT_TRUE(DecodeBitmapFile(file.data(), file.size(), picture, error)) << k << ": " << error;
        EXPECT_EQ(BottomUp(screen, 4, 3), picture.pixels) << k;
    }
}

TEST(BitmapReader, NeedsEveryPixelButNotThePaddingOfTheLastRow)
{
    BitmapLayout layout; // 5 x 3 at 24 bits: rows of 15 bytes padded to 16
    const auto file = MakeFile(layout, TestScreen(5, 3));
    for (size_t length = 0; length < file.size(); ++length) {
        const std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<long>(length));
        PixelPicture picture;
        std::string error;
        const bool read = DecodeBitmapFile(cut.data(), cut.size(), picture, error);
        EXPECT_EQ(length == file.size() - 1, read) << "cut to " << length << " bytes";
        if (!read) {
            EXPECT_FALSE(error.empty());
        }
    }
    PixelPicture picture;
    std::string error;
    EXPECT_FALSE(DecodeBitmapFile(nullptr, 100, picture, error));
}

TEST(BitmapReader, RefusesHostileAndUnsupportedFiles)
{
    BitmapLayout layout;
    const auto good = MakeFile(layout, TestScreen(5, 3));
    const std::vector<std::pair<std::string, std::function<void(std::vector<uint8_t>&)>>> cases = {
        {"bad signature", [](auto& f) { f[0] = 'M'; f[1] = 'B'; }},
        {"OS/2 core header", [](auto& f) { Put32(f, 14, 12); }},
        {"unknown header size", [](auto& f) { Put32(f, 14, 64); }},
        {"header size beyond the file", [](auto& f) { Put32(f, 14, 0xFFFFFFF0u); }},
        {"zero planes", [](auto& f) { Put16(f, 26, 0); }},
        {"8 bits", [](auto& f) { Put16(f, 28, 8); }},
        {"16 bits", [](auto& f) { Put16(f, 28, 16); }},
        {"1 bit", [](auto& f) { Put16(f, 28, 1); }},
        {"0 bits", [](auto& f) { Put16(f, 28, 0); }},
        {"64 bits", [](auto& f) { Put16(f, 28, 64); }},
        {"RLE8", [](auto& f) { Put32(f, 30, 1); }},
        {"RLE4", [](auto& f) { Put32(f, 30, 2); }},
        {"bitfields at 24 bits", [](auto& f) { Put32(f, 30, kBiBitfields); }},
        {"JPEG inside", [](auto& f) { Put32(f, 30, 4); }},
        {"PNG inside", [](auto& f) { Put32(f, 30, 5); }},
        {"zero width", [](auto& f) { Put32(f, 18, 0); }},
        {"negative width", [](auto& f) { Put32(f, 18, static_cast<uint32_t>(-5)); }},
        {"zero height", [](auto& f) { Put32(f, 22, 0); }},
        {"most negative height", [](auto& f) { Put32(f, 22, 0x80000000u); }},
        {"width 16385", [](auto& f) { Put32(f, 18, 16385); }},
        {"height 16385", [](auto& f) { Put32(f, 22, 16385); }},
        {"top-down height 16385", [](auto& f) { Put32(f, 22, static_cast<uint32_t>(-16385)); }},
        {"huge width", [](auto& f) { Put32(f, 18, 0x7FFFFFFF); }},
        {"largest sides in a small file", [](auto& f) { Put32(f, 18, 16384); Put32(f, 22, 16384); }},
        {"pixel offset 0", [](auto& f) { Put32(f, 10, 0); }},
        {"pixel offset inside the headers", [](auto& f) { Put32(f, 10, 20); }},
        {"pixel offset beyond the file", [](auto& f) { Put32(f, 10, static_cast<uint32_t>(f.size() + 1)); }},
        {"pixel offset near 4 GiB", [](auto& f) { Put32(f, 10, 0xFFFFFFFFu); }},
        {"pixels one byte short", [](auto& f) { Put32(f, 10, 56); }},
    };
    for (const auto& [what, spoil] : cases) {
        auto file = good;
        spoil(file);
        ExpectRejected(file, what);
    }
    ExpectRejected({}, "empty file");
    ExpectRejected({'B'}, "one byte");
    ExpectRejected({'B', 'M'}, "signature only");
    ExpectRejected(std::vector<uint8_t>(good.begin(), good.begin() + 53), "headers cut short");
}

TEST(BitmapReader, RefusesBitfieldsOtherThanTheStandardMasks)
{
    for (const std::vector<uint32_t>& masks :
         {std::vector<uint32_t>{0xFF, 0xFF00, 0xFF0000}, {0xFF000000, 0xFF0000, 0xFF00}, {0xF800, 0x7E0, 0x1F}}) {
        BitmapLayout layout;
        layout.bitCount = 32;
        layout.compression = kBiBitfields;
        layout.masks = masks;
        ExpectRejected(MakeFile(layout, TestScreen(5, 3)), "masks " + std::to_string(masks[0]));
    }
    // Masks announced but cut off by the end of the file.
    BitmapLayout layout;
    layout.bitCount = 32;
    layout.compression = kBiBitfields;
    layout.masks = {0xFF0000, 0xFF00, 0xFF};
    auto file = MakeFile(layout, TestScreen(5, 3));
    file.resize(60);
    ExpectRejected(file, "masks cut short");
}

TEST(BitmapReader, AcceptsTheLargestSide)
{
    BitmapLayout layout;
    layout.width = kMaxBitmapSide;
    layout.height = 1;
    const auto screen = TestScreen(kMaxBitmapSide, 1);
    const auto file = MakeFile(layout, screen);
    PixelPicture picture;
    std::string error;
    ASSERT_TRUE(DecodeBitmapFile(file.data(), file.size(), picture, error)) << error;
    EXPECT_EQ(screen, picture.pixels);
}

TEST(BitmapWriter, WritesTheSnapshotLayoutAt32BitsBottomUpWithTopBytesCleared)
{
    PixelPicture picture;
    picture.width = 3;
    picture.height = 2;
    picture.pixels = {0xFF112233, 0x00445566, 0x12778899, 0x00AABBCC, 0x00DDEEFF, 0x80010203};
    const auto file = EncodeBitmapFile(picture);
    ASSERT_EQ(54u + 24u, file.size());
    const auto headers = EncodeBitmapHeaders(MakeBitmapHeaders(3, 2, 32));
    EXPECT_TRUE(std::equal(headers.begin(), headers.end(), file.begin()));
    EXPECT_EQ('B', file[0]);
    EXPECT_EQ(78, file[2]);      // bfSize
    EXPECT_EQ(54, file[10]);     // bfOffBits
    EXPECT_EQ(2, file[22]);      // biHeight positive: bottom-up
    EXPECT_EQ(32, file[28]);     // biBitCount
    EXPECT_EQ(0, file[30]);      // BI_RGB
    // Memory row 0 (the bottom row on screen) is stored first, bytes blue, green, red, 0.
    const std::vector<uint8_t> pixels(file.begin() + 54, file.end());
    const std::vector<uint8_t> expected = {0x33, 0x22, 0x11, 0, 0x66, 0x55, 0x44, 0, 0x99, 0x88, 0x77, 0,
                                           0xCC, 0xBB, 0xAA, 0, 0xFF, 0xEE, 0xDD, 0, 0x03, 0x02, 0x01, 0};
    EXPECT_EQ(expected, pixels);
}

TEST(BitmapWriter, RoundTripsThroughTheReader)
{
    for (auto [w, h] : {std::pair<int32_t, int32_t>{1, 1}, {7, 5}, {64, 3}}) {
        PixelPicture picture;
        picture.width = w;
        picture.height = h;
        picture.pixels = TestScreen(w, h);
        picture.pixels[0] |= 0xFF000000u;
        const auto file = EncodeBitmapFile(picture);
        PixelPicture back;
        std::string error;
        ASSERT_TRUE(DecodeBitmapFile(file.data(), file.size(), back, error)) << error;
        picture.pixels[0] &= 0xFFFFFF;
        EXPECT_EQ(w, back.width);
        EXPECT_EQ(h, back.height);
        EXPECT_EQ(picture.pixels, back.pixels);
    }
}

TEST(BitmapWriter, WritesNothingForAPictureWithoutAValidSize)
{
    PixelPicture empty;
    EXPECT_TRUE(EncodeBitmapFile(empty).empty());
    PixelPicture mismatched;
    mismatched.width = 4;
    mismatched.height = 4;
    mismatched.pixels.resize(15);
    EXPECT_TRUE(EncodeBitmapFile(mismatched).empty());
    PixelPicture tooWide;
    tooWide.width = kMaxBitmapSide + 1;
    tooWide.height = 1;
    tooWide.pixels.resize(kMaxBitmapSide + 1);
    EXPECT_TRUE(EncodeBitmapFile(tooWide).empty());
    PixelPicture negative;
    negative.width = -2;
    negative.height = -2;
    negative.pixels.resize(4);
    EXPECT_TRUE(EncodeBitmapFile(negative).empty());
}
