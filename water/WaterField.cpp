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
    live[0].reset();
    live[1].reset();
    flatOutput.reset();
    width = 0;
    height = 0;
    chunksPerRow = 0;
    wordsPerRow = 0;
    ForgetOutput();
    pageHandedOut[0] = pageHandedOut[1] = false;
    liveStale[0] = liveStale[1] = false;
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
    const int32_t chunks = static_cast<int32_t>((static_cast<int64_t>(newWidth) + kWaterChunkWidth - 1) / kWaterChunkWidth);
    const int32_t words = (chunks + 63) / 64;
    const size_t trackingWords = static_cast<size_t>(words) * static_cast<size_t>(newHeight);
    try {
        pages[0].reset(new int32_t[static_cast<size_t>(cells)]());
        pages[1].reset(new int32_t[static_cast<size_t>(cells)]());
        // Both pages start flat: no chunk is live, and no output pixel is known yet.
        live[0].reset(new uint64_t[trackingWords]());
        live[1].reset(new uint64_t[trackingWords]());
        flatOutput.reset(new uint64_t[trackingWords]());
    } catch (const std::bad_alloc&) {
        Release();
        return;
    }
    width = newWidth;
    height = newHeight;
    chunksPerRow = chunks;
    wordsPerRow = words;
}

void WaterField::SetKernel(WaterKernel wanted)
{
    kernel = SupportedWaterKernel(wanted);
    ops = WaterKernelOpsFor(kernel);
    // The reference kernel keeps no tracking, so whatever was tracked may be out of date.
    liveStale[0] = liveStale[1] = true;
    ForgetOutput();
}

void WaterField::ForgetOutput()
{
    flatSource = nullptr;
    flatTarget = nullptr;
}

void WaterField::Step(int32_t page, int32_t shift)
{
    if (IsEmpty())
        return;
    if (!ops) {
        ReferenceStep(pages[page == 0 ? 0 : 1].get(), pages[page == 0 ? 1 : 0].get(), width, height, shift);
        return;
    }
    StepAndRefract(page, shift, nullptr, nullptr);
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
    int32_t* target = pages[page == 0 ? 0 : 1].get();
    if (firstRow < endRow && firstColumn < endColumn) {
        const int64_t firstChunk = (cx + firstColumn) / kWaterChunkWidth;
        const int64_t lastChunk = (cx + endColumn - 1) / kWaterChunkWidth;
        for (int64_t row = cy + firstRow; row < cy + endRow; ++row) {
            uint64_t* bits = LiveRow(page == 0 ? 0 : 1, static_cast<int32_t>(row));
            for (int64_t chunk = firstChunk; chunk <= lastChunk; ++chunk)
                bits[chunk / 64] |= uint64_t{1} << (chunk % 64);
        }
    }
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
    if (!IsEmpty()) {
        const bool draw = source && output;
        if (!ops) {
            if (draw)
                ReferenceRefract(pages[0].get(), source, output, width, height);
            ReferenceStep(pages[currentPage].get(), pages[currentPage ^ 1].get(), width, height, dampingShift);
        } else {
            if (draw && (source != flatSource || output != flatTarget)) {
                std::fill_n(flatOutput.get(), static_cast<size_t>(wordsPerRow) * height, uint64_t{0});
                flatSource = source;
                flatTarget = output;
            }
            StepAndRefract(currentPage, dampingShift, draw ? source : nullptr, draw ? output : nullptr);
        }
    }
    currentPage ^= 1;
}

namespace {

// Calls visit(first, end) for every run of set bits in `bits`, as bit positions.
template <typename Visit>
void ForEachRun(uint64_t bits, Visit visit)
{
    while (bits != 0) {
        const int first = __builtin_ctzll(bits);
        const uint64_t gaps = ~(bits >> first);
        const int end = gaps == 0 ? 64 : first + __builtin_ctzll(gaps);
        visit(first, end);
        if (end >= 64)
            break;
        bits &= ~uint64_t{0} << end;
    }
}

// The bits of word `word` that stand for chunks of the row.
uint64_t ChunkBits(int32_t word, int32_t chunksPerRow)
{
    const int32_t remaining = chunksPerRow - word * 64;
    return remaining >= 64 ? ~uint64_t{0} : (uint64_t{1} << remaining) - 1;
}

} // namespace

void WaterField::RebuildTracking(int index)
{
    const int32_t* cells = pages[index].get();
    for (int32_t row = 0; row < height; ++row) {
        uint64_t* bits = LiveRow(index, row);
        std::fill_n(bits, wordsPerRow, uint64_t{0});
        const int32_t* rowCells = cells + static_cast<size_t>(row) * width;
        for (int32_t chunk = 0; chunk < chunksPerRow; ++chunk) {
            const int32_t first = chunk * kWaterChunkWidth;
            const int32_t end = std::min(first + kWaterChunkWidth, width);
            int32_t any = 0;
            for (int32_t c = first; c < end; ++c)
                any |= rowCells[c];
            if (any != 0)
                bits[chunk / 64] |= uint64_t{1} << (chunk % 64);
        }
    }
    liveStale[index] = false;
}

// Refraction and step in one sweep over the rows, so that each row of heights is still in the
// cache when the second pass needs it. The step runs one row behind: when it writes page 0,
// row r - 1 of page 0 is no longer read by the refraction once row r is refracted.
void WaterField::StepAndRefract(int32_t page, int32_t shift, const uint32_t* source, uint32_t* output)
{
    for (int index = 0; index < 2; ++index) {
        if (pageHandedOut[index] || liveStale[index])
            RebuildTracking(index);
    }
    if (width < 3 || height < 3)
        return;
    const int destinationIndex = page == 0 ? 0 : 1;
    const int32_t maskedShift = shift & 31; // as the processor counts shifts
    for (int32_t row = 1; row < height - 1; ++row) {
        if (source)
            RefractRow(row, source, output);
        if (row >= 2)
            StepRow(row - 1, destinationIndex, maskedShift);
    }
    StepRow(height - 2, destinationIndex, maskedShift);
}

void WaterField::RefractRow(int32_t row, const uint32_t* source, uint32_t* output)
{
    const uint64_t* here = LiveRow(0, row);
    const uint64_t* above = LiveRow(0, row + 1);
    uint64_t* flat = flatOutput.get() + static_cast<size_t>(row) * wordsPerRow;
    const ptrdiff_t rowStart = static_cast<ptrdiff_t>(row) * width;
    const int32_t cells = width * height;
    const int32_t* heights = pages[0].get();
    for (int32_t word = 0; word < wordsPerRow; ++word) {
        const uint64_t valid = ChunkBits(word, chunksPerRow);
        const uint64_t wet = here[word] | above[word];
        const uint64_t wetNext = word + 1 < wordsPerRow ? here[word + 1] | above[word + 1] : 0;
        // A pixel also reads the height to its right, which may lie in the next chunk.
        const uint64_t refract = (wet | wet >> 1 | wetNext << 63) & valid;
        const uint64_t copy = ~refract & ~flat[word] & valid;
        flat[word] = ~refract & valid;
        const int32_t base = word * 64;
        ForEachRun(refract, [&](int first, int end) {
            ptrdiff_t from, unused, to;
            ChunkColumns(base + first, width, from, unused);
            ChunkColumns(base + end - 1, width, unused, to);
            if (from < to)
                ops->refract(heights, source, output, width, cells, rowStart + from, to - from);
        });
        ForEachRun(copy, [&](int first, int end) {
            ptrdiff_t from, unused, to;
            ChunkColumns(base + first, width, from, unused);
            ChunkColumns(base + end - 1, width, unused, to);
            if (from < to)
                ops->copyFlat(source, output, rowStart + from, to - from);
        });
    }
}

void WaterField::StepRow(int32_t row, int destinationIndex, int32_t shift)
{
    const int neighbourIndex = destinationIndex ^ 1;
    uint64_t* bits = LiveRow(destinationIndex, row);
    const uint64_t* below = LiveRow(neighbourIndex, row - 1);
    const uint64_t* level = LiveRow(neighbourIndex, row);
    const uint64_t* above = LiveRow(neighbourIndex, row + 1);
    const auto wet = [&](int32_t word) {
        return word >= 0 && word < wordsPerRow ? below[word] | level[word] | above[word] : 0;
    };
    int32_t* destination = pages[destinationIndex].get();
    const int32_t* neighbours = pages[neighbourIndex].get();
    const ptrdiff_t rowStart = static_cast<ptrdiff_t>(row) * width;
    for (int32_t word = 0; word < wordsPerRow; ++word) {
        // A cell reads the neighbour page one column to either side, across chunk edges.
        const uint64_t near = wet(word);
        const uint64_t spread = near | near << 1 | near >> 1 | wet(word - 1) >> 63 | wet(word + 1) << 63;
        const uint64_t work = (bits[word] | spread) & ChunkBits(word, chunksPerRow);
        uint64_t result = 0;
        ForEachRun(work, [&](int first, int end) {
            result |= ops->stepChunks(destination, neighbours, width, rowStart, word * 64 + first, word * 64 + end, shift)
                      << first;
        });
        // Border cells are not stepped; they can hold water only when written through Page(),
        // and such a page has its bits rebuilt from its data before every step.
        bits[word] = result;
    }
}
