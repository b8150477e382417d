#pragma once
#include <cstdint>
#include <memory>

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
    // into `currentPage` and flips it. Both buffers hold at least width x height pixels.
    void Render(const uint32_t* source, uint32_t* output);

    int32_t Width() const { return width; }
    int32_t Height() const { return height; }
    int32_t CurrentPage() const { return currentPage; }
    int32_t DampingShift() const { return dampingShift; }
    bool IsEmpty() const { return !pages[0]; }

    int32_t* Page(int32_t page) { return pages[page == 0 ? 0 : 1].get(); }
    const int32_t* Page(int32_t page) const { return pages[page == 0 ? 0 : 1].get(); }

private:
    void Release();

    int32_t width = 0;
    int32_t height = 0;
    int32_t currentPage = 0;
    int32_t dampingShift = 5;
    std::unique_ptr<int32_t[]> pages[2];
};
