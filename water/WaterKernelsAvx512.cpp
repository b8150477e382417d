// AVX-512 row pieces: sixteen cells at a time. Lane masks cover the partial vectors at the
// ends of a chunk or a row, so no piece falls back to one cell at a time, and masked loads
// never touch memory outside the lanes they keep. As with AVX2, only these functions use the
// instructions, and WaterKernelOpsFor hands them out only when the processor has them.
#include "water/WaterKernels.h"

#if defined(__x86_64__) || defined(__i386__)
#if defined(__GNUC__) && !defined(__clang__)
// GCC 12 warns about the deliberately undefined vectors that its own AVX-512 header passes as
// unused operands.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#define AVX512_TARGET "avx2,avx512f,avx512bw"
#define AVX512_INLINE __attribute__((target(AVX512_TARGET), always_inline)) inline
#ifdef __i386__
// 32-bit Windows promises only a 4-byte aligned stack to the functions it calls.
#define AVX512_ENTRY __attribute__((target(AVX512_TARGET), force_align_arg_pointer))
#else
#define AVX512_ENTRY __attribute__((target(AVX512_TARGET)))
#endif

namespace {

// The lanes of `lanes` from p, 0 in the others.
AVX512_INLINE __m512i Load(__mmask16 lanes, const void* p)
{
    return _mm512_maskz_loadu_epi32(lanes, p);
}

// The first `count` lanes, all sixteen from 16 on.
AVX512_INLINE __mmask16 FirstLanes(ptrdiff_t count)
{
    return count >= 16 ? static_cast<__mmask16>(0xFFFF) : static_cast<__mmask16>((1u << count) - 1);
}

// Sixteen cells of the step from index i, in the lanes of `lanes`; 0 in the others.
AVX512_INLINE __m512i StepSixteen(const int32_t* d, const int32_t* n, ptrdiff_t i, ptrdiff_t w, __m128i shift,
                                  __mmask16 lanes)
{
    const int32_t* up = n + i - w;
    const int32_t* mid = n + i;
    const int32_t* down = n + i + w;
    const __m512i a = _mm512_add_epi32(_mm512_add_epi32(Load(lanes, up - 1), Load(lanes, up)), Load(lanes, up + 1));
    const __m512i b = _mm512_add_epi32(Load(lanes, mid - 1), Load(lanes, mid + 1));
    const __m512i c =
        _mm512_add_epi32(_mm512_add_epi32(Load(lanes, down - 1), Load(lanes, down)), Load(lanes, down + 1));
    const __m512i s = _mm512_add_epi32(_mm512_add_epi32(a, b), c);
    const __m512i v = _mm512_sub_epi32(_mm512_srai_epi32(s, 2), Load(lanes, d + i));
    return _mm512_sub_epi32(v, _mm512_sra_epi32(v, shift));
}

// Each pixel's three channels minus its shade, saturating, top byte cleared.
AVX512_INLINE __m512i Shade(__m512i pixels, __m512i dx)
{
    const __m512i s = _mm512_min_epi32(_mm512_max_epi32(dx, _mm512_set1_epi32(-255)), _mm512_set1_epi32(255));
    const __m512i darken = _mm512_max_epi32(s, _mm512_setzero_si512());
    const __m512i lighten = _mm512_sub_epi32(darken, s);
    // Byte 0 of every lane into bytes 0..2 of that lane.
    const __m512i spread =
        _mm512_broadcast_i32x4(_mm_setr_epi8(0, 0, 0, -1, 4, 4, 4, -1, 8, 8, 8, -1, 12, 12, 12, -1));
    __m512i r = _mm512_subs_epu8(pixels, _mm512_shuffle_epi8(darken, spread));
    r = _mm512_adds_epu8(r, _mm512_shuffle_epi8(lighten, spread));
    return _mm512_and_si512(r, _mm512_set1_epi32(0x00FFFFFF));
}

// The pixels of lanes `lanes` of the refraction from index i, into out[0..16).
AVX512_INLINE void RefractSixteen(const int32_t* heights, const uint32_t* source, uint32_t* out, ptrdiff_t i,
                                  ptrdiff_t w, __m512i widthV, __m512i cellsV, __mmask16 lanes)
{
    const __m512i h = Load(lanes, heights + i);
    const __m512i dx = _mm512_sub_epi32(h, Load(lanes, heights + i + 1));
    const __m512i dy = _mm512_sub_epi32(h, Load(lanes, heights + i + w));
    const __m512i kx = _mm512_srai_epi32(dx, 3);
    const __m512i ky = _mm512_srai_epi32(dy, 3);
    const __m512i moves = _mm512_or_si512(kx, ky);
    if (_mm512_test_epi32_mask(moves, moves) == 0) {
        // No pixel is displaced: the source lies right under the output.
        _mm512_mask_storeu_epi32(out, lanes, Shade(Load(lanes, source + i), dx));
        return;
    }
    const __m512i index = _mm512_add_epi32(_mm512_set1_epi32(static_cast<int32_t>(i)),
                                           _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
    const __m512i j = _mm512_add_epi32(index, _mm512_add_epi32(_mm512_mullo_epi32(ky, widthV), kx));
    const __mmask16 inside =
        _mm512_mask_cmpgt_epi32_mask(_mm512_mask_cmpgt_epi32_mask(lanes, j, _mm512_setzero_si512()), cellsV, j);
    const __m512i pixels = _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), inside, j, source, 4);
    _mm512_mask_storeu_epi32(out, inside, Shade(pixels, dx));
}

AVX512_ENTRY ChunkWater StepChunksAvx512(int32_t* destination, const int32_t* neighbours, ptrdiff_t width,
                                         ptrdiff_t rowStart, int32_t firstChunk, int32_t endChunk, int32_t shift)
{
    static_assert(kWaterChunkWidth == 32, "a chunk is two vectors");
    const __m128i shiftV = _mm_cvtsi32_si128(shift);
    ChunkWater water = {0, 0, 0};
    for (int32_t chunk = firstChunk; chunk < endChunk; ++chunk) {
        ptrdiff_t first;
        ptrdiff_t end;
        ChunkColumns(chunk, width, first, end);
        if (first >= end)
            continue;
        // Both vectors start at the chunk's first column; its border columns are masked off.
        const ptrdiff_t chunkFirst = static_cast<ptrdiff_t>(chunk) * kWaterChunkWidth;
        const uint32_t columns = static_cast<uint32_t>(((uint64_t{1} << (end - first)) - 1) << (first - chunkFirst));
        const __mmask16 low = static_cast<__mmask16>(columns);
        const __mmask16 high = static_cast<__mmask16>(columns >> 16);
        const ptrdiff_t i = rowStart + chunkFirst;
        for (ptrdiff_t line = 0; line < kWaterChunkWidth; line += 16) {
            PrefetchRowsAhead(destination + i + line, width);
            PrefetchRowsAhead(neighbours + i + line + width, width);
        }
        const __m512i left = StepSixteen(destination, neighbours, i, width, shiftV, low);
        const __m512i right = StepSixteen(destination, neighbours, i + 16, width, shiftV, high);
        _mm512_mask_storeu_epi32(destination + i, low, left);
        _mm512_mask_storeu_epi32(destination + i + 16, high, right);
        // Bit k: column k of the chunk holds water. Masked-off lanes are 0, so a border column
        // never counts as the chunk's first or last.
        const uint32_t wet = static_cast<uint32_t>(_mm512_test_epi32_mask(left, left)) |
                             static_cast<uint32_t>(_mm512_test_epi32_mask(right, right)) << 16;
        const uint64_t bit = uint64_t{1} << (chunk - firstChunk);
        water.any |= wet != 0 ? bit : 0;
        water.firstColumn |= (wet & 1u) != 0 ? bit : 0;
        water.lastColumn |= (wet >> 31) != 0 ? bit : 0;
    }
    return water;
}

AVX512_ENTRY void RefractAvx512(const int32_t* heights, const uint32_t* source, uint32_t* out,
                                ptrdiff_t outputRowStep, ptrdiff_t width, int32_t cells, ptrdiff_t first,
                                ptrdiff_t count)
{
    const __m512i widthV = _mm512_set1_epi32(static_cast<int32_t>(width));
    const __m512i cellsV = _mm512_set1_epi32(cells);
    for (ptrdiff_t k = 0; k < count; k += 16) {
        PrefetchRowsAhead(heights + first + k + width, width);
        PrefetchRowsAhead(source + first + k, width);
        PrefetchRowsAhead(out + k, outputRowStep);
    }
    for (ptrdiff_t k = 0; k < count; k += 16)
        RefractSixteen(heights, source, out + k, first + k, width, widthV, cellsV, FirstLanes(count - k));
}

AVX512_ENTRY void CopyFlatAvx512(const uint32_t* source, uint32_t* out, ptrdiff_t first, ptrdiff_t count)
{
    const __m512i mask = _mm512_set1_epi32(0x00FFFFFF);
    for (ptrdiff_t k = 0; k < count; k += 16) {
        const __mmask16 lanes = FirstLanes(count - k);
        _mm512_mask_storeu_epi32(out + k, lanes, _mm512_and_si512(Load(lanes, source + first + k), mask));
    }
}

} // namespace

const WaterKernelOps kAvx512WaterKernel = {StepChunksAvx512, RefractAvx512, CopyFlatAvx512};

#endif
