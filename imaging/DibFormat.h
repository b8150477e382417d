#pragma once
#include <cstdint>

// Row and colour-table arithmetic of device-independent bitmaps.

// Number of colour-table entries a bitmap of `bitCount` bits per pixel carries: 2, 16 or 256
// for 1, 4 and 8 bits, none for every other depth.
int32_t ColorsForBitCount(int32_t bitCount);

// Bytes per row, rows padded to a multiple of 32 bits. Signed 32-bit arithmetic, wrapping
// as the platform's does; callers that take sizes from outside check them in 64 bits first.
int32_t DibRowBytes(int32_t width, int32_t bitCount);
