// Shows a known picture over the whole screen, as the desktop the saver photographs.
// Every pixel has its own colour: red = x mod 256, green = y mod 256, blue = 64 + 16 * (x / 256)
// + y / 256. SaverE2E.sh computes the same values to check what the saver shows.
#include <windows.h>

#include <cstdint>

namespace {

uint32_t PictureColour(int x, int y)
{
    const uint32_t red = static_cast<uint32_t>(x) & 0xFF;
    const uint32_t green = static_cast<uint32_t>(y) & 0xFF;
    const uint32_t blue = (64 + 16 * (x / 256) + y / 256) & 0xFF;
    return (red << 16) | (green << 8) | blue;
}

LRESULT CALLBACK PictureProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        const int width = client.right, height = client.bottom;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (section && bits) {
            auto* pixels = static_cast<uint32_t*>(bits);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    pixels[y * width + x] = PictureColour(x, y);
            HDC memory = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(memory, section);
            BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
            SelectObject(memory, old);
            DeleteDC(memory);
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

}  // namespace

int main()
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = PictureProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    windowClass.lpszClassName = "VellumarTestPicture";
    RegisterClassA(&windowClass);
    CreateWindowExA(0, windowClass.lpszClassName, "Vellumar test picture", WS_POPUP | WS_VISIBLE, 0, 0,
                    GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                    windowClass.hInstance, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
