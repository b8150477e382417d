#include "imaging/BitmapFile.h"

#include "imaging/DibFormat.h"

namespace {

void Put16(uint8_t* at, uint16_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value)
{
    for (int k = 0; k < 4; ++k)
        at[k] = static_cast<uint8_t>(value >> (8 * k));
}

uint16_t Get16(const uint8_t* at)
{
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

uint32_t Get32(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

} // namespace

BitmapHeaders MakeBitmapHeaders(int32_t width, int32_t height, int32_t bitCount)
{
    BitmapHeaders headers;
    headers.width = width;
    headers.height = height;
    headers.bitCount = static_cast<uint16_t>(bitCount);
    headers.imageSize = static_cast<uint32_t>(DibRowBytes(width, bitCount)) * static_cast<uint32_t>(height);
    headers.fileSize = static_cast<uint32_t>(kBitmapHeadersSize) + headers.imageSize;
    return headers;
}

std::array<uint8_t, kBitmapHeadersSize> EncodeBitmapHeaders(const BitmapHeaders& headers)
{
    std::array<uint8_t, kBitmapHeadersSize> bytes{};
    uint8_t* p = bytes.data();
    Put16(p + 0, headers.type);
    Put32(p + 2, headers.fileSize);
    Put16(p + 6, headers.reserved1);
    Put16(p + 8, headers.reserved2);
    Put32(p + 10, headers.pixelOffset);
    Put32(p + 14, headers.infoSize);
    Put32(p + 18, static_cast<uint32_t>(headers.width));
    Put32(p + 22, static_cast<uint32_t>(headers.height));
    Put16(p + 26, headers.planes);
    Put16(p + 28, headers.bitCount);
    Put32(p + 30, headers.compression);
    Put32(p + 34, headers.imageSize);
    Put32(p + 38, static_cast<uint32_t>(headers.xPelsPerMeter));
    Put32(p + 42, static_cast<uint32_t>(headers.yPelsPerMeter));
    Put32(p + 46, headers.colorsUsed);
    Put32(p + 50, headers.colorsImportant);
    return bytes;
}

bool DecodeBitmapHeaders(const uint8_t* p, size_t length, BitmapHeaders& headers)
{
    if (!p || length < kBitmapHeadersSize)
        return false;
    headers.type = Get16(p + 0);
    headers.fileSize = Get32(p + 2);
    headers.reserved1 = Get16(p + 6);
    headers.reserved2 = Get16(p + 8);
    headers.pixelOffset = Get32(p + 10);
    headers.infoSize = Get32(p + 14);
    headers.width = static_cast<int32_t>(Get32(p + 18));
    headers.height = static_cast<int32_t>(Get32(p + 22));
    headers.planes = Get16(p + 26);
    headers.bitCount = Get16(p + 28);
    headers.compression = Get32(p + 30);
    headers.imageSize = Get32(p + 34);
    headers.xPelsPerMeter = static_cast<int32_t>(Get32(p + 38));
    headers.yPelsPerMeter = static_cast<int32_t>(Get32(p + 42));
    headers.colorsUsed = Get32(p + 46);
    headers.colorsImportant = Get32(p + 50);
    return true;
}

int64_t BitmapPixelBytes(const BitmapHeaders& headers)
{
    if (headers.width <= 0 || headers.bitCount == 0 || headers.bitCount > 32)
        return -1;
    const int64_t rowBytes = (static_cast<int64_t>(headers.width) * headers.bitCount + 31) / 32 * 4;
    const int64_t rows = headers.height < 0 ? -static_cast<int64_t>(headers.height) : headers.height;
    return rowBytes * rows;
}

bool IsSafeSnapshotFile(const BitmapHeaders& headers, uint64_t fileLength)
{
    if (headers.type != kBitmapSignature || headers.infoSize != kBitmapInfoHeaderSize || headers.planes != 1)
        return false;
    if (headers.compression != kBiRgb)
        return false;
    if (headers.bitCount != 16 && headers.bitCount != 24 && headers.bitCount != 32)
        return false;
    if (headers.width <= 0 || headers.height <= 0 || headers.width > kMaxBitmapSide ||
        headers.height > kMaxBitmapSide)
        return false;
    if (headers.colorsUsed != 0 || headers.pixelOffset < kBitmapHeadersSize)
        return false;
    const uint64_t pixelBytes = static_cast<uint64_t>(BitmapPixelBytes(headers));
    if (static_cast<uint64_t>(headers.pixelOffset) + pixelBytes > fileLength)
        return false;
    // The loader sizes its read from the declared sizes too.
    if (headers.imageSize != 0 && static_cast<uint64_t>(headers.pixelOffset) + headers.imageSize > fileLength)
        return false;
    return headers.fileSize <= fileLength;
}
