#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/PixelPicture.h"
#include "tools/render/RenderOptions.h"

// Picture files for the replay tool: Windows bitmaps through the core's reader, PNG and JPEG
// through stb_image, PNG output through stb_image_write.

// Decodes a bitmap, PNG or JPEG file held in memory, told apart by their signatures, into
// the saver's bottom-up layout. Sides must be 1..kMaxBitmapSide. On failure `picture` is
// empty and `error` says why in one line.
bool DecodePictureFile(const uint8_t* data, size_t size, PixelPicture& picture, std::string& error);

// Reads and decodes the file at `path`.
bool ReadPictureFile(const std::string& path, PixelPicture& picture, std::string& error);

// An 8-bit RGB PNG of the picture as the screen shows it. Empty when the picture is not valid.
std::vector<uint8_t> EncodePngFile(const PixelPicture& picture);

std::vector<uint8_t> EncodePictureFile(const PixelPicture& picture, PictureFormat format);
