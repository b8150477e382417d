#include "SectionCanvas.h"

#include <algorithm>

#include "Win32TestSupport.h"

SectionCanvas::SectionCanvas(int32_t width, int32_t height, uint32_t fill) : width(width), height(height)
{
    const BITMAPINFO info = TopDown32Info(width, height);
    dc = ::CreateCompatibleDC(nullptr);
    void* memory = nullptr;
    section = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    bits = static_cast<uint32_t*>(memory);
    previous = ::SelectObject(dc, section);
    if (bits)
        std::fill_n(bits, static_cast<size_t>(width) * height, fill);
}

SectionCanvas::~SectionCanvas()
{
    ::SelectObject(dc, previous);
    ::DeleteObject(section);
    ::DeleteDC(dc);
}

uint32_t SectionCanvas::At(int32_t x, int32_t y) const
{
    ::GdiFlush();
    return bits[static_cast<size_t>(y) * width + x] & 0x00FFFFFFu;
}

std::vector<uint32_t> SectionCanvas::Pixels() const
{
    ::GdiFlush();
    std::vector<uint32_t> pixels(bits, bits + (bits ? static_cast<size_t>(width) * height : 0));
    for (uint32_t& pixel : pixels)
        pixel &= 0x00FFFFFFu;
    return pixels;
}
