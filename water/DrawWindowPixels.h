#pragma once
#include <cstdint>

// The pixel memory the drawing window may hand the renderer: only memory that covers the
// whole water field. A surface that could not be made (no memory) or came out smaller than
// the field gives none, and the tick then moves the water without touching any pixels.
inline uint32_t* PixelsCoveringField(uint32_t* pixels, int32_t surfaceWidth, int32_t surfaceHeight,
                                     int32_t fieldWidth, int32_t fieldHeight)
{
    if (!pixels || fieldWidth <= 0 || fieldHeight <= 0)
        return nullptr;
    return surfaceWidth >= fieldWidth && surfaceHeight >= fieldHeight ? pixels : nullptr;
}
