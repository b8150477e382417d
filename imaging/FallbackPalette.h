#pragma once
#include <cstdint>
#include <vector>

// The palette a surface falls back on when it has no colour table of its own: 16 fixed
// colours, a 6 x 6 x 6 colour cube (red varying fastest) and a 24-step grey ramp.

struct PaletteColor {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

inline bool operator==(const PaletteColor& a, const PaletteColor& b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

constexpr int32_t kFallbackPaletteSize = 256;

// The number of entries a request for `count` gets: counts outside 1..256 mean 256.
int32_t FallbackPaletteCount(int32_t count);

// The first FallbackPaletteCount(count) entries of the fallback sequence.
std::vector<PaletteColor> FallbackPaletteEntries(int32_t count);
