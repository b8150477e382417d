#include "water/WaterField.h"

#include <algorithm>
#include <limits>
#include <new>

#include "water/DropRandom.h"
#include "water/Int32Wrap.h"
#include "water/WaterReference.h"

namespace {

// A random coordinate for a drop of `radius` that keeps clear of the border when the
// field is wide enough. The draw is always taken, so the generator advances the same way
// whatever the field's size; a field too narrow for the disc gets the first interior
// position the formula can give instead of a division by zero.
int64_t RandomDropCoordinate(int32_t extent, int32_t radius)
{
    const int64_t modulus = static_cast<int64_t>(extent) - 2 * static_cast<int64_t>(radius) - 1;
    const int64_t draw = DropRandom::Next();
    const int64_t offset = modulus > 0 ? draw % modulus : 0;
    return offset + radius + 1;
}

} // namespace

WaterField::WaterField() = default;

WaterField::~WaterField() = default;

void WaterField::Release()
{
    pages[0].reset();
    pages[1].reset();
    width = 0;
    height = 0;
}

void WaterField::Create(int32_t newWidth, int32_t newHeight)
{
    Release();
    currentPage = 0;
    if (newWidth <= 0 || newHeight <= 0)
        return;
    const int64_t cells = static_cast<int64_t>(newWidth) * newHeight;
    // Indices are 32-bit signed arithmetic, so the whole page must be addressable with them.
    if (cells > std::numeric_limits<int32_t>::max())
        return;
    try {
        pages[0].reset(new int32_t[static_cast<size_t>(cells)]());
        pages[1].reset(new int32_t[static_cast<size_t>(cells)]());
    } catch (const std::bad_alloc&) {
        Release();
        return;
    }
    width = newWidth;
    height = newHeight;
}

void WaterField::Step(int32_t page, int32_t shift)
{
    if (IsEmpty())
        return;
    ReferenceStep(Page(page), Page(page == 0 ? 1 : 0), width, height, shift);
}

void WaterField::AddDrop(int32_t x, int32_t y, int32_t radius, int32_t amount, int32_t page)
{
    // Bounds and squares in 64 bits: positions and radii come from outside the field.
    int64_t cx = x;
    int64_t cy = y;
    if (cx < 0)
        cx = RandomDropCoordinate(width, radius);
    if (cy < 0)
        cy = RandomDropCoordinate(height, radius);
    if (IsEmpty())
        return;

    const int64_t r = radius;
    const int64_t firstRow = std::max(-r, 1 - cy);
    const int64_t endRow = std::min(r, height - 1 - cy);
    const int64_t firstColumn = std::max(-r, 1 - cx);
    const int64_t endColumn = std::min(r, width - 1 - cx);
    int32_t* target = Page(page);
    for (int64_t i = firstRow; i < endRow; ++i) {
        for (int64_t j = firstColumn; j < endColumn; ++j) {
            if (i * i + j * j < r * r) {
                int32_t& cell = target[(cy + i) * width + (cx + j)];
                cell = WrapAdd(cell, amount);
            }
        }
    }
}

void WaterField::Render(const uint32_t* source, uint32_t* output)
{
    if (!IsEmpty() && source && output)
        ReferenceRefract(Page(0), source, output, width, height);
    Step(currentPage, dampingShift);
    currentPage ^= 1;
}
