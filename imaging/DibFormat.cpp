#include "imaging/DibFormat.h"

int32_t ColorsForBitCount(int32_t bitCount)
{
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

int32_t DibRowBytes(int32_t width, int32_t bitCount)
{
    const uint32_t bits = static_cast<uint32_t>(width) * static_cast<uint32_t>(bitCount) + 31u;
    return static_cast<int32_t>(bits & ~31u) / 8;
}
