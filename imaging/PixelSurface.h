#pragma once
#include <windows.h>

#include <cstdint>

#include "framework/CBitmap.h"
#include "framework/CObject.h"
#include "framework/CPalette.h"
#include "imaging/DibFormat.h"

class PictureHolder;

// One picture held as a device-independent bitmap section whose pixel memory is read and
// written directly, with a logical palette for palette displays. Every surface the saver
// makes is 32 bits, bottom-up: memory row 0 is the bottom row on screen, pixel (c, r) is
// Pixels()[r * width + c], value 0x00RRGGBB.
class PixelSurface : public CObject {
public:
    // A BITMAPINFO with room for a full colour table.
    struct BitmapInfo {
        BITMAPINFOHEADER bmiHeader;
        RGBQUAD bmiColors[256];
    };

    PixelSurface();

    // Deletes the section and zeroes the header; the palette stays.
    void Clear();
    // Makes the section from `header` (40-byte header and its colour table) and copies the
    // initial pixels in. False, with an empty surface, for a null argument, a header the
    // section cannot be made from (width or height 0 or less, sizes beyond 32 bits, other
    // than BI_RGB) or when the platform refuses.
    bool CreateFromInfo(const BITMAPINFO* header, const void* pixels);
    // Remakes the palette from the section's colour table, or the fallback palette.
    bool BuildPalette();
    // Presents the whole surface at (x, y); the scan lines drawn, 0 when empty.
    int32_t Draw(HDC dc, int32_t x, int32_t y, bool forceBackground);
    // Makes the surface width x height at 32 bits, filled with the picture stretched to
    // that size (black where the holder is empty); the picture's top row is memory row 0.
    void CreateFromPicture(PictureHolder& holder, int32_t width, int32_t height);

    bool IsEmpty() const { return bitmap.IsEmpty(); }
    HBITMAP GetBitmap() const { return bitmap; }
    const BITMAPINFO* GetInfo() const { return reinterpret_cast<const BITMAPINFO*>(&info); }
    uint8_t* GetBits() const { return bits; }
    // The pixel memory as 32-bit pixels; null when empty or not a 32-bit surface.
    uint32_t* Pixels() const;
    int32_t Width() const { return info.bmiHeader.biWidth; }
    int32_t Height() const { return info.bmiHeader.biHeight; }
    int32_t GetColorCount() const { return colorCount; }
    const CPalette& GetPalette() const { return palette; }

private:
    // Steps shared by CreateFromInfo and CreateFromPicture: header checks, the copy of the
    // header and colour table, the section. The section's memory starts zeroed.
    bool CreateSection(const BITMAPINFO* header);

    CBitmap bitmap;
    BitmapInfo info{};
    uint8_t* bits = nullptr;
    int32_t colorCount = 0;
    CPalette palette;
};

// Fills `palette` with the fallback palette of `count` entries (counts outside 1..256
// mean 256); true when the platform made it.
bool CreateFallbackPalette(CPalette& palette, int32_t count);
