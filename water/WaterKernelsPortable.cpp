// Row pieces in plain C++ for processors without a vector kernel (and WebAssembly without
// SIMD). They skip calm water as the vector kernels do, one cell at a time.
#include "water/WaterKernels.h"

namespace {

ChunkWater StepChunksPortable(int32_t* destination, const int32_t* neighbours, ptrdiff_t width, ptrdiff_t rowStart,
                              int32_t firstChunk, int32_t endChunk, int32_t shift)
{
    const int32_t* up = neighbours + rowStart - width;
    const int32_t* level = neighbours + rowStart;
    const int32_t* down = neighbours + rowStart + width;
    int32_t* row = destination + rowStart;
    ChunkWater water = {0, 0, 0};
    for (int32_t chunk = firstChunk; chunk < endChunk; ++chunk) {
        ptrdiff_t first;
        ptrdiff_t end;
        ChunkColumns(chunk, width, first, end);
        if (first >= end)
            continue;
        // The sums of each column's three cells slide along the row, so that a cell reads three
        // new heights instead of eight. Wrapping sums may be taken in any order.
        int32_t leftColumn = WrapAdd(WrapAdd(up[first - 1], level[first - 1]), down[first - 1]);
        int32_t upHere = up[first];
        int32_t levelHere = level[first];
        int32_t downHere = down[first];
        int32_t any = 0;
        for (ptrdiff_t c = first; c < end; ++c) {
            const int32_t upNext = up[c + 1];
            const int32_t levelNext = level[c + 1];
            const int32_t downNext = down[c + 1];
            const int32_t rightColumn = WrapAdd(WrapAdd(upNext, levelNext), downNext);
            const int32_t sum = WrapAdd(WrapAdd(leftColumn, rightColumn), WrapAdd(upHere, downHere));
            row[c] = DampedCell(sum, row[c], shift);
            any |= row[c];
            leftColumn = WrapAdd(WrapAdd(upHere, levelHere), downHere);
            upHere = upNext;
            levelHere = levelNext;
            downHere = downNext;
        }
        NoteChunkWater(water, uint64_t{1} << (chunk - firstChunk), any != 0, row, chunk, first, end);
    }
    return water;
}

// Channel minus shade, clamped to 0..255, for every channel and shade: entry 255 + channel - shade.
// A load in place of two comparisons per channel made the refraction a quarter faster.
struct ClampTable {
    uint8_t value[3 * 255 + 1];
    constexpr ClampTable() : value()
    {
        for (int v = 0; v <= 3 * 255; ++v)
            value[v] = static_cast<uint8_t>(v < 255 ? 0 : (v > 2 * 255 ? 255 : v - 255));
    }
};
constexpr ClampTable kClamp;

inline uint32_t Shade(uint32_t pixel, int32_t shade)
{
    // Channels are 0..255, so shades beyond +-255 saturate exactly like +-255.
    const int32_t s = shade < -255 ? -255 : (shade > 255 ? 255 : shade);
    const uint8_t* clamp = kClamp.value + 255 - s;
    return uint32_t{clamp[(pixel >> 16) & 0xFFu]} << 16 | uint32_t{clamp[(pixel >> 8) & 0xFFu]} << 8 |
           clamp[pixel & 0xFFu];
}

void RefractPortable(const int32_t* heights, const uint32_t* source, uint32_t* out, ptrdiff_t, ptrdiff_t width,
                     int32_t cells, ptrdiff_t first, ptrdiff_t count)
{
    const int32_t w = static_cast<int32_t>(width);
    for (ptrdiff_t k = 0; k < count; ++k) {
        const ptrdiff_t i = first + k;
        const int32_t dx = WrapSub(heights[i], heights[i + 1]);
        const int32_t dy = WrapSub(heights[i], heights[i + width]);
        const int32_t j = WrapAdd(WrapAdd(static_cast<int32_t>(i), WrapMul(w, dy >> 3)), dx >> 3);
        if (j > 0 && j < cells)
            out[k] = Shade(source[j], dx);
    }
}

void CopyFlatPortable(const uint32_t* source, uint32_t* out, ptrdiff_t first, ptrdiff_t count)
{
    for (ptrdiff_t k = 0; k < count; ++k)
        out[k] = source[first + k] & 0x00FFFFFFu;
}

} // namespace

const WaterKernelOps kPortableWaterKernel = {StepChunksPortable, RefractPortable, CopyFlatPortable};
