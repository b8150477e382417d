#pragma once
#include <cstdint>

#include "common/RowOrder.h"

// The water arithmetic written straight from its definition, one cell at a time.
// It is the yardstick that every faster version must match bit for bit.

// One propagation step: every interior cell of `destination` becomes the damped
// difference between a quarter of its eight neighbours in `neighbours` and its own
// previous value. Border cells are never written.
void ReferenceStep(int32_t* destination, const int32_t* neighbours, int32_t width, int32_t height,
                   int32_t dampingShift);

// An output buffer keeps row r of the field at row r, as the source lies (bottom-up, as
// device-independent bitmaps are), or at its flipped row (top-down, as X images are).

// Refraction of `source` through the slopes of `heights` into `output`, interior
// pixels only; a pixel whose displaced index falls outside keeps what it held.
void ReferenceRefract(const int32_t* heights, const uint32_t* source, uint32_t* output, int32_t width,
                      int32_t height, RowOrder order = RowOrder::BottomUp);

// One shaded pixel: each 8-bit channel of `pixel` minus `shade`, clamped to 0..255, top byte 0.
inline uint32_t ShadePixel(uint32_t pixel, int32_t shade)
{
    // Channels are 0..255, so shades beyond +-255 saturate exactly like +-255.
    const int32_t s = shade < -255 ? -255 : (shade > 255 ? 255 : shade);
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        int32_t channel = static_cast<int32_t>((pixel >> shift) & 0xFFu) - s;
        channel = channel < 0 ? 0 : (channel > 255 ? 255 : channel);
        result |= static_cast<uint32_t>(channel) << shift;
    }
    return result;
}
