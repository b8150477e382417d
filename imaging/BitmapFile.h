#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

// The Windows bitmap file layout the saver writes and reads: a 14-byte file header and a
// 40-byte information header, little-endian, with the pixel rows right after them.

constexpr size_t kBitmapFileHeaderSize = 14;
constexpr size_t kBitmapInfoHeaderSize = 40;
constexpr size_t kBitmapHeadersSize = kBitmapFileHeaderSize + kBitmapInfoHeaderSize;
constexpr uint16_t kBitmapSignature = 0x4D42; // "BM"
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;

// The largest side the saver and its tools accept in a bitmap file.
constexpr int32_t kMaxBitmapSide = 16384;

struct BitmapHeaders {
    uint16_t type = kBitmapSignature;
    uint32_t fileSize = 0;
    uint16_t reserved1 = 0;
    uint16_t reserved2 = 0;
    uint32_t pixelOffset = kBitmapHeadersSize;
    uint32_t infoSize = kBitmapInfoHeaderSize;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 1;
    uint16_t bitCount = 0;
    uint32_t compression = kBiRgb;
    uint32_t imageSize = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t colorsUsed = 0;
    uint32_t colorsImportant = 0;
};

// Headers of an uncompressed, bottom-up file with no colour table: pixel data at offset 54,
// rows of DibRowBytes(width, bitCount) bytes, file size 54 + image size. The sizes are
// 32-bit fields; callers keep width, height and depth within what those can describe.
BitmapHeaders MakeBitmapHeaders(int32_t width, int32_t height, int32_t bitCount);

std::array<uint8_t, kBitmapHeadersSize> EncodeBitmapHeaders(const BitmapHeaders& headers);

// Reads the two headers from the first 54 bytes; false when there are fewer.
bool DecodeBitmapHeaders(const uint8_t* bytes, size_t length, BitmapHeaders& headers);

// Bytes of pixel data the headers describe (row bytes times the absolute height), computed
// in 64 bits so that hostile sizes cannot wrap; -1 when width or depth make no sense.
int64_t BitmapPixelBytes(const BitmapHeaders& headers);

// Whether a file of `fileLength` bytes that starts with `headers` is one the saver could
// have written as its snapshot, and whose pixels lie wholly inside the file: the platform's
// loader trusts offsets and sizes and must never be handed anything else.
bool IsSafeSnapshotFile(const BitmapHeaders& headers, uint64_t fileLength);
