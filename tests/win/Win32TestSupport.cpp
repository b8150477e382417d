#include "Win32TestSupport.h"

BITMAPINFO TopDown32Info(int32_t width, int32_t height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

void PaintPixels(HDC dc, int32_t width, int32_t height, PixelFunction pixel)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] = pixel(x, y);
    const BITMAPINFO info = TopDown32Info(width, height);
    ::SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                        static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
}

HBITMAP MakeBitmap(int32_t width, int32_t height, const std::vector<uint32_t>& pixels)
{
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    const BITMAPINFO info = TopDown32Info(width, height);
    ::SetDIBits(screen, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    return bitmap;
}

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP description{};
    if (!bitmap || ::GetObjectA(bitmap, sizeof(description), &description) != sizeof(description))
        return {0, 0};
    return {description.bmWidth, description.bmHeight};
}

std::vector<uint32_t> ReadBitmap(HBITMAP bitmap)
{
    const SIZE size = BitmapSize(bitmap);
    if (size.cx <= 0 || size.cy <= 0)
        return {};
    std::vector<uint32_t> pixels(static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy));
    BITMAPINFO info = TopDown32Info(size.cx, size.cy);
    HDC screen = ::GetDC(nullptr);
    const int lines = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(size.cy), pixels.data(), &info, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (lines != size.cy)
        return {};
    for (uint32_t& pixel : pixels)
        pixel &= 0x00FFFFFFu;
    return pixels;
}

HWND MakeTestWindow(const char* className, WNDPROC procedure, DWORD style, const RECT& area, HWND parent,
                    DWORD extendedStyle)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = className;
    ::RegisterClassA(&windowClass);  // fails harmlessly when already registered
    return ::CreateWindowExA(extendedStyle, className, className, style, area.left, area.top, area.right - area.left,
                             area.bottom - area.top, parent, nullptr, windowClass.hInstance, nullptr);
}

int DrainQueue()
{
    int quitCode = -1;
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            quitCode = static_cast<int>(message.wParam);
        else
            ::DispatchMessageA(&message);
    }
    return quitCode;
}

void RunMessageLoop()
{
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&message);
}

bool WaitPumping(HANDLE object, DWORD limit)
{
    const DWORD count = object ? 1 : 0;
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= limit)
            return object && ::WaitForSingleObject(object, 0) == WAIT_OBJECT_0;
        const DWORD slice = limit - elapsed < 50 ? limit - elapsed : 50;
        if (::MsgWaitForMultipleObjects(count, &object, FALSE, slice, QS_ALLINPUT) == WAIT_OBJECT_0 && object)
            return true;
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&message);
    }
}

std::string HandleText(HWND window)
{
    return std::to_string(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window)));
}

std::vector<uint8_t> ReadWholeFile(const std::string& path)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    LARGE_INTEGER length{};
    std::vector<uint8_t> bytes;
    if (::GetFileSizeEx(file, &length) && length.QuadPart > 0) {
        bytes.resize(static_cast<size_t>(length.QuadPart));
        DWORD read = 0;
        if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size())
            bytes.clear();
    }
    ::CloseHandle(file);
    return bytes;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    ::CloseHandle(file);
    return ok;
}

bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TempDirectory()
{
    char buffer[MAX_PATH] = {};
    const DWORD length = ::GetTempPathA(MAX_PATH, buffer);
    return length > 0 && length < MAX_PATH ? std::string(buffer) : std::string();
}
