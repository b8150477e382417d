#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "x11/ImagePixelFormat.h"

namespace {

ImagePixelFormat Format(int depth, int bitsPerPixel, uint32_t red, uint32_t green, uint32_t blue, bool msbFirst)
{
    ImagePixelFormat format;
    std::string error;
    EXPECT_TRUE(ImagePixelFormat::Describe(depth, bitsPerPixel, red, green, blue, msbFirst, format, error)) << error;
    return format;
}

std::string Refusal(int depth, int bitsPerPixel, uint32_t red, uint32_t green, uint32_t blue)
{
    ImagePixelFormat format;
    std::string error;
    EXPECT_FALSE(ImagePixelFormat::Describe(depth, bitsPerPixel, red, green, blue, false, format, error));
    EXPECT_FALSE(error.empty());
    return error;
}

// A 3 x 2 bottom-up buffer: memory row 0 (the bottom row on screen) then row 1 (the top).
const std::vector<uint32_t> kBottomUp = {0x102030, 0x405060, 0x708090,   // bottom
                                         0xA1B2C3, 0xD4E5F6, 0x0A0B0C};  // top

} // namespace

TEST(ImagePixelFormat, OnlyThree8BitChannelsIn24Or32Bits)
{
    Format(24, 32, 0xFF0000, 0xFF00, 0xFF, false);
    Format(24, 24, 0xFF, 0xFF00, 0xFF0000, true);
    Format(32, 32, 0xFF0000, 0xFF00, 0xFF, false);
    Format(32, 32, 0xFF000000, 0xFF0000, 0xFF00, false);
    EXPECT_NE(std::string::npos, Refusal(16, 16, 0xF800, 0x7E0, 0x1F).find("depth 16"));
    EXPECT_NE(std::string::npos, Refusal(8, 8, 0, 0, 0).find("depth 8"));
    EXPECT_NE(std::string::npos, Refusal(30, 32, 0x3FF00000, 0xFFC00, 0x3FF).find("depth 30"));
    EXPECT_NE(std::string::npos, Refusal(24, 16, 0xFF0000, 0xFF00, 0xFF).find("bits per pixel"));
    EXPECT_NE(std::string::npos, Refusal(32, 24, 0xFF0000, 0xFF00, 0xFF).find("bits per pixel"));
    EXPECT_NE(std::string::npos, Refusal(24, 32, 0xFF0000, 0xFF0000, 0xFF).find("masks"));
    EXPECT_NE(std::string::npos, Refusal(24, 32, 0xFF8000, 0x7F00, 0xFF).find("masks"));
    EXPECT_NE(std::string::npos, Refusal(24, 32, 0xFF000000, 0xFF00, 0xFF).find("masks"));  // outside 24 bits
    EXPECT_NE(std::string::npos, Refusal(24, 32, 0, 0xFF00, 0xFF).find("masks"));
}

TEST(ImagePixelFormat, EncodeAndDecodeHonourTheMasks)
{
    const ImagePixelFormat rgb = Format(24, 32, 0xFF0000, 0xFF00, 0xFF, false);
    EXPECT_EQ(0x123456u, rgb.Encode(0x123456));
    EXPECT_EQ(0x123456u, rgb.Encode(0xFF123456));  // the top byte of a pixel is never shown
    const ImagePixelFormat bgr = Format(24, 32, 0xFF, 0xFF00, 0xFF0000, false);
    EXPECT_EQ(0x563412u, bgr.Encode(0x123456));
    EXPECT_EQ(0x123456u, bgr.Decode(0x563412));
    EXPECT_EQ(0x123456u, bgr.Decode(0xAB563412));
    // A 32-bit visual's alpha is set: the picture is opaque.
    const ImagePixelFormat argb = Format(32, 32, 0xFF0000, 0xFF00, 0xFF, false);
    EXPECT_EQ(0xFF123456u, argb.Encode(0x123456));
    EXPECT_EQ(0x123456u, argb.Decode(0x7F123456));
    const ImagePixelFormat rgba = Format(32, 32, 0xFF000000, 0xFF0000, 0xFF00, false);
    EXPECT_EQ(0x123456FFu, rgba.Encode(0x123456));
    EXPECT_EQ(0x123456u, rgba.Decode(0x12345600));
}

TEST(ImagePixelFormat, RowsAreFlippedAndStoredInTheImagesByteOrder)
{
    struct Case {
        ImagePixelFormat format;
        std::vector<uint8_t> topLeft;  // the bytes of screen pixel (0, 0): 0xA1B2C3
    };
    const Case cases[] = {
        {Format(24, 32, 0xFF0000, 0xFF00, 0xFF, false), {0xC3, 0xB2, 0xA1, 0x00}},
        {Format(24, 32, 0xFF0000, 0xFF00, 0xFF, true), {0x00, 0xA1, 0xB2, 0xC3}},
        {Format(24, 32, 0xFF, 0xFF00, 0xFF0000, false), {0xA1, 0xB2, 0xC3, 0x00}},
        {Format(24, 24, 0xFF0000, 0xFF00, 0xFF, false), {0xC3, 0xB2, 0xA1}},
        {Format(24, 24, 0xFF0000, 0xFF00, 0xFF, true), {0xA1, 0xB2, 0xC3}},
        {Format(32, 32, 0xFF0000, 0xFF00, 0xFF, false), {0xC3, 0xB2, 0xA1, 0xFF}},
        {Format(32, 32, 0xFF000000, 0xFF0000, 0xFF00, true), {0xA1, 0xB2, 0xC3, 0xFF}},
    };
    for (const Case& test : cases) {
        const int bytes = test.format.BytesPerPixel();
        const size_t bytesPerLine = 3 * static_cast<size_t>(bytes) + 5;  // padded rows
        std::vector<uint8_t> image(2 * bytesPerLine, 0xEE);
        test.format.WriteFlipped(kBottomUp.data(), 3, 2, image.data(), bytesPerLine);
        EXPECT_EQ(test.topLeft, std::vector<uint8_t>(image.begin(), image.begin() + bytes));
        // Every pixel goes where it belongs, and the padding is left alone.
        for (int top = 0; top < 2; ++top) {
            for (int column = 0; column < 3; ++column) {
                std::vector<uint32_t> one = {kBottomUp[static_cast<size_t>((1 - top) * 3 + column)]};
                std::vector<uint8_t> alone(static_cast<size_t>(bytes));
                test.format.WriteFlipped(one.data(), 1, 1, alone.data(), alone.size());
                const uint8_t* at = image.data() + static_cast<size_t>(top) * bytesPerLine +
                                    static_cast<size_t>(column * bytes);
                EXPECT_EQ(alone, std::vector<uint8_t>(at, at + bytes)) << top << "," << column;
            }
            for (size_t pad = 3 * static_cast<size_t>(bytes); pad < bytesPerLine; ++pad)
                EXPECT_EQ(0xEE, image[static_cast<size_t>(top) * bytesPerLine + pad]);
        }
        std::vector<uint32_t> back(6);
        test.format.ReadFlipped(image.data(), bytesPerLine, 3, 2, back.data());
        EXPECT_EQ(kBottomUp, back);
    }
}

TEST(ImagePixelFormat, TheFastCopyMatchesPixelByPixelAtEveryAlignmentAndWidth)
{
    // A native 32-bit layout takes the row copy; a byte-order twin takes the pixel loop.
    // Byte-reversing the pixel loop's result must give the copy's for every width and start.
    const bool little = [] {
        const uint32_t probe = 1;
        uint8_t first;
        std::memcpy(&first, &probe, 1);
        return first == 1;
    }();
    for (const int depth : {24, 32}) {
        const ImagePixelFormat fast = Format(depth, 32, 0xFF0000, 0xFF00, 0xFF, !little);
        const ImagePixelFormat slow = Format(depth, 32, 0xFF0000, 0xFF00, 0xFF, little);
        for (int32_t width = 1; width <= 19; ++width) {
            for (size_t offset = 0; offset < 16; offset += 4) {
                const int32_t height = 3;
                std::vector<uint32_t> frame(static_cast<size_t>(width * height));
                for (size_t k = 0; k < frame.size(); ++k)
                    frame[k] = static_cast<uint32_t>(k * 2654435761u) & 0xFFFFFF;
                const size_t bytesPerLine = static_cast<size_t>(width) * 4 + 8;
                std::vector<uint8_t> fastImage(offset + height * bytesPerLine + 16, 0x55);
                std::vector<uint8_t> slowImage(height * bytesPerLine, 0x55);
                fast.WriteFlipped(frame.data(), width, height, fastImage.data() + offset, bytesPerLine);
                slow.WriteFlipped(frame.data(), width, height, slowImage.data(), bytesPerLine);
                for (int32_t row = 0; row < height; ++row)
                    for (int32_t column = 0; column < width; ++column)
                        for (int b = 0; b < 4; ++b)
                            ASSERT_EQ(slowImage[row * bytesPerLine + column * 4 + (3 - b)],
                                      fastImage[offset + row * bytesPerLine + column * 4 + b])
                                << "depth " << depth << " width " << width << " offset " << offset;
                for (size_t k = 0; k < offset; ++k)
                    ASSERT_EQ(0x55, fastImage[k]);
                ASSERT_EQ(0x55, fastImage[offset + (height - 1) * bytesPerLine + width * 4]);
            }
        }
    }
}
