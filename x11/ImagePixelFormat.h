#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// How an X image of a TrueColor visual stores a pixel: where the three 8-bit channels sit in
// the pixel value, how many bytes the value takes (3 or 4) and in which byte order. Turns the
// saver's bottom-up 0x00RRGGBB buffers into top-down image rows and back.
class ImagePixelFormat {
public:
    // False, with `error` set, unless every mask is 8 contiguous bits inside `depth`, the masks
    // do not overlap, `depth` is 24 or 32 and `bitsPerPixel` is 24 or 32 and holds the depth.
    // `msbFirst`: the image stores the most significant byte of a pixel first.
    static bool Describe(int depth, int bitsPerPixel, uint32_t redMask, uint32_t greenMask, uint32_t blueMask,
                         bool msbFirst, ImagePixelFormat& format, std::string& error);

    // The pixel value of a 0x00RRGGBB colour. Bits of the depth outside the three masks (the
    // alpha of a 32-bit visual) are set, so that the picture is opaque.
    uint32_t Encode(uint32_t rgb) const;
    // The 0x00RRGGBB colour of a pixel value.
    uint32_t Decode(uint32_t value) const;

    // Writes the bottom-up buffer as `height` top-down image rows of `bytesPerLine` bytes.
    void WriteFlipped(const uint32_t* bottomUp, int32_t width, int32_t height, uint8_t* image,
                      size_t bytesPerLine) const;
    // Reads `height` top-down image rows into a bottom-up buffer.
    void ReadFlipped(const uint8_t* image, size_t bytesPerLine, int32_t width, int32_t height,
                     uint32_t* bottomUp) const;

    int BytesPerPixel() const { return bytesPerPixel; }
    // Whether a pixel value is the 0x00RRGGBB colour itself, in host byte order.
    bool IsRgbAsIs() const { return StoresRgbAsIs() && opaqueBits == 0; }

private:
    bool StoresRgbAsIs() const;
    void StoreValue(uint8_t* at, uint32_t value) const;
    uint32_t LoadValue(const uint8_t* at) const;

    int redShift = 16;
    int greenShift = 8;
    int blueShift = 0;
    uint32_t opaqueBits = 0;
    int bytesPerPixel = 4;
    bool msbFirst = false;
};
