#include "imaging/DesktopSnapshot.h"

#include <cstdint>
#include <limits>
#include <vector>

#include "framework/CClientDC.h"
#include "framework/CDC.h"
#include "framework/CSelectedObject.h"
#include "imaging/BitmapFile.h"
#include "imaging/DibFormat.h"
#include "imaging/SnapshotPathRule.h"

namespace DesktopSnapshot {

namespace {

constexpr DWORD kPathBufferSize = MAX_PATH;

// The depth the file is written at: the display's, except that displays of 8 bits or
// fewer (and any depth the file format below cannot carry without a colour table) are
// captured at 24 bits.
int32_t FileBitCount(int32_t displayBitCount)
{
    return displayBitCount == 16 || displayBitCount == 24 || displayBitCount == 32 ? displayBitCount : 24;
}

bool WriteAll(HANDLE file, const void* data, size_t size)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(file, bytes, chunk, &written, nullptr) || written == 0)
            return false;
        bytes += written;
        size -= written;
    }
    return true;
}

bool WriteBitmapFile(const std::string& path, const BitmapHeaders& headers, const std::vector<uint8_t>& pixels)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const auto encoded = EncodeBitmapHeaders(headers);
    bool whole = WriteAll(file, encoded.data(), encoded.size()) && WriteAll(file, pixels.data(), pixels.size());
    if (!::CloseHandle(file))
        whole = false;
    // A part of a picture must not pass for a snapshot.
    if (!whole)
        ::DeleteFileA(path.c_str());
    return whole;
}

// The screen copied into a compatible bitmap and read out as bottom-up rows at `bitCount`.
bool CaptureScreen(BitmapHeaders& headers, std::vector<uint8_t>& pixels)
{
    CDC display;
    if (!display.CreateDC("DISPLAY"))
        return false;
    const int32_t width = ::GetSystemMetrics(SM_CXSCREEN);
    const int32_t height = ::GetSystemMetrics(SM_CYSCREEN);
    CBitmap bitmap;
    bitmap.CreateCompatibleBitmap(display, width, height);
    CDC memoryDc;
    memoryDc.CreateCompatibleDC(display);
    if (bitmap.IsEmpty() || !memoryDc)
        return false;
    {
        CSelectedObject selected(memoryDc, bitmap);
        ::BitBlt(memoryDc, 0, 0, width, height, display, 0, 0, SRCCOPY);
    }

    BITMAP description{};
    if (!bitmap.GetBitmap(&description) || description.bmWidth <= 0 || description.bmHeight <= 0 ||
        description.bmWidth > kMaxBitmapSide || description.bmHeight > kMaxBitmapSide)
        return false;
    headers = MakeBitmapHeaders(description.bmWidth, description.bmHeight, FileBitCount(description.bmBitsPixel));
    try {
        pixels.assign(headers.imageSize, 0);
    } catch (...) {
        pixels.clear();
    }
    if (pixels.empty())
        return false;
    // Room for colour masks the platform may add after the header.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = headers.width;
    info.header.biHeight = headers.height;
    info.header.biPlanes = 1;
    info.header.biBitCount = headers.bitCount;
    info.header.biCompression = BI_RGB;
    info.header.biSizeImage = headers.imageSize;
    return ::GetDIBits(display, bitmap, 0, static_cast<UINT>(headers.height), pixels.data(),
                       reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == headers.height;
}

// Whether the file at `path` is one the platform's loader may be handed.
bool IsLoadableSnapshot(const std::string& path)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER length{};
    uint8_t bytes[kBitmapHeadersSize];
    DWORD read = 0;
    const bool gotHeaders = ::GetFileSizeEx(file, &length) &&
                            ::ReadFile(file, bytes, sizeof(bytes), &read, nullptr) && read == sizeof(bytes);
    ::CloseHandle(file);
    BitmapHeaders headers;
    return gotHeaders && DecodeBitmapHeaders(bytes, read, headers) &&
           IsSafeSnapshotFile(headers, static_cast<uint64_t>(length.QuadPart));
}

} // namespace

std::string MakeTempFileName()
{
    char directory[kPathBufferSize] = {};
    const DWORD length = ::GetTempPathA(kPathBufferSize, directory);
    if (length == 0 || length >= kPathBufferSize)
        return {};
    char name[kPathBufferSize] = {};
    if (::GetTempFileNameA(directory, "~ex", 0, name) == 0)
        return {};
    return name;
}

std::string SnapshotPath()
{
    const std::string tempName = MakeTempFileName();
    if (!tempName.empty()) {
        const std::string path = SnapshotPathInDirectoryOf(tempName);
        // Only the directory was wanted; the empty file the platform made goes at once.
        ::DeleteFileA(tempName.c_str());
        if (!path.empty())
            return path;
    }
    char directory[kPathBufferSize] = {};
    const DWORD length = ::GetTempPathA(kPathBufferSize, directory);
    if (length == 0 || length >= kPathBufferSize)
        return {};
    return SnapshotPathInDirectory(directory);
}

bool CaptureToFile(std::string path)
{
    if (path.empty())
        return false;
    BitmapHeaders headers;
    std::vector<uint8_t> pixels;
    if (!CaptureScreen(headers, pixels))
        return false;
    return WriteBitmapFile(path, headers, pixels);
}

bool LoadMirrored(const std::string& path, CBitmap& bitmap)
{
    bitmap.DeleteObject();
    if (path.empty() || !IsLoadableSnapshot(path))
        return false;
    CBitmap loaded;
    if (!loaded.Attach(::LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                    LR_CREATEDIBSECTION | LR_DEFAULTSIZE | LR_LOADFROMFILE)))
        return false;
    return bitmap.Attach(MirrorBitmap(loaded, false));
}

HBITMAP MirrorBitmap(HBITMAP source, bool horizontal)
{
    BITMAP description{};
    if (!source || ::GetObjectA(source, sizeof(description), &description) != sizeof(description) ||
        description.bmWidth <= 0 || description.bmHeight <= 0)
        return nullptr;
    const int32_t width = description.bmWidth;
    const int32_t height = description.bmHeight;

    CDC sourceDc, targetDc;
    CBitmap mirrored;
    {
        CClientDC screen(nullptr);
        if (!screen)
            return nullptr;
        sourceDc.CreateCompatibleDC(screen);
        targetDc.CreateCompatibleDC(screen);
        mirrored.CreateCompatibleBitmap(screen, width, height);
    }
    if (!sourceDc || !targetDc || mirrored.IsEmpty())
        return nullptr;

    {
        // Both bitmaps leave the contexts before the contexts go and before the mirror is
        // handed out, even when the copy fails.
        const CSelectedObject selectedSource(sourceDc, source);
        const CSelectedObject selectedTarget(targetDc, mirrored);
        if (!selectedSource.IsSelected() || !selectedTarget.IsSelected())
            return nullptr;
        const BOOL copied = horizontal ? ::StretchBlt(targetDc, 0, 0, width, height, sourceDc, width - 1, 0, -width,
                                                      height, SRCCOPY)
                                       : ::StretchBlt(targetDc, 0, 0, width, height, sourceDc, 0, height - 1, width,
                                                      -height, SRCCOPY);
        if (!copied)
            return nullptr;
    }
    return static_cast<HBITMAP>(mirrored.Detach());
}

bool RemoveSnapshot(const std::string& path)
{
    return !path.empty() && ::DeleteFileA(path.c_str()) != FALSE;
}

} // namespace DesktopSnapshot
