#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

// A memory device context holding a 32-bit top-down section, every pixel `fill` at first:
// something to draw on and read back exactly, whatever the display's depth.
class SectionCanvas {
public:
    SectionCanvas(int32_t width, int32_t height, uint32_t fill = 0);
    ~SectionCanvas();
    SectionCanvas(const SectionCanvas&) = delete;
    SectionCanvas& operator=(const SectionCanvas&) = delete;

    HDC Dc() const { return dc; }
    // 0x00RRGGBB once the drawing is done.
    uint32_t At(int32_t x, int32_t y) const;
    // All of them, top row first.
    std::vector<uint32_t> Pixels() const;

private:
    int32_t width;
    int32_t height;
    HDC dc = nullptr;
    HBITMAP section = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t* bits = nullptr;
};
