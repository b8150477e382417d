#pragma once
#include <cstddef>
#include <cstdint>

// The saver's pixel buffers and height pages hold their rows bottom-up (memory row 0 is the
// bottom row on screen), as device-independent bitmaps do; screens, X images, canvases and most
// picture files hold them top-down.
enum class RowOrder { BottomUp, TopDown };

// Row `row` of a buffer of `height` rows, counted in the other order.
constexpr int32_t FlippedRow(int32_t row, int32_t height)
{
    return height - 1 - row;
}

// Where row `row`, counted in the other order, starts in a buffer of `height` rows of `width`
// pixels: screen row `top` in a bottom-up buffer, memory row `row` in a top-down one.
constexpr size_t FlippedRowStart(int32_t row, int32_t width, int32_t height)
{
    return static_cast<size_t>(FlippedRow(row, height)) * static_cast<size_t>(width);
}
