// WebAssembly SIMD row pieces, written for its instructions: a multiply of 32-bit lanes, lane
// extraction for the gather, saturating narrowings and one byte shuffle for the shading, where
// the SSE2 kernel translated would take several, and column sums that slide along the row.
#include "water/WaterKernels.h"

#if defined(VELLUMAR_WATER_SIMD128)
#include <wasm_simd128.h>

namespace {

inline v128_t Load(const void* p)
{
    return wasm_v128_load(p);
}

inline void Store(void* p, v128_t v)
{
    wasm_v128_store(p, v);
}

// The sums of the three cells of the columns from index i to i + 3: the row above, this one and
// the row below.
inline v128_t ColumnSums(const int32_t* n, ptrdiff_t i, ptrdiff_t w)
{
    return wasm_i32x4_add(wasm_i32x4_add(Load(n + i - w), Load(n + i)), Load(n + i + w));
}

// The step's damping; the saver's shift is a constant here, which the engine turns into an
// immediate shift, any other is taken from `shift`.
template <int kShift>
inline v128_t Damped(v128_t neighbourSums, v128_t previous, int32_t shift)
{
    const v128_t v = wasm_i32x4_sub(wasm_i32x4_shr(neighbourSums, 2), previous);
    return wasm_i32x4_sub(v, wasm_i32x4_shr(v, kShift >= 0 ? kShift : shift));
}

// Each pixel's three channels minus its shade, saturating, top byte cleared.
inline v128_t Shade(v128_t pixels, v128_t dx)
{
    // Saturating to 16 bits keeps the sign and every value beyond +-255 beyond it; saturating
    // to unsigned bytes then gives the darkening, 0..255, and of the negated shade the lightening.
    const v128_t s = wasm_i16x8_narrow_i32x4(dx, dx);
    const v128_t negated = wasm_i16x8_sub_sat(wasm_i16x8_splat(0), s);
    // Bytes 0-3 the four pixels' darkening, bytes 8-11 their lightening.
    const v128_t bytes = wasm_u8x16_narrow_i16x8(s, negated);
    const v128_t down = wasm_i8x16_shuffle(bytes, bytes, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3);
    const v128_t up = wasm_i8x16_shuffle(bytes, bytes, 8, 8, 8, 8, 9, 9, 9, 9, 10, 10, 10, 10, 11, 11, 11, 11);
    return wasm_v128_and(wasm_u8x16_add_sat(wasm_u8x16_sub_sat(pixels, down), up), wasm_i32x4_splat(0x00FFFFFF));
}

// Four pixels of the refraction from index i, into out[0..4).
inline void RefractFour(const int32_t* heights, const uint32_t* source, uint32_t* out, ptrdiff_t i, ptrdiff_t w,
                        v128_t widthV, v128_t cellsV)
{
    const v128_t h = Load(heights + i);
    const v128_t dx = wasm_i32x4_sub(h, Load(heights + i + 1));
    const v128_t dy = wasm_i32x4_sub(h, Load(heights + i + w));
    const v128_t kx = wasm_i32x4_shr(dx, 3);
    const v128_t ky = wasm_i32x4_shr(dy, 3);
    if (!wasm_v128_any_true(wasm_v128_or(kx, ky))) {
        // No pixel is displaced: the source lies right under the output.
        Store(out, Shade(Load(source + i), dx));
        return;
    }
    const v128_t index = wasm_i32x4_add(wasm_i32x4_splat(static_cast<int32_t>(i)), wasm_i32x4_make(0, 1, 2, 3));
    const v128_t j = wasm_i32x4_add(index, wasm_i32x4_add(wasm_i32x4_mul(ky, widthV), kx));
    const v128_t inside = wasm_v128_and(wasm_i32x4_gt(j, wasm_i32x4_splat(0)), wasm_i32x4_gt(cellsV, j));
    const int32_t j0 = wasm_i32x4_extract_lane(j, 0);
    const int32_t j1 = wasm_i32x4_extract_lane(j, 1);
    const int32_t j2 = wasm_i32x4_extract_lane(j, 2);
    const int32_t j3 = wasm_i32x4_extract_lane(j, 3);
    if (wasm_i32x4_all_true(inside)) {
        Store(out, Shade(wasm_u32x4_make(source[j0], source[j1], source[j2], source[j3]), dx));
        return;
    }
    const v128_t fetched = wasm_u32x4_make(wasm_i32x4_extract_lane(inside, 0) ? source[j0] : 0,
                                           wasm_i32x4_extract_lane(inside, 1) ? source[j1] : 0,
                                           wasm_i32x4_extract_lane(inside, 2) ? source[j2] : 0,
                                           wasm_i32x4_extract_lane(inside, 3) ? source[j3] : 0);
    Store(out, wasm_v128_bitselect(Shade(fetched, dx), Load(out), inside));
}

template <int kShift>
ChunkWater StepChunks(int32_t* destination, const int32_t* neighbours, ptrdiff_t width, ptrdiff_t rowStart,
                      int32_t firstChunk, int32_t endChunk, int32_t shift)
{
    ChunkWater water = {0, 0, 0};
    for (int32_t chunk = firstChunk; chunk < endChunk; ++chunk) {
        ptrdiff_t first;
        ptrdiff_t end;
        ChunkColumns(chunk, width, first, end);
        ptrdiff_t i = rowStart + first;
        const ptrdiff_t stop = rowStart + end;
        v128_t any = wasm_i32x4_splat(0);
        if (i + 4 <= stop) {
            // Column sums slide along the row: four cells read four new columns, their left and
            // right neighbours' sums come from the neighbouring groups. Wrapping sums may be taken
            // in any order. Reads stay inside the row: ahead only while a whole group follows.
            v128_t left = ColumnSums(neighbours, i - 1, width);
            v128_t here = ColumnSums(neighbours, i, width);
            for (; i + 4 <= stop; i += 4) {
                v128_t next = here;
                v128_t right;
                if (i + 8 <= stop) {
                    next = ColumnSums(neighbours, i + 4, width);
                    right = wasm_i32x4_shuffle(here, next, 1, 2, 3, 4);
                } else {
                    right = ColumnSums(neighbours, i + 1, width);
                }
                // The centre's own column counts without the centre.
                const v128_t sums =
                    wasm_i32x4_sub(wasm_i32x4_add(wasm_i32x4_add(left, right), here), Load(neighbours + i));
                const v128_t cells = Damped<kShift>(sums, Load(destination + i), shift);
                Store(destination + i, cells);
                any = wasm_v128_or(any, cells);
                left = wasm_i32x4_shuffle(here, next, 3, 4, 5, 6);
                here = next;
            }
        }
        int32_t anyTail = 0;
        for (; i < stop; ++i) {
            destination[i] = StepCell(neighbours, destination[i], i, width, shift);
            anyTail |= destination[i];
        }
        NoteChunkWater(water, uint64_t{1} << (chunk - firstChunk), wasm_v128_any_true(any) || anyTail != 0,
                       destination + rowStart, chunk, first, end);
    }
    return water;
}

constexpr int32_t kSaverShift = 5;

ChunkWater StepChunksSimd128(int32_t* destination, const int32_t* neighbours, ptrdiff_t width, ptrdiff_t rowStart,
                             int32_t firstChunk, int32_t endChunk, int32_t shift)
{
    if (shift == kSaverShift)
        return StepChunks<kSaverShift>(destination, neighbours, width, rowStart, firstChunk, endChunk, shift);
    return StepChunks<-1>(destination, neighbours, width, rowStart, firstChunk, endChunk, shift);
}

void RefractSimd128(const int32_t* heights, const uint32_t* source, uint32_t* out, ptrdiff_t, ptrdiff_t width,
                    int32_t cells, ptrdiff_t first, ptrdiff_t count)
{
    const v128_t widthV = wasm_i32x4_splat(static_cast<int32_t>(width));
    const v128_t cellsV = wasm_i32x4_splat(cells);
    ptrdiff_t k = 0;
    for (; k + 4 <= count; k += 4)
        RefractFour(heights, source, out + k, first + k, width, widthV, cellsV);
    for (; k < count; ++k)
        RefractPixel(heights, source, out + k, first + k, width, cells);
}

void CopyFlatSimd128(const uint32_t* source, uint32_t* out, ptrdiff_t first, ptrdiff_t count)
{
    const v128_t mask = wasm_i32x4_splat(0x00FFFFFF);
    ptrdiff_t k = 0;
    for (; k + 4 <= count; k += 4)
        Store(out + k, wasm_v128_and(Load(source + first + k), mask));
    for (; k < count; ++k)
        out[k] = source[first + k] & 0x00FFFFFFu;
}

} // namespace

const WaterKernelOps kSimd128WaterKernel = {StepChunksSimd128, RefractSimd128, CopyFlatSimd128};

#endif
