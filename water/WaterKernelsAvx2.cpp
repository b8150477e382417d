// AVX2 row pieces. Only the functions marked for AVX2 use it, so the rest of the program
// still runs on processors without it; WaterKernelOpsFor hands these out only when the
// processor has AVX2.
#include "water/WaterKernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

#define AVX2_INLINE __attribute__((target("avx2"), always_inline)) inline
#ifdef __i386__
// 32-bit Windows promises only a 4-byte aligned stack to the functions it calls.
#define AVX2_ENTRY __attribute__((target("avx2"), force_align_arg_pointer))
#else
#define AVX2_ENTRY __attribute__((target("avx2")))
#endif

namespace {

AVX2_INLINE __m256i Load(const void* p)
{
    return _mm256_loadu_si256(static_cast<const __m256i*>(p));
}

AVX2_INLINE void Store(void* p, __m256i v)
{
    _mm256_storeu_si256(static_cast<__m256i*>(p), v);
}

// Eight cells of the step from index i.
AVX2_INLINE __m256i StepEight(const int32_t* d, const int32_t* n, ptrdiff_t i, ptrdiff_t w, __m128i shift)
{
    const int32_t* up = n + i - w;
    const int32_t* mid = n + i;
    const int32_t* down = n + i + w;
    const __m256i a = _mm256_add_epi32(_mm256_add_epi32(Load(up - 1), Load(up)), Load(up + 1));
    const __m256i b = _mm256_add_epi32(Load(mid - 1), Load(mid + 1));
    const __m256i c = _mm256_add_epi32(_mm256_add_epi32(Load(down - 1), Load(down)), Load(down + 1));
    const __m256i s = _mm256_add_epi32(_mm256_add_epi32(a, b), c);
    const __m256i v = _mm256_sub_epi32(_mm256_srai_epi32(s, 2), Load(d + i));
    return _mm256_sub_epi32(v, _mm256_sra_epi32(v, shift));
}

// Each pixel's three channels minus its shade, saturating, top byte cleared.
AVX2_INLINE __m256i Shade(__m256i pixels, __m256i dx)
{
    const __m256i s = _mm256_min_epi32(_mm256_max_epi32(dx, _mm256_set1_epi32(-255)), _mm256_set1_epi32(255));
    const __m256i darken = _mm256_max_epi32(s, _mm256_setzero_si256());
    const __m256i lighten = _mm256_sub_epi32(darken, s);
    // Byte 0 of every lane into bytes 0..2 of that lane.
    const __m256i spread = _mm256_setr_epi8(0, 0, 0, -1, 4, 4, 4, -1, 8, 8, 8, -1, 12, 12, 12, -1, 0, 0, 0, -1, 4,
                                            4, 4, -1, 8, 8, 8, -1, 12, 12, 12, -1);
    __m256i r = _mm256_subs_epu8(pixels, _mm256_shuffle_epi8(darken, spread));
    r = _mm256_adds_epu8(r, _mm256_shuffle_epi8(lighten, spread));
    return _mm256_and_si256(r, _mm256_set1_epi32(0x00FFFFFF));
}

// Eight pixels of the refraction from index i, into out[0..8).
AVX2_INLINE void RefractEight(const int32_t* heights, const uint32_t* source, uint32_t* out, ptrdiff_t i,
                              ptrdiff_t w, __m256i widthV, __m256i cellsV)
{
    const __m256i h = Load(heights + i);
    const __m256i dx = _mm256_sub_epi32(h, Load(heights + i + 1));
    const __m256i dy = _mm256_sub_epi32(h, Load(heights + i + w));
    const __m256i kx = _mm256_srai_epi32(dx, 3);
    const __m256i ky = _mm256_srai_epi32(dy, 3);
    const __m256i moves = _mm256_or_si256(kx, ky);
    if (_mm256_testz_si256(moves, moves)) {
        // No pixel is displaced: the source lies right under the output.
        Store(out, Shade(Load(source + i), dx));
        return;
    }
    const __m256i index = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int32_t>(i)),
                                           _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    const __m256i j = _mm256_add_epi32(index, _mm256_add_epi32(_mm256_mullo_epi32(ky, widthV), kx));
    const __m256i inside = _mm256_and_si256(_mm256_cmpgt_epi32(j, _mm256_setzero_si256()), _mm256_cmpgt_epi32(cellsV, j));
    const __m256i pixels = _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), reinterpret_cast<const int*>(source), j,
                                                       inside, 4);
    const __m256i shaded = Shade(pixels, dx);
    if (_mm256_movemask_epi8(inside) == -1)
        Store(out, shaded);
    else
        Store(out, _mm256_blendv_epi8(Load(out), shaded, inside));
}

AVX2_ENTRY ChunkWater StepChunksAvx2(int32_t* destination, const int32_t* neighbours, ptrdiff_t width,
                                     ptrdiff_t rowStart, int32_t firstChunk, int32_t endChunk, int32_t shift)
{
    const __m128i shiftV = _mm_cvtsi32_si128(shift);
    ChunkWater water = {0, 0, 0};
    for (int32_t chunk = firstChunk; chunk < endChunk; ++chunk) {
        ptrdiff_t first;
        ptrdiff_t end;
        ChunkColumns(chunk, width, first, end);
        ptrdiff_t i = rowStart + first;
        const ptrdiff_t stop = rowStart + end;
        __m256i any = _mm256_setzero_si256();
        for (ptrdiff_t line = i; line < stop; line += 16) {
            PrefetchRowsAhead(destination + line, width);
            PrefetchRowsAhead(neighbours + line + width, width);
        }
        for (; i + 8 <= stop; i += 8) {
            const __m256i cells = StepEight(destination, neighbours, i, width, shiftV);
            Store(destination + i, cells);
            any = _mm256_or_si256(any, cells);
        }
        int32_t anyTail = 0;
        for (; i < stop; ++i) {
            destination[i] = StepCell(neighbours, destination[i], i, width, shift);
            anyTail |= destination[i];
        }
        NoteChunkWater(water, uint64_t{1} << (chunk - firstChunk), !_mm256_testz_si256(any, any) || anyTail != 0, destination + rowStart,
                       chunk, first, end);
    }
    return water;
}

AVX2_ENTRY void RefractAvx2(const int32_t* heights, const uint32_t* source, uint32_t* out, ptrdiff_t outputRowStep,
                            ptrdiff_t width, int32_t cells, ptrdiff_t first, ptrdiff_t count)
{
    const __m256i widthV = _mm256_set1_epi32(static_cast<int32_t>(width));
    const __m256i cellsV = _mm256_set1_epi32(cells);
    for (ptrdiff_t k = 0; k < count; k += 16) {
        PrefetchRowsAhead(heights + first + k + width, width);
        PrefetchRowsAhead(source + first + k, width);
        PrefetchRowsAhead(out + k, outputRowStep);
    }
    ptrdiff_t k = 0;
    for (; k + 8 <= count; k += 8)
        RefractEight(heights, source, out + k, first + k, width, widthV, cellsV);
    for (; k < count; ++k)
        RefractPixel(heights, source, out + k, first + k, width, cells);
}

AVX2_ENTRY void CopyFlatAvx2(const uint32_t* source, uint32_t* out, ptrdiff_t first, ptrdiff_t count)
{
    const __m256i mask = _mm256_set1_epi32(0x00FFFFFF);
    ptrdiff_t k = 0;
    for (; k + 8 <= count; k += 8)
        Store(out + k, _mm256_and_si256(Load(source + first + k), mask));
    for (; k < count; ++k)
        out[k] = source[first + k] & 0x00FFFFFFu;
}

} // namespace

const WaterKernelOps kAvx2WaterKernel = {StepChunksAvx2, RefractAvx2, CopyFlatAvx2};

#endif
