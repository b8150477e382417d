#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/PixelPicture.h"

// Windows bitmap files to and from pixel pictures, for tools that take pictures from outside.

// Reads an uncompressed 24- or 32-bit bitmap file, bottom-up or top-down; 32-bit files may
// also use BI_BITFIELDS with the standard masks (red 0xFF0000, green 0xFF00, blue 0xFF).
// Every size and offset is checked against `size` before it is used. On failure `picture`
// is empty and `error` says why in one line.
bool DecodeBitmapFile(const uint8_t* data, size_t size, PixelPicture& picture, std::string& error);

// The picture as a 32-bit BI_RGB file with the 54-byte headers of the saver's snapshot file,
// bottom-up, the top byte of every pixel 0. Empty when the picture is not valid.
std::vector<uint8_t> EncodeBitmapFile(const PixelPicture& picture);
