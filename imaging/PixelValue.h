#pragma once
#include <cstdint>

// The platform's colour value is 0x00BBGGRR (red in the low byte); a surface pixel is
// 0x00RRGGBB, bytes blue, green, red, 0 in memory. The top byte of a pixel is always 0.
inline uint32_t PixelFromColorValue(uint32_t colorValue)
{
    const uint32_t red = colorValue & 0xFFu;
    const uint32_t green = (colorValue >> 8) & 0xFFu;
    const uint32_t blue = (colorValue >> 16) & 0xFFu;
    return red << 16 | green << 8 | blue;
}

// A 32-bit DIB pixel read from the platform (bytes blue, green, red, unused) as a surface
// pixel: the same value with its unused top byte cleared.
inline uint32_t PixelFromDibValue(uint32_t dibValue)
{
    return dibValue & 0x00FFFFFFu;
}
