// Shows a known picture over the whole screen, as the desktop the saver photographs.
// Every pixel has its own colour: red = x mod 256, green = y mod 256, blue = 64 + 16 * (x / 256)
// + y / 256. SaverE2E.sh computes the same values to check what the saver shows.
//   ShowPicture               the desktop, until its window is closed
//   ShowPicture first-frame   the floor of the saver's start: a window like the saver's that
//                             presents one frame at once, and ends on a key or a click
//   ShowPicture FILE.bmp      that picture stretched over the screen, as a wallpaper (the demo)
#include <windows.h>

#include <cstdint>
#include <vector>

namespace {

uint32_t PictureColour(int x, int y)
{
    const uint32_t red = static_cast<uint32_t>(x) & 0xFF;
    const uint32_t green = static_cast<uint32_t>(y) & 0xFF;
    const uint32_t blue = (64 + 16 * (x / 256) + y / 256) & 0xFF;
    return (red << 16) | (green << 8) | blue;
}

// Top-down rows.
void FillPicture(uint32_t* pixels, int width, int height)
{
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[y * width + x] = PictureColour(x, y);
}

BITMAPINFO TopDownInfo(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    return info;
}

// Covers `width` x `height` of `dc` with the whole of `bitmap`, stretched when the sizes differ.
void DrawBitmap(HDC dc, HBITMAP bitmap, int width, int height)
{
    BITMAP size{};
    GetObjectA(bitmap, sizeof size, &size);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    // A plain copy at the same size: the known picture is checked pixel for pixel.
    if (size.bmWidth != width || size.bmHeight != height)
        SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 0, 0, width, height, memory, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

LRESULT CALLBACK PictureProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        const int width = client.right, height = client.bottom;
        const BITMAPINFO info = TopDownInfo(width, height);
        void* bits = nullptr;
        HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (section && bits) {
            FillPicture(static_cast<uint32_t*>(bits), width, height);
            DrawBitmap(dc, section, width, height);
        }
        if (section)
            DeleteObject(section);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A wallpaper: the bitmap in the window's user data, stretched over the window.
LRESULT CALLBACK WallpaperProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        DrawBitmap(dc, reinterpret_cast<HBITMAP>(GetWindowLongPtrA(window, GWLP_USERDATA)), client.right,
                   client.bottom);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_DESTROY) {
        DeleteObject(reinterpret_cast<HBITMAP>(GetWindowLongPtrA(window, GWLP_USERDATA)));
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The picture's window that also ends, like the saver, on a key or a click.
LRESULT CALLBACK FloorProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN || message == WM_LBUTTONDOWN) {
        DestroyWindow(window);
        return 0;
    }
    return PictureProcedure(window, message, wParam, lParam);
}

// The saver's window, and one full-screen frame through the saver's presentation call.
bool PresentFirstFrame(HINSTANCE instance)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = FloorProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "VellumarTestFloor";
    RegisterClassA(&windowClass);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, windowClass.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, width,
                                  height, nullptr, nullptr, instance, nullptr);
    if (!window)
        return false;
    const BITMAPINFO info = TopDownInfo(width, height);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    FillPicture(pixels.data(), width, height);
    HDC dc = GetDC(window);
    SetDIBitsToDevice(dc, 0, 0, width, height, 0, 0, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(window, dc);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    if (argc == 2 && lstrcmpA(argv[1], "first-frame") == 0) {
        if (!PresentFirstFrame(instance))
            return 1;
    } else if (argc == 2) {
        HANDLE wallpaper = LoadImageA(nullptr, argv[1], IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
        if (!wallpaper)
            return 1;
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = WallpaperProcedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
        windowClass.lpszClassName = "VellumarTestWallpaper";
        RegisterClassA(&windowClass);
        HWND window = CreateWindowExA(0, windowClass.lpszClassName, "Vellumar test wallpaper", WS_POPUP, 0, 0,
                                      GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                                      nullptr, instance, nullptr);
        if (!window)
            return 1;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(wallpaper));
        ShowWindow(window, SW_SHOW);
    } else {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = PictureProcedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
        windowClass.lpszClassName = "VellumarTestPicture";
        RegisterClassA(&windowClass);
        CreateWindowExA(0, windowClass.lpszClassName, "Vellumar test picture", WS_POPUP | WS_VISIBLE, 0, 0,
                        GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                        instance, nullptr);
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
