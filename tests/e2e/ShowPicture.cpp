// Shows a known picture over the whole screen, as the desktop the saver photographs.
// Every pixel has its own colour: red = x mod 256, green = y mod 256, blue = 64 + 16 * (x / 256)
// + y / 256. SaverE2E.sh computes the same values to check what the saver shows.
//   ShowPicture               the desktop, until its window is closed
//   ShowPicture first-frame   the floor of the saver's start: a window like the saver's that
//                             presents the picture (made before the window) at once and
//                             whenever it is asked to paint, never erases, inverts a small
//                             block on its first frame tick (as the first ripples show), and
//                             ends on a key or a click
//   ShowPicture paced         the floor of the saver's running cost: the same window and the
//                             saver's three timers; every frame tick presents the picture (made
//                             once) full screen through the saver's call, and nothing else
//   ShowPicture FILE.bmp      that picture stretched over the screen, as a wallpaper (the demo)
#include <windows.h>

#include <cstdint>
#include <vector>

#include "Win32TestSupport.h"
#include "animation/AnimationTick.h"

namespace {

uint32_t PictureColour(int32_t x, int32_t y)
{
    const uint32_t red = static_cast<uint32_t>(x) & 0xFF;
    const uint32_t green = static_cast<uint32_t>(y) & 0xFF;
    const uint32_t blue = (64 + 16 * (x / 256) + y / 256) & 0xFF;
    return (red << 16) | (green << 8) | blue;
}

// Covers `width` x `height` of `dc` with the whole of `bitmap`, stretched when the sizes differ.
void DrawBitmap(HDC dc, HBITMAP bitmap, int width, int height)
{
    BITMAP size{};
    GetObjectA(bitmap, sizeof size, &size);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (size.bmWidth != width || size.bmHeight != height)
        SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, 0, 0, width, height, memory, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

// The known picture, or the wallpaper bitmap in the window's user data stretched over it.
LRESULT CALLBACK PictureProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto wallpaper = reinterpret_cast<HBITMAP>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        if (wallpaper)
            DrawBitmap(dc, wallpaper, client.right, client.bottom);
        else
            PaintPixels(dc, client.right, client.bottom, PictureColour);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_DESTROY) {
        if (wallpaper)
            DeleteObject(wallpaper);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The floor's frame, laid out as the saver's surfaces: 32 bits, bottom-up (memory row 0 is the
// bottom row on the screen), made before its window, as the saver's are.
struct Frame {
    int32_t width;
    int32_t height;
    BITMAPINFO info;
    std::vector<uint32_t> pixels;
};

Frame MakeFrame(int32_t width, int32_t height)
{
    Frame frame{width, height, TopDown32Info(width, height),
                std::vector<uint32_t>(static_cast<size_t>(width) * static_cast<size_t>(height))};
    frame.info.bmiHeader.biHeight = height;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            frame.pixels[static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width) + x] = PictureColour(x, y);
    return frame;
}

// main's frame while a floor window lives: the window procedure has no other way to it.
const Frame* floorFrame = nullptr;

// As the saver presents a frame: the whole frame in one call.
void PresentFrame(HDC dc)
{
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(floorFrame->width), static_cast<DWORD>(floorFrame->height), 0, 0,
                      0, static_cast<UINT>(floorFrame->height), floorFrame->pixels.data(), &floorFrame->info,
                      DIB_RGB_COLORS);
}

void PresentFrame(HWND window)
{
    HDC dc = GetDC(window);
    PresentFrame(dc);
    ReleaseDC(window, dc);
}

// The floor's window: shows its frame whenever asked and never erases, like the saver's; ends,
// like the saver, on a key or a click. The first frame tick stands for the first ripples.
LRESULT CALLBACK FloorProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
        DestroyWindow(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        PresentFrame(dc);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_TIMER: {
        KillTimer(window, wParam);
        HDC dc = GetDC(window);
        PatBlt(dc, floorFrame->width / 2, floorFrame->height / 2, 16, 16, DSTINVERT);
        ReleaseDC(window, dc);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The floor window on the saver's timers: only the frame timer does anything, presenting the
// whole frame.
LRESULT CALLBACK PacedProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER) {
        if (IsFrameTimer(wParam))
            PresentFrame(window);
        return 0;
    }
    return FloorProcedure(window, message, wParam, lParam);
}

// A floor window like the saver's full-screen one, showing the picture until a key or a click:
// the start's floor presents it at once and marks its first frame tick, the paced floor
// presents it on every frame tick.
int RunFloor(bool paced, const RECT& screen)
{
    const Frame frame = MakeFrame(screen.right, screen.bottom);
    floorFrame = &frame;
    HWND window = MakeTestWindow(paced ? "VellumarTestPacedFloor" : "VellumarTestFloor",
                                 paced ? PacedProcedure : FloorProcedure, WS_POPUP | WS_VISIBLE, screen, nullptr,
                                 WS_EX_TOPMOST);
    if (!window)
        return 1;
    if (paced) {
        for (const SaverTimer& timer : kSaverTimers)
            SetTimer(window, timer.id, timer.periodMs, nullptr);
    } else {
        PresentFrame(window);
        SetTimer(window, kFrameTimerId, kFramePeriodMs, nullptr);
    }
    RunMessageLoop();
    floorFrame = nullptr;
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (argc == 2 && lstrcmpA(argv[1], "first-frame") == 0) {
        return RunFloor(false, screen);
    } else if (argc == 2 && lstrcmpA(argv[1], "paced") == 0) {
        return RunFloor(true, screen);
    } else {
        HANDLE wallpaper = nullptr;
        if (argc == 2 && !(wallpaper = LoadImageA(nullptr, argv[1], IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)))
            return 1;
        HWND window = MakeTestWindow(wallpaper ? "Vellumar test wallpaper" : "Vellumar test picture", PictureProcedure,
                                     WS_POPUP, screen);
        if (!window)
            return 1;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(wallpaper));
        ShowWindow(window, SW_SHOW);
    }
    RunMessageLoop();
    return 0;
}
