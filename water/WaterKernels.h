#pragma once
#include <cstddef>
#include <cstdint>

#include "water/Int32Wrap.h"
#include "water/WaterReference.h"

// The arithmetic of `WaterField::Step` and `WaterField::Render` in six flavours that give
// the same results bit for bit: the plain reference, the portable one that skips calm water
// like the vector ones, SSE2, WebAssembly SIMD, AVX2 and AVX-512.
enum class WaterKernel { Reference, Portable, Sse2, Simd128, Avx2, Avx512 };

// Every kernel, from the plainest to the widest.
constexpr WaterKernel kAllWaterKernels[] = {WaterKernel::Reference, WaterKernel::Portable, WaterKernel::Sse2,
                                            WaterKernel::Simd128,   WaterKernel::Avx2,     WaterKernel::Avx512};

// Which vector kernels a build has. On x86 SSE2, AVX2 and AVX-512, each function marked for its
// instruction set and chosen when the processor runs it. In WebAssembly built with SIMD its own,
// which always runs there (the SSE2 one translated by the compiler ran 40% slower).
#if defined(__x86_64__) || defined(__i386__)
#define VELLUMAR_WATER_X86 1
#elif defined(__wasm_simd128__)
#define VELLUMAR_WATER_SIMD128 1
#endif

// The fastest kernel this processor can run.
WaterKernel BestWaterKernel();

// `wanted`, or the best kernel when this build or this processor cannot run it.
WaterKernel SupportedWaterKernel(WaterKernel wanted);

// The field is tracked in chunks of this many columns of one row: a chunk is either known to
// be zero or may hold water. Tests use it to place water on chunk edges.
constexpr int32_t kWaterChunkWidth = 32;

// What a row's chunks hold after a step, one bit per chunk: any water at all, water in the
// chunk's first column, water in its last column (the columns its neighbours read).
struct ChunkWater {
    uint64_t any;
    uint64_t firstColumn;
    uint64_t lastColumn;
};

// Row pieces of the two passes, written once per instruction set. Indices are linear cell
// indices (row * width + column); a piece never includes a border column.
struct WaterKernelOps {
    // Steps the interior columns of chunks firstChunk..endChunk - 1 (at most 64) of the row
    // starting at rowStart; bit k of the result describes chunk firstChunk + k.
    ChunkWater (*stepChunks)(int32_t* destination, const int32_t* neighbours, ptrdiff_t width,
                             ptrdiff_t rowStart, int32_t firstChunk, int32_t endChunk, int32_t shift);
    // Refracts the `count` pixels from index `first` through `heights` into out[0..count).
    // `outputRowStep` is how many pixels on from `out` the next row's output lies.
    void (*refract)(const int32_t* heights, const uint32_t* source, uint32_t* out, ptrdiff_t outputRowStep,
                    ptrdiff_t width, int32_t cells, ptrdiff_t first, ptrdiff_t count);
    // What refraction through flat water gives: the source pixels from index `first` with their
    // top byte cleared, into out[0..count).
    void (*copyFlat)(const uint32_t* source, uint32_t* out, ptrdiff_t first, ptrdiff_t count);
};

// The row pieces for `kernel`; null for the reference, which works on whole fields, and for a
// kernel this build does not have.
const WaterKernelOps* WaterKernelOpsFor(WaterKernel kernel);

extern const WaterKernelOps kPortableWaterKernel;
extern const WaterKernelOps kSse2WaterKernel;
extern const WaterKernelOps kSimd128WaterKernel;
extern const WaterKernelOps kAvx2WaterKernel;
extern const WaterKernelOps kAvx512WaterKernel;

// Interior columns of chunk `chunk` in a row of `width` cells: [first, end), possibly empty.
// When first or end is clipped, that edge of the chunk is a border column.
inline void ChunkColumns(int32_t chunk, ptrdiff_t width, ptrdiff_t& first, ptrdiff_t& end)
{
    first = static_cast<ptrdiff_t>(chunk) * kWaterChunkWidth;
    end = first + kWaterChunkWidth;
    if (first < 1)
        first = 1;
    if (end > width - 1)
        end = width - 1;
}

// Water moves little from one row to the next, so the rows a few rows on will need the
// same columns: asking for them now hides the memory's latency, which the skipped chunks
// would otherwise keep the processor's own prefetching from hiding. The address is formed
// as an integer: it may lie past the buffer, which a prefetch tolerates.
constexpr ptrdiff_t kPrefetchRows = 4;

template <typename Cell>
inline void PrefetchRowsAhead(const Cell* cell, ptrdiff_t rowStep)
{
    const uintptr_t ahead = reinterpret_cast<uintptr_t>(cell) + static_cast<uintptr_t>(kPrefetchRows * rowStep) * sizeof(Cell);
    __builtin_prefetch(reinterpret_cast<const void*>(ahead));
}

// Adds the chunk's bits for the cells just stepped in [rowStart + first, rowStart + end).
inline void NoteChunkWater(ChunkWater& water, uint64_t bit, bool any, const int32_t* row, int32_t chunk,
                           ptrdiff_t first, ptrdiff_t end)
{
    if (!any)
        return;
    water.any |= bit;
    const ptrdiff_t chunkFirst = static_cast<ptrdiff_t>(chunk) * kWaterChunkWidth;
    if (first == chunkFirst && row[first] != 0)
        water.firstColumn |= bit;
    if (end == chunkFirst + kWaterChunkWidth && row[end - 1] != 0)
        water.lastColumn |= bit;
}

// The step's arithmetic for one cell, given the wrapped sum of its eight neighbours; `shift`
// is already reduced to 0..31.
inline int32_t DampedCell(int32_t neighbourSum, int32_t previous, int32_t shift)
{
    const int32_t v = WrapSub(neighbourSum >> 2, previous);
    return v - (v >> shift);
}

// One cell of the propagation step.
inline int32_t StepCell(const int32_t* neighbours, int32_t previous, ptrdiff_t i, ptrdiff_t width,
                        int32_t shift)
{
    const int32_t* n = neighbours;
    int32_t s = n[i - width - 1];
    s = WrapAdd(s, n[i - width]);
    s = WrapAdd(s, n[i - width + 1]);
    s = WrapAdd(s, n[i - 1]);
    s = WrapAdd(s, n[i + 1]);
    s = WrapAdd(s, n[i + width - 1]);
    s = WrapAdd(s, n[i + width]);
    s = WrapAdd(s, n[i + width + 1]);
    return DampedCell(s, previous, shift);
}

// Pixel i of the refraction pass, into `out`.
inline void RefractPixel(const int32_t* heights, const uint32_t* source, uint32_t* out, ptrdiff_t i,
                         ptrdiff_t width, int32_t cells)
{
    const int32_t dx = WrapSub(heights[i], heights[i + 1]);
    const int32_t dy = WrapSub(heights[i], heights[i + width]);
    const int32_t w = static_cast<int32_t>(width);
    const int32_t j = WrapAdd(WrapAdd(static_cast<int32_t>(i), WrapMul(w, dy >> 3)), dx >> 3);
    if (j > 0 && j < cells)
        *out = ShadePixel(source[j], dx);
}
