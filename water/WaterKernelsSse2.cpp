// SSE2 row pieces: the baseline of every x86-64 processor, and of the 32-bit processors the
// saver supports. Marked per function so that the 32-bit program itself needs no SSE2.
#include "water/WaterKernels.h"

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>

#define SSE2_INLINE __attribute__((target("sse2"), always_inline)) inline
#ifdef __i386__
// 32-bit Windows promises only a 4-byte aligned stack to the functions it calls.
#define SSE2_ENTRY __attribute__((target("sse2"), force_align_arg_pointer))
#else
#define SSE2_ENTRY __attribute__((target("sse2")))
#endif

namespace {

SSE2_INLINE __m128i Load(const void* p)
{
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
}

SSE2_INLINE void Store(void* p, __m128i v)
{
    _mm_storeu_si128(static_cast<__m128i*>(p), v);
}

SSE2_INLINE bool AllZero(__m128i v)
{
    return _mm_movemask_epi8(_mm_cmpeq_epi32(v, _mm_setzero_si128())) == 0xFFFF;
}

// Four cells of the step from index i.
SSE2_INLINE __m128i StepFour(const int32_t* d, const int32_t* n, ptrdiff_t i, ptrdiff_t w, __m128i shift)
{
    const int32_t* up = n + i - w;
    const int32_t* mid = n + i;
    const int32_t* down = n + i + w;
    const __m128i a = _mm_add_epi32(_mm_add_epi32(Load(up - 1), Load(up)), Load(up + 1));
    const __m128i b = _mm_add_epi32(Load(mid - 1), Load(mid + 1));
    const __m128i c = _mm_add_epi32(_mm_add_epi32(Load(down - 1), Load(down)), Load(down + 1));
    const __m128i s = _mm_add_epi32(_mm_add_epi32(a, b), c);
    const __m128i v = _mm_sub_epi32(_mm_srai_epi32(s, 2), Load(d + i));
    return _mm_sub_epi32(v, _mm_sra_epi32(v, shift));
}

// Byte 0 of each 32-bit lane (a value 0..255) repeated over the lane's four bytes, from the
// lanes' 16-bit copies.
SSE2_INLINE __m128i SpreadBytes(__m128i words)
{
    const __m128i bytes = _mm_packus_epi16(words, words);
    const __m128i pairs = _mm_unpacklo_epi8(bytes, bytes);
    return _mm_unpacklo_epi16(pairs, pairs);
}

// Each pixel's three channels minus its shade, saturating, top byte cleared.
SSE2_INLINE __m128i Shade(__m128i pixels, __m128i dx)
{
    // Saturating to 16 bits keeps the sign and every value beyond +-255 beyond it.
    __m128i s = _mm_packs_epi32(dx, dx);
    s = _mm_min_epi16(_mm_max_epi16(s, _mm_set1_epi16(-255)), _mm_set1_epi16(255));
    const __m128i darken = _mm_max_epi16(s, _mm_setzero_si128());
    const __m128i lighten = _mm_sub_epi16(darken, s);
    __m128i r = _mm_subs_epu8(pixels, SpreadBytes(darken));
    r = _mm_adds_epu8(r, SpreadBytes(lighten));
    return _mm_and_si128(r, _mm_set1_epi32(0x00FFFFFF));
}

// The low 32 bits of each lane's product, which are the same for signed and unsigned values.
SSE2_INLINE __m128i MultiplyLow(__m128i a, __m128i b)
{
    const __m128i even = _mm_mul_epu32(a, b);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                              _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

// Four pixels of the refraction from index i, into out[0..4).
SSE2_INLINE void RefractFour(const int32_t* heights, const uint32_t* source, uint32_t* out, ptrdiff_t i,
                             ptrdiff_t w, __m128i widthV, __m128i cellsV)
{
    const __m128i h = Load(heights + i);
    const __m128i dx = _mm_sub_epi32(h, Load(heights + i + 1));
    const __m128i dy = _mm_sub_epi32(h, Load(heights + i + w));
    const __m128i kx = _mm_srai_epi32(dx, 3);
    const __m128i ky = _mm_srai_epi32(dy, 3);
    if (AllZero(_mm_or_si128(kx, ky))) {
        // No pixel is displaced: the source lies right under the output.
        Store(out, Shade(Load(source + i), dx));
        return;
    }
    const __m128i index = _mm_add_epi32(_mm_set1_epi32(static_cast<int32_t>(i)), _mm_setr_epi32(0, 1, 2, 3));
    const __m128i j = _mm_add_epi32(index, _mm_add_epi32(MultiplyLow(ky, widthV), kx));
    const __m128i inside = _mm_and_si128(_mm_cmpgt_epi32(j, _mm_setzero_si128()), _mm_cmpgt_epi32(cellsV, j));
    alignas(16) int32_t at[4];
    alignas(16) int32_t ok[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(at), j);
    _mm_store_si128(reinterpret_cast<__m128i*>(ok), inside);
    alignas(16) uint32_t fetched[4];
    for (int lane = 0; lane < 4; ++lane)
        fetched[lane] = ok[lane] ? source[at[lane]] : 0;
    const __m128i shaded = Shade(_mm_load_si128(reinterpret_cast<const __m128i*>(fetched)), dx);
    if (_mm_movemask_epi8(inside) == 0xFFFF)
        Store(out, shaded);
    else
        Store(out, _mm_or_si128(_mm_and_si128(inside, shaded), _mm_andnot_si128(inside, Load(out))));
}

SSE2_ENTRY ChunkWater StepChunksSse2(int32_t* destination, const int32_t* neighbours, ptrdiff_t width,
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
        __m128i any = _mm_setzero_si128();
        for (ptrdiff_t line = i; line < stop; line += 16) {
            PrefetchRowsAhead(destination + line, width);
            PrefetchRowsAhead(neighbours + line + width, width);
        }
        for (; i + 4 <= stop; i += 4) {
            const __m128i cells = StepFour(destination, neighbours, i, width, shiftV);
            Store(destination + i, cells);
            any = _mm_or_si128(any, cells);
        }
        int32_t anyTail = 0;
        for (; i < stop; ++i) {
            destination[i] = StepCell(neighbours, destination[i], i, width, shift);
            anyTail |= destination[i];
        }
        NoteChunkWater(water, uint64_t{1} << (chunk - firstChunk), !AllZero(any) || anyTail != 0, destination + rowStart,
                       chunk, first, end);
    }
    return water;
}

SSE2_ENTRY void RefractSse2(const int32_t* heights, const uint32_t* source, uint32_t* out, ptrdiff_t outputRowStep,
                            ptrdiff_t width, int32_t cells, ptrdiff_t first, ptrdiff_t count)
{
    const __m128i widthV = _mm_set1_epi32(static_cast<int32_t>(width));
    const __m128i cellsV = _mm_set1_epi32(cells);
    for (ptrdiff_t k = 0; k < count; k += 16) {
        PrefetchRowsAhead(heights + first + k + width, width);
        PrefetchRowsAhead(source + first + k, width);
        PrefetchRowsAhead(out + k, outputRowStep);
    }
    ptrdiff_t k = 0;
    for (; k + 4 <= count; k += 4)
        RefractFour(heights, source, out + k, first + k, width, widthV, cellsV);
    for (; k < count; ++k)
        RefractPixel(heights, source, out + k, first + k, width, cells);
}

SSE2_ENTRY void CopyFlatSse2(const uint32_t* source, uint32_t* out, ptrdiff_t first, ptrdiff_t count)
{
    const __m128i mask = _mm_set1_epi32(0x00FFFFFF);
    ptrdiff_t k = 0;
    for (; k + 4 <= count; k += 4)
        Store(out + k, _mm_and_si128(Load(source + first + k), mask));
    for (; k < count; ++k)
        out[k] = source[first + k] & 0x00FFFFFFu;
}

} // namespace

const WaterKernelOps kSse2WaterKernel = {StepChunksSse2, RefractSse2, CopyFlatSse2};

#endif
