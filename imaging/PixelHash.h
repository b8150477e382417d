#pragma once
#include <cstddef>
#include <cstdint>

// FNV-1a, 64 bits, over pixels as their bytes lie in a bitmap file: each 32-bit pixel
// little-endian. A short fingerprint of frames that two programs must draw bit for bit.
constexpr uint64_t kPixelHashStart = 14695981039346656037ull;

inline uint64_t HashPixels(uint64_t hash, const uint32_t* pixels, size_t count)
{
    for (size_t k = 0; k < count; ++k) {
        for (int byte = 0; byte < 4; ++byte) {
            hash ^= (pixels[k] >> (8 * byte)) & 0xFFu;
            hash *= 1099511628211ull;
        }
    }
    return hash;
}
