#include "water/WaterField.h"

#include <algorithm>
#include <limits>
#include <new>

#include "water/DropRandom.h"
#include "water/LargePages.h"
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
    water[0].reset();
    water[1].reset();
    flatOutput.reset();
    width = 0;
    height = 0;
    chunksPerRow = 0;
    wordsPerRow = 0;
    ForgetOutput();
    pageHandedOut[0] = pageHandedOut[1] = false;
    waterStale[0] = waterStale[1] = false;
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
    // Without exceptions (WebAssembly) a failed allocation must come back as null, not throw.
    const size_t cellCount = static_cast<size_t>(cells);
    pages[0].reset(new (std::nothrow) int32_t[cellCount]);
    pages[1].reset(new (std::nothrow) int32_t[cellCount]);
    // Both pages start flat: no chunk holds water, and no output pixel is known yet.
    water[0].reset(new (std::nothrow) uint64_t[3 * trackingWords]());
    water[1].reset(new (std::nothrow) uint64_t[3 * trackingWords]());
    flatOutput.reset(new (std::nothrow) uint64_t[trackingWords]());
    if (!pages[0] || !pages[1] || !water[0] || !water[1] || !flatOutput) {
        Release();
        return;
    }
    // Every frame runs through both pages after other programs have had the cache.
    for (auto& page : pages) {
        AskForLargePages(page.get(), cellCount * sizeof(int32_t));
        std::fill_n(page.get(), cellCount, 0);
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
    waterStale[0] = waterStale[1] = true;
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
    StepAndRefract(page, shift, nullptr, nullptr, RowOrder::BottomUp);
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
        // Every chunk the disc's box touches may hold water now, in any of its columns.
        const int64_t firstChunk = (cx + firstColumn) / kWaterChunkWidth;
        const int64_t lastChunk = (cx + endColumn - 1) / kWaterChunkWidth;
        for (int64_t row = cy + firstRow; row < cy + endRow; ++row) {
            uint64_t* bits = WaterRow(page == 0 ? 0 : 1, static_cast<int32_t>(row));
            for (int64_t chunk = firstChunk; chunk <= lastChunk; ++chunk) {
                for (int kind = 0; kind < 3; ++kind)
                    bits[kind * wordsPerRow + chunk / 64] |= uint64_t{1} << (chunk % 64);
            }
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

void WaterField::Render(const uint32_t* source, uint32_t* output, RowOrder outputOrder)
{
    if (!IsEmpty()) {
        const bool draw = source && output;
        if (!ops) {
            if (draw)
                ReferenceRefract(pages[0].get(), source, output, width, height, outputOrder);
            ReferenceStep(pages[currentPage].get(), pages[currentPage ^ 1].get(), width, height, dampingShift);
        } else {
            if (draw && (source != flatSource || output != flatTarget || outputOrder != flatOrder)) {
                std::fill_n(flatOutput.get(), static_cast<size_t>(wordsPerRow) * height, uint64_t{0});
                flatSource = source;
                flatTarget = output;
                flatOrder = outputOrder;
            }
            StepAndRefract(currentPage, dampingShift, draw ? source : nullptr, draw ? output : nullptr, outputOrder);
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
        uint64_t* bits = WaterRow(index, row);
        std::fill_n(bits, 3 * wordsPerRow, uint64_t{0});
        const int32_t* rowCells = cells + static_cast<size_t>(row) * width;
        for (int32_t chunk = 0; chunk < chunksPerRow; ++chunk) {
            const int32_t first = chunk * kWaterChunkWidth;
            const int32_t end = std::min(first + kWaterChunkWidth, width);
            int32_t any = 0;
            for (int32_t c = first; c < end; ++c)
                any |= rowCells[c];
            const uint64_t bit = uint64_t{1} << (chunk % 64);
            const int32_t word = chunk / 64;
            if (any != 0)
                bits[word] |= bit;
            if (rowCells[first] != 0)
                bits[wordsPerRow + word] |= bit;
            if (end == first + kWaterChunkWidth && rowCells[end - 1] != 0)
                bits[2 * wordsPerRow + word] |= bit;
        }
    }
    waterStale[index] = false;
}

// Refraction and step in one sweep over the rows, so that each row of heights is still in the
// cache when the second pass needs it. The step runs one row behind: when it writes page 0,
// row r - 1 of page 0 is no longer read by the refraction once row r is refracted.
void WaterField::StepAndRefract(int32_t page, int32_t shift, const uint32_t* source, uint32_t* output,
                                RowOrder outputOrder)
{
    for (int index = 0; index < 2; ++index) {
        if (pageHandedOut[index] || waterStale[index])
            RebuildTracking(index);
    }
    if (width < 3 || height < 3)
        return;
    const int destinationIndex = page == 0 ? 0 : 1;
    const int32_t maskedShift = shift & 31; // as the processor counts shifts
    for (int32_t row = 1; row < height - 1; ++row) {
        if (source)
            RefractRow(row, source, output, outputOrder);
        if (row >= 2)
            StepRow(row - 1, destinationIndex, maskedShift);
    }
    StepRow(height - 2, destinationIndex, maskedShift);
}

void WaterField::RefractRow(int32_t row, const uint32_t* source, uint32_t* output, RowOrder outputOrder)
{
    // A pixel reads the heights of its own cell, of the cell above and of the cell to its
    // right, which for the last column of a chunk is the first column of the next chunk.
    const uint64_t* here = WaterRow(0, row);
    const uint64_t* hereFirstColumn = here + wordsPerRow;
    const uint64_t* above = WaterRow(0, row + 1);
    uint64_t* flat = flatOutput.get() + static_cast<size_t>(row) * wordsPerRow;
    const ptrdiff_t rowStart = static_cast<ptrdiff_t>(row) * width;
    const int32_t cells = width * height;
    const int32_t* heights = pages[0].get();
    const bool topDown = outputOrder == RowOrder::TopDown;
    uint32_t* outputRow = output + static_cast<ptrdiff_t>(topDown ? FlippedRow(row, height) : row) * width;
    const ptrdiff_t outputRowStep = topDown ? -static_cast<ptrdiff_t>(width) : width;
    for (int32_t word = 0; word < wordsPerRow; ++word) {
        const uint64_t valid = ChunkBits(word, chunksPerRow);
        const uint64_t nextFirstColumn = word + 1 < wordsPerRow ? hereFirstColumn[word + 1] << 63 : 0;
        const uint64_t refract =
            (here[word] | above[word] | hereFirstColumn[word] >> 1 | nextFirstColumn) & valid;
        const uint64_t copy = ~refract & ~flat[word] & valid;
        flat[word] = ~refract & valid;
        const int32_t base = word * 64;
        ForEachRun(refract, [&](int first, int end) {
            ptrdiff_t from, unused, to;
            ChunkColumns(base + first, width, from, unused);
            ChunkColumns(base + end - 1, width, unused, to);
            if (from < to)
                ops->refract(heights, source, outputRow + from, outputRowStep, width, cells, rowStart + from, to - from);
        });
        ForEachRun(copy, [&](int first, int end) {
            ptrdiff_t from, unused, to;
            ChunkColumns(base + first, width, from, unused);
            ChunkColumns(base + end - 1, width, unused, to);
            if (from < to)
                ops->copyFlat(source, outputRow + from, rowStart + from, to - from);
        });
    }
}

void WaterField::StepRow(int32_t row, int destinationIndex, int32_t shift)
{
    const int neighbourIndex = destinationIndex ^ 1;
    uint64_t* bits = WaterRow(destinationIndex, row);
    const uint64_t* below = WaterRow(neighbourIndex, row - 1);
    const uint64_t* level = WaterRow(neighbourIndex, row);
    const uint64_t* above = WaterRow(neighbourIndex, row + 1);
    // Water of the neighbour page in the three rows a cell reads, by kind of bit.
    const auto near = [&](int kind, int32_t word) {
        if (word < 0 || word >= wordsPerRow)
            return uint64_t{0};
        const int32_t at = kind * wordsPerRow + word;
        return below[at] | level[at] | above[at];
    };
    int32_t* destination = pages[destinationIndex].get();
    const int32_t* neighbours = pages[neighbourIndex].get();
    const ptrdiff_t rowStart = static_cast<ptrdiff_t>(row) * width;
    for (int32_t word = 0; word < wordsPerRow; ++word) {
        // A cell also reads one column to either side: the last column of the chunk to the
        // left and the first column of the chunk to the right.
        const uint64_t fromLeft = near(2, word) << 1 | near(2, word - 1) >> 63;
        const uint64_t fromRight = near(1, word) >> 1 | near(1, word + 1) << 63;
        const uint64_t work = (bits[word] | near(0, word) | fromLeft | fromRight) & ChunkBits(word, chunksPerRow);
        ChunkWater result = {0, 0, 0};
        ForEachRun(work, [&](int first, int end) {
            const ChunkWater run =
                ops->stepChunks(destination, neighbours, width, rowStart, word * 64 + first, word * 64 + end, shift);
            result.any |= run.any << first;
            result.firstColumn |= run.firstColumn << first;
            result.lastColumn |= run.lastColumn << first;
        });
        // Border cells are not stepped; they can hold water only when written through Page(),
        // and such a page has its bits rebuilt from its data before every step.
        bits[word] = result.any;
        bits[wordsPerRow + word] = result.firstColumn;
        bits[2 * wordsPerRow + word] = result.lastColumn;
    }
}
