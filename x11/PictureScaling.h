#pragma once
#include <cstdint>

#include "imaging/PixelPicture.h"

// The picture at another size, nearest pixel: the pixel at column c, row t (from the top) of
// the result is the one at column c * width / newWidth, row t * height / newHeight of the
// picture. The picture must be valid and both new sides positive.
PixelPicture ScalePicture(const PixelPicture& picture, int32_t newWidth, int32_t newHeight);
