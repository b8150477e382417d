#include "imaging/PixelSurface.h"

#include <cstring>
#include <limits>
#include <vector>

#include "framework/CClientDC.h"
#include "framework/CDC.h"
#include "framework/CSelectedObject.h"
#include "framework/CWindowDC.h"
#include "imaging/FallbackPalette.h"
#include "imaging/PictureHolder.h"
#include "imaging/PixelValue.h"

namespace {

// A logical palette with room for every entry a surface can have.
struct LogPalette256 {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[256];
};

bool CreatePaletteFrom(CPalette& palette, const PaletteColor* colors, int32_t colorsKnown, int32_t count)
{
    LogPalette256 description{};
    description.palVersion = 0x300;
    description.palNumEntries = static_cast<WORD>(count);
    for (int32_t i = 0; i < colorsKnown && i < count; ++i) {
        description.palPalEntry[i].peRed = colors[i].red;
        description.palPalEntry[i].peGreen = colors[i].green;
        description.palPalEntry[i].peBlue = colors[i].blue;
    }
    return palette.CreatePalette(reinterpret_cast<const LOGPALETTE*>(&description));
}

// Bytes of pixel data a header describes, or -1 when that does not fit 32-bit arithmetic.
int64_t PixelBytes(const BITMAPINFOHEADER& header)
{
    const int64_t rowBytes = (static_cast<int64_t>(header.biWidth) * header.biBitCount + 31) / 32 * 4;
    const int64_t bytes = rowBytes * header.biHeight;
    return bytes > std::numeric_limits<int32_t>::max() ? -1 : bytes;
}

bool IsSurfaceBitCount(int32_t bitCount)
{
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
           bitCount == 32;
}

BITMAPINFOHEADER Surface32Header(int32_t width, int32_t height)
{
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    return header;
}

} // namespace

bool CreateFallbackPalette(CPalette& palette, int32_t count)
{
    palette.DeleteObject();
    const std::vector<PaletteColor> colors = FallbackPaletteEntries(count);
    const auto size = static_cast<int32_t>(colors.size());
    return CreatePaletteFrom(palette, colors.data(), size, size);
}

PixelSurface::PixelSurface()
{
    Clear();
}

void PixelSurface::Clear()
{
    bitmap.DeleteObject();
    bits = nullptr;
    std::memset(&info, 0, sizeof(info));
    colorCount = 0;
}

uint32_t* PixelSurface::Pixels() const
{
    if (!bits || info.bmiHeader.biBitCount != 32)
        return nullptr;
    return reinterpret_cast<uint32_t*>(bits);
}

bool PixelSurface::CreateSection(const BITMAPINFO* header)
{
    Clear();
    if (!header)
        return false;
    const BITMAPINFOHEADER& source = header->bmiHeader;
    if (source.biSize != sizeof(BITMAPINFOHEADER) || source.biWidth <= 0 || source.biHeight <= 0 ||
        source.biPlanes != 1 || source.biCompression != BI_RGB || !IsSurfaceBitCount(source.biBitCount) ||
        PixelBytes(source) < 0)
        return false;

    colorCount = ColorsForBitCount(source.biBitCount);
    info.bmiHeader = source;
    std::memcpy(info.bmiColors, header->bmiColors, sizeof(RGBQUAD) * static_cast<size_t>(colorCount));

    void* memory = nullptr;
    {
        CClientDC screen(nullptr);
        if (screen)
            bitmap.Attach(::CreateDIBSection(screen, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                             &memory, nullptr, 0));
    }
    if (bitmap.IsEmpty() || !memory) {
        Clear();
        return false;
    }
    bits = static_cast<uint8_t*>(memory);
    return true;
}

bool PixelSurface::CreateFromInfo(const BITMAPINFO* header, const void* pixels)
{
    if (!pixels) {
        Clear();
        return false;
    }
    if (!CreateSection(header))
        return false;
    // A declared image size larger than the section would copy past its end: refuse it.
    const int64_t sectionBytes = PixelBytes(info.bmiHeader);
    const int64_t copyBytes = info.bmiHeader.biSizeImage != 0 ? info.bmiHeader.biSizeImage : sectionBytes;
    if (copyBytes > sectionBytes) {
        Clear();
        return false;
    }
    ::GdiFlush();
    std::memcpy(bits, pixels, static_cast<size_t>(copyBytes));
    if (!BuildPalette()) {
        Clear();
        return false;
    }
    return true;
}

bool PixelSurface::BuildPalette()
{
    palette.DeleteObject();
    if (bitmap.IsEmpty())
        return false;
    if (colorCount == 0)
        return CreateFallbackPalette(palette, kFallbackPaletteSize);

    CDC memoryDc;
    std::vector<RGBQUAD> table;
    {
        CClientDC screen(nullptr);
        if (!screen)
            return false;
        try {
            table.resize(static_cast<size_t>(colorCount));
        } catch (...) {
            return CreateFallbackPalette(palette, colorCount);
        }
        memoryDc.CreateCompatibleDC(screen);
    }
    UINT read = 0;
    if (memoryDc) {
        CSelectedObject selected(memoryDc, bitmap);
        if (selected.IsSelected())
            read = ::GetDIBColorTable(memoryDc, 0, static_cast<UINT>(colorCount), table.data());
    }
    if (read == 0)
        return CreateFallbackPalette(palette, colorCount);

    std::vector<PaletteColor> colors(read);
    for (UINT i = 0; i < read; ++i)
        colors[i] = {table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue};
    return CreatePaletteFrom(palette, colors.data(), static_cast<int32_t>(read), colorCount);
}

int32_t PixelSurface::Draw(HDC dc, int32_t x, int32_t y, bool forceBackground)
{
    if (bitmap.IsEmpty())
        return 0;
    const bool realize = !palette.IsEmpty() && (::GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE);
    CSelectedObject selectedPalette(dc, realize ? palette.GetSafeHandle() : nullptr, forceBackground);
    if (realize)
        ::RealizePalette(dc);
    const int32_t height = info.bmiHeader.biHeight;
    return ::SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(info.bmiHeader.biWidth), static_cast<DWORD>(height), 0,
                               0, 0, static_cast<UINT>(height), bits, reinterpret_cast<const BITMAPINFO*>(&info),
                               DIB_RGB_COLORS);
}

void PixelSurface::CreateFromPicture(PictureHolder& holder, int32_t width, int32_t height)
{
    Clear();
    CWindowDC screen(nullptr);
    if (!screen)
        return;
    CDC memoryDc;
    memoryDc.CreateCompatibleDC(screen);
    CBitmap drawn;
    if (width > 0 && height > 0)
        drawn.CreateDiscardableBitmap(screen, width, height);
    if (memoryDc && !drawn.IsEmpty()) {
        CSelectedObject selected(memoryDc, drawn);
        // A new bitmap's content is undefined; where the holder draws nothing it is black.
        ::PatBlt(memoryDc, 0, 0, width, height, BLACKNESS);
        RECT rect;
        ::SetRect(&rect, 0, 0, width, height);
        holder.Render(memoryDc, rect, rect);
    }

    BITMAPINFO header{};
    header.bmiHeader = Surface32Header(width, height);
    if (CreateSection(&header) && BuildPalette()) {
        if (!drawn.IsEmpty()) {
            // One read of the whole picture instead of width x height GetPixel calls: a
            // top-down 32-bit read puts the picture's row y in memory row y, as the
            // per-pixel loop does, and the DIB's bytes blue, green, red are the pixel's.
            BITMAPINFO topDown{};
            topDown.bmiHeader = Surface32Header(width, -height);
            ::GdiFlush();
            if (::GetDIBits(screen, drawn, 0, static_cast<UINT>(height), bits, &topDown, DIB_RGB_COLORS) ==
                height) {
                uint32_t* pixels = Pixels();
                const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
                for (size_t i = 0; i < count; ++i)
                    pixels[i] = PixelFromDibValue(pixels[i]);
            } else {
                std::memset(bits, 0, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
            }
        }
    } else {
        Clear();
    }
}
