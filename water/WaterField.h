#pragma once
#include <cstdint>
#include <memory>

#include "water/WaterKernels.h"

// The water surface: two pages of signed 32-bit heights, one per screen pixel,
// indexed like the bottom-up pixel buffers (row 0 is the bottom row on screen).
// Border cells of both pages stay 0 for ever.
class WaterField {
public:
    WaterField();
    virtual ~WaterField();

    WaterField(const WaterField&) = delete;
    WaterField& operator=(const WaterField&) = delete;

    // Sizes the field and zeroes both pages. A size that is not positive, whose cell
    // count does not fit 32 bits, or whose memory cannot be had leaves the field empty.
    void Create(int32_t width, int32_t height);

    // One propagation step into `page` (0, or any other value for page 1), reading the other page.
    void Step(int32_t page, int32_t shift);

    // Adds `amount` to the interior cells of `page` strictly inside the disc of `radius`
    // around (x, y). A negative x or y is first replaced by a random one.
    void AddDrop(int32_t x, int32_t y, int32_t radius, int32_t amount, int32_t page);

    // Refracts `source` through page 0 into `output` (interior pixels only), then steps
    // into `currentPage` and flips it. Both buffers hold at least width x height pixels;
    // `output` keeps its rows in `outputOrder`, the source always bottom-up.
    // Where the water is flat the output pixel is the source pixel; Render remembers which
    // of those it has already written and does not write them again while it is called with
    // the same two buffers. Whoever changes those buffers in between calls ForgetOutput.
    void Render(const uint32_t* source, uint32_t* output, RowOrder outputOrder = RowOrder::BottomUp);

    // The next Render writes every interior pixel it is meant to, as on a first call.
    void ForgetOutput();

    // The arithmetic used by Step and Render: the same results with every kernel. A kernel
    // the processor cannot run is replaced by the best one below it. New fields use the best.
    void SetKernel(WaterKernel wanted);
    WaterKernel Kernel() const { return kernel; }

    int32_t Width() const { return width; }
    int32_t Height() const { return height; }
    int32_t CurrentPage() const { return currentPage; }
    int32_t DampingShift() const { return dampingShift; }
    bool IsEmpty() const { return !pages[0]; }

    // Heights may be written through this pointer at any time until the next Create: from
    // then on the field rebuilds that page's calm-water tracking from its data before every
    // step instead of trusting it. Reading through a const field costs nothing.
    int32_t* Page(int32_t page)
    {
        const int index = page == 0 ? 0 : 1;
        pageHandedOut[index] = true;
        return pages[index].get();
    }
    const int32_t* Page(int32_t page) const { return pages[page == 0 ? 0 : 1].get(); }

private:
    void Release();
    void RebuildTracking(int index);
    void StepAndRefract(int32_t page, int32_t shift, const uint32_t* source, uint32_t* output, RowOrder outputOrder);
    void RefractRow(int32_t row, const uint32_t* source, uint32_t* output, RowOrder outputOrder);
    void StepRow(int32_t row, int destinationIndex, int32_t shift);
    // The tracking words of one row of a page: wordsPerRow each of ChunkWater's any,
    // firstColumn and lastColumn bits, in that order.
    uint64_t* WaterRow(int index, int32_t row) { return water[index].get() + static_cast<size_t>(row) * 3 * wordsPerRow; }

    int32_t width = 0;
    int32_t height = 0;
    int32_t currentPage = 0;
    int32_t dampingShift = 5;
    std::unique_ptr<int32_t[]> pages[2];

    // Calm-water tracking, bits per chunk of kWaterChunkWidth cells of a row. water: the chunk
    // may hold a non-zero height, in any cell, in its first column, in its last column (clear
    // bits are certain). flatOutput: the chunk's interior pixels of the remembered output hold
    // their source pixels unchanged.
    WaterKernel kernel = BestWaterKernel();
    const WaterKernelOps* ops = WaterKernelOpsFor(kernel);
    int32_t chunksPerRow = 0;
    int32_t wordsPerRow = 0;
    std::unique_ptr<uint64_t[]> water[2];
    std::unique_ptr<uint64_t[]> flatOutput;
    const uint32_t* flatSource = nullptr;
    const uint32_t* flatTarget = nullptr;
    RowOrder flatOrder = RowOrder::BottomUp;
    bool pageHandedOut[2] = {false, false};
    bool waterStale[2] = {false, false};
};
