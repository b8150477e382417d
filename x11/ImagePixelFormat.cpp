#include "x11/ImagePixelFormat.h"

#include <cstdio>
#include <cstring>

#include "common/RowOrder.h"


namespace {

// The shift of an 8-bit contiguous mask, or -1.
int ChannelShift(uint32_t mask)
{
    for (int shift = 0; shift <= 24; ++shift)
        if (mask == (uint32_t{0xFF} << shift))
            return shift;
    return -1;
}

bool HostIsLittleEndian()
{
    const uint32_t probe = 1;
    uint8_t first;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

// One row of 32-bit values with `orBits` set in each: a plain copy for 24-bit visuals.
void CopyRowOr(uint32_t* to, const uint32_t* from, int32_t count, uint32_t orBits)
{
    if (orBits == 0) {
        std::memcpy(to, from, static_cast<size_t>(count) * 4);
        return;
    }
    for (int32_t k = 0; k < count; ++k)
        to[k] = from[k] | orBits;
}

} // namespace

bool ImagePixelFormat::Describe(int depth, int bitsPerPixel, uint32_t redMask, uint32_t greenMask,
                                uint32_t blueMask, bool msbFirst, ImagePixelFormat& format, std::string& error)
{
    if (depth != 24 && depth != 32) {
        error = "the visual has depth " + std::to_string(depth) + "; only 24- and 32-bit visuals are supported";
        return false;
    }
    if ((bitsPerPixel != 24 && bitsPerPixel != 32) || bitsPerPixel < depth) {
        error = "images of depth " + std::to_string(depth) + " take " + std::to_string(bitsPerPixel) +
                " bits per pixel; only 24 and 32 are supported";
        return false;
    }
    const int red = ChannelShift(redMask), green = ChannelShift(greenMask), blue = ChannelShift(blueMask);
    const uint32_t depthBits = depth == 32 ? 0xFFFFFFFFu : (uint32_t{1} << depth) - 1;
    const uint32_t all = redMask | greenMask | blueMask;
    if (red < 0 || green < 0 || blue < 0 || (redMask & greenMask) || (redMask & blueMask) ||
        (greenMask & blueMask) || (all & ~depthBits)) {
        char masks[80];
        std::snprintf(masks, sizeof masks, "0x%x, 0x%x, 0x%x", redMask, greenMask, blueMask);
        error = std::string("the visual's colour masks (") + masks + ") are not three 8-bit channels";
        return false;
    }
    format.redShift = red;
    format.greenShift = green;
    format.blueShift = blue;
    format.opaqueBits = depthBits & ~all;
    format.bytesPerPixel = bitsPerPixel / 8;
    format.msbFirst = msbFirst;
    return true;
}

uint32_t ImagePixelFormat::Encode(uint32_t rgb) const
{
    return (((rgb >> 16) & 0xFF) << redShift) | (((rgb >> 8) & 0xFF) << greenShift) | ((rgb & 0xFF) << blueShift) |
           opaqueBits;
}

uint32_t ImagePixelFormat::Decode(uint32_t value) const
{
    return (((value >> redShift) & 0xFF) << 16) | (((value >> greenShift) & 0xFF) << 8) | ((value >> blueShift) & 0xFF);
}

bool ImagePixelFormat::StoresRgbAsIs() const
{
    return bytesPerPixel == 4 && redShift == 16 && greenShift == 8 && blueShift == 0 &&
           msbFirst != HostIsLittleEndian();
}

void ImagePixelFormat::StoreValue(uint8_t* at, uint32_t value) const
{
    for (int k = 0; k < bytesPerPixel; ++k) {
        const int shift = msbFirst ? 8 * (bytesPerPixel - 1 - k) : 8 * k;
        at[k] = static_cast<uint8_t>(value >> shift);
    }
}

uint32_t ImagePixelFormat::LoadValue(const uint8_t* at) const
{
    uint32_t value = 0;
    for (int k = 0; k < bytesPerPixel; ++k) {
        const int shift = msbFirst ? 8 * (bytesPerPixel - 1 - k) : 8 * k;
        value |= static_cast<uint32_t>(at[k]) << shift;
    }
    return value;
}

void ImagePixelFormat::WriteFlipped(const uint32_t* bottomUp, int32_t width, int32_t height, uint8_t* image,
                                    size_t bytesPerLine) const
{
    const bool asIs = StoresRgbAsIs() && reinterpret_cast<uintptr_t>(image) % 4 == 0 && bytesPerLine % 4 == 0;
    for (int32_t row = 0; row < height; ++row) {
        const uint32_t* from = bottomUp + FlippedRowStart(row, width, height);
        uint8_t* to = image + static_cast<size_t>(row) * bytesPerLine;
        if (asIs) {
            CopyRowOr(reinterpret_cast<uint32_t*>(to), from, width, opaqueBits);
            continue;
        }
        for (int32_t column = 0; column < width; ++column)
            StoreValue(to + static_cast<size_t>(column) * static_cast<size_t>(bytesPerPixel), Encode(from[column]));
    }
}

void ImagePixelFormat::ReadFlipped(const uint8_t* image, size_t bytesPerLine, int32_t width, int32_t height,
                                   uint32_t* bottomUp) const
{
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* from = image + static_cast<size_t>(row) * bytesPerLine;
        uint32_t* to = bottomUp + FlippedRowStart(row, width, height);
        for (int32_t column = 0; column < width; ++column)
            to[column] = Decode(LoadValue(from + static_cast<size_t>(column) * static_cast<size_t>(bytesPerPixel)));
    }
}
