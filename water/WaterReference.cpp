#include "water/WaterReference.h"

#include <cstddef>

#include "water/Int32Wrap.h"

void ReferenceStep(int32_t* destination, const int32_t* neighbours, int32_t width, int32_t height,
                   int32_t dampingShift)
{
    if (width < 3 || height < 3)
        return;
    const int64_t w = width;
    // The processor masks shift counts to five bits; doing so here keeps odd counts defined.
    const int32_t shift = dampingShift & 31;
    for (int64_t r = 1; r < height - 1; ++r) {
        for (int64_t c = 1; c < width - 1; ++c) {
            const int64_t i = r * w + c;
            const int32_t* n = neighbours;
            int32_t s = n[i - w - 1];
            s = WrapAdd(s, n[i - w]);
            s = WrapAdd(s, n[i - w + 1]);
            s = WrapAdd(s, n[i - 1]);
            s = WrapAdd(s, n[i + 1]);
            s = WrapAdd(s, n[i + w - 1]);
            s = WrapAdd(s, n[i + w]);
            s = WrapAdd(s, n[i + w + 1]);
            const int32_t v = WrapSub(s >> 2, destination[i]);
            // v >> shift lies between 0 and v, so this difference cannot overflow.
            destination[i] = v - (v >> shift);
        }
    }
}

void ReferenceRefract(const int32_t* heights, const uint32_t* source, uint32_t* output, int32_t width,
                      int32_t height, RowOrder order)
{
    if (width < 3 || height < 3)
        return;
    const int32_t count = width * height;
    for (int32_t r = 1; r < height - 1; ++r) {
        const int32_t outputRow = order == RowOrder::TopDown ? FlippedRow(r, height) : r;
        uint32_t* out = output + static_cast<size_t>(outputRow) * static_cast<size_t>(width);
        for (int32_t c = 1; c < width - 1; ++c) {
            const int32_t i = r * width + c;
            const int32_t dx = WrapSub(heights[i], heights[i + 1]);
            const int32_t dy = WrapSub(heights[i], heights[i + width]);
            const int32_t j = WrapAdd(WrapAdd(i, WrapMul(width, dy >> 3)), dx >> 3);
            if (j > 0 && j < count)
                out[c] = ShadePixel(source[j], dx);
        }
    }
}
