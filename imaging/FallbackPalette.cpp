#include "imaging/FallbackPalette.h"

#include <cstddef>

namespace {

constexpr PaletteColor kFixedColors[16] = {
    {0, 0, 0},     {255, 255, 255}, {0, 0, 255},   {0, 255, 0},   {0, 255, 255}, {255, 0, 0},
    {255, 0, 255}, {255, 255, 0},   {0, 0, 128},   {0, 128, 0},   {0, 128, 128}, {128, 0, 0},
    {128, 0, 128}, {128, 128, 0},   {128, 128, 128}, {192, 192, 192},
};

constexpr int32_t kCubeLevels = 6;
constexpr int32_t kCubeStep = 51;
constexpr int32_t kGreySteps = 24;

} // namespace

int32_t FallbackPaletteCount(int32_t count)
{
    return count <= 0 || count > kFallbackPaletteSize ? kFallbackPaletteSize : count;
}

std::vector<PaletteColor> FallbackPaletteEntries(int32_t count)
{
    const size_t wanted = static_cast<size_t>(FallbackPaletteCount(count));
    std::vector<PaletteColor> entries;
    entries.reserve(kFallbackPaletteSize);
    for (const PaletteColor& color : kFixedColors)
        entries.push_back(color);
    for (int32_t blue = 0; blue < kCubeLevels; ++blue)
        for (int32_t green = 0; green < kCubeLevels; ++green)
            for (int32_t red = 0; red < kCubeLevels; ++red)
                entries.push_back({static_cast<uint8_t>(red * kCubeStep), static_cast<uint8_t>(green * kCubeStep),
                                   static_cast<uint8_t>(blue * kCubeStep)});
    for (int32_t k = 0; k < kGreySteps; ++k) {
        const auto grey = static_cast<uint8_t>(k * 255 / (kGreySteps - 1));
        entries.push_back({grey, grey, grey});
    }
    entries.resize(wanted);
    return entries;
}
