#include "imaging/BitmapCodec.h"

#include <cstring>
#include <utility>

#include "common/RowOrder.h"
#include "imaging/BitmapFile.h"
#include "imaging/DibFormat.h"

namespace {

uint32_t Get32(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

bool Fail(PixelPicture& picture, std::string& error, std::string message)
{
    picture = PixelPicture{};
    error = std::move(message);
    return false;
}

// The information headers that begin with the 40-byte BITMAPINFOHEADER fields:
// BITMAPINFOHEADER itself, the two Adobe extensions, BITMAPV4HEADER and BITMAPV5HEADER.
bool IsKnownInfoHeaderSize(uint32_t infoSize)
{
    return infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 108 || infoSize == 124;
}

constexpr uint32_t kRedMask = 0x00FF0000;
constexpr uint32_t kGreenMask = 0x0000FF00;
constexpr uint32_t kBlueMask = 0x000000FF;

} // namespace

bool DecodeBitmapFile(const uint8_t* data, size_t size, PixelPicture& picture, std::string& error)
{
    if (!data || size < 2 || data[0] != 'B' || data[1] != 'M')
        return Fail(picture, error, "not a Windows bitmap file (no BM signature)");
    if (size < kBitmapFileHeaderSize + 4)
        return Fail(picture, error, "truncated bitmap file: the headers are cut short");
    const uint32_t infoSize = Get32(data + kBitmapFileHeaderSize);
    if (!IsKnownInfoHeaderSize(infoSize))
        return Fail(picture, error, "unsupported bitmap information header of " + std::to_string(infoSize) + " bytes");
    if (size < kBitmapFileHeaderSize + infoSize)
        return Fail(picture, error, "truncated bitmap file: the headers are cut short");

    BitmapHeaders headers;
    DecodeBitmapHeaders(data, size, headers);
    if (headers.planes != 1)
        return Fail(picture, error, "invalid bitmap: " + std::to_string(headers.planes) + " colour planes");
    if (headers.bitCount != 24 && headers.bitCount != 32)
        return Fail(picture, error,
                    "unsupported bitmap depth of " + std::to_string(headers.bitCount) +
                        " bits per pixel (24 and 32 are read)");

    // Masks follow a 40-byte header and sit inside the longer ones: file offset 54 either way.
    size_t headersEnd = kBitmapFileHeaderSize + infoSize;
    if (headers.compression == kBiBitfields && headers.bitCount == 32) {
        if (infoSize == kBitmapInfoHeaderSize)
            headersEnd += 12;
        if (size < kBitmapHeadersSize + 12)
            return Fail(picture, error, "truncated bitmap file: the colour masks are cut short");
        const uint8_t* masks = data + kBitmapHeadersSize;
        if (Get32(masks) != kRedMask || Get32(masks + 4) != kGreenMask || Get32(masks + 8) != kBlueMask)
            return Fail(picture, error, "unsupported bitmap colour masks (only 8 bits each of red, green, blue)");
    } else if (headers.compression != kBiRgb) {
        return Fail(picture, error,
                    "compressed bitmaps are not supported (compression " + std::to_string(headers.compression) + ")");
    }

    const int64_t width = headers.width;
    const int64_t rows = headers.height < 0 ? -static_cast<int64_t>(headers.height) : headers.height;
    if (width <= 0 || rows == 0)
        return Fail(picture, error,
                    "invalid bitmap size " + std::to_string(headers.width) + " x " + std::to_string(headers.height));
    if (width > kMaxBitmapSide || rows > kMaxBitmapSide)
        return Fail(picture, error,
                    "bitmap of " + std::to_string(width) + " x " + std::to_string(rows) +
                        " is too large (at most " + std::to_string(kMaxBitmapSide) + " on a side)");
    if (headers.pixelOffset < headersEnd)
        return Fail(picture, error, "invalid bitmap: pixel data offset " + std::to_string(headers.pixelOffset) +
                                        " lies inside the headers");

    // Sides are at most 16384 here, so these fit easily in 64 bits. The last row's padding
    // is not needed and some writers leave it out.
    const int64_t bytesPerPixel = headers.bitCount / 8;
    const int64_t rowBytes = DibRowBytes(headers.width, headers.bitCount);
    const int64_t needed = rowBytes * (rows - 1) + width * bytesPerPixel;
    if (headers.pixelOffset > size || static_cast<uint64_t>(needed) > size - headers.pixelOffset)
        return Fail(picture, error,
                    "truncated bitmap file: " + std::to_string(needed) + " bytes of pixels at offset " +
                        std::to_string(headers.pixelOffset) + ", file has " + std::to_string(size) + " bytes");

    picture.width = headers.width;
    picture.height = static_cast<int32_t>(rows);
    picture.pixels.assign(static_cast<size_t>(width * rows), 0);
    const bool topDown = headers.height < 0;
    for (int64_t fileRow = 0; fileRow < rows; ++fileRow) {
        const uint8_t* in = data + headers.pixelOffset + fileRow * rowBytes;
        const int32_t row = static_cast<int32_t>(fileRow);
        uint32_t* out = picture.pixels.data() +
                        (topDown ? FlippedRowStart(row, picture.width, picture.height) : static_cast<size_t>(fileRow * width));
        for (int64_t c = 0; c < width; ++c, in += bytesPerPixel)
            out[c] = static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
                     static_cast<uint32_t>(in[2]) << 16;
    }
    error.clear();
    return true;
}

std::vector<uint8_t> EncodeBitmapFile(const PixelPicture& picture)
{
    if (!IsValidPicture(picture))
        return {};
    const BitmapHeaders headers = MakeBitmapHeaders(picture.width, picture.height, 32);
    const auto headerBytes = EncodeBitmapHeaders(headers);
    std::vector<uint8_t> file(headers.fileSize);
    std::memcpy(file.data(), headerBytes.data(), headerBytes.size());
    // Bottom-up file rows are the memory rows in order; 32-bit rows need no padding.
    uint8_t* out = file.data() + kBitmapHeadersSize;
    for (uint32_t pixel : picture.pixels) {
        out[0] = static_cast<uint8_t>(pixel);
        out[1] = static_cast<uint8_t>(pixel >> 8);
        out[2] = static_cast<uint8_t>(pixel >> 16);
        out[3] = 0;
        out += 4;
    }
    return file;
}
