#include "x11/PictureScaling.h"

#include <vector>

#include "common/RowOrder.h"

PixelPicture ScalePicture(const PixelPicture& picture, int32_t newWidth, int32_t newHeight)
{
    PixelPicture scaled;
    scaled.width = newWidth;
    scaled.height = newHeight;
    scaled.pixels.resize(static_cast<size_t>(newWidth) * static_cast<size_t>(newHeight));
    std::vector<int32_t> columns(static_cast<size_t>(newWidth));
    for (int32_t c = 0; c < newWidth; ++c)
        columns[c] = static_cast<int32_t>(int64_t{c} * picture.width / newWidth);
    for (int32_t top = 0; top < newHeight; ++top) {
        const int32_t sourceTop = static_cast<int32_t>(int64_t{top} * picture.height / newHeight);
        const uint32_t* from = picture.pixels.data() + FlippedRowStart(sourceTop, picture.width, picture.height);
        uint32_t* to = scaled.pixels.data() + FlippedRowStart(top, newWidth, newHeight);
        for (int32_t c = 0; c < newWidth; ++c)
            to[c] = from[columns[c]];
    }
    return scaled;
}
