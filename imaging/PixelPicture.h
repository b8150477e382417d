#pragma once
#include <cstdint>
#include <vector>

#include "imaging/BitmapFile.h"

// A picture in the saver's pixel-buffer layout: 0x00RRGGBB pixels, rows bottom-up
// (memory row 0 is the bottom row on screen), no gap between rows.
struct PixelPicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;
};

// Both sides in 1..kMaxBitmapSide and exactly width x height pixels.
inline bool IsValidPicture(const PixelPicture& picture)
{
    return picture.width > 0 && picture.height > 0 && picture.width <= kMaxBitmapSide &&
           picture.height <= kMaxBitmapSide &&
           picture.pixels.size() == static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
}
