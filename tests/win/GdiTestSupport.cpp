#include "GdiTestSupport.h"

#include "tests/reliability/GdiObjectCount.h"

uint32_t PatternPixel(int32_t x, int32_t y)
{
    const uint32_t red = static_cast<uint32_t>(x) & 0xFFu;
    const uint32_t green = static_cast<uint32_t>(y) & 0xFFu;
    const uint32_t blue = ((static_cast<uint32_t>(x) >> 8) & 0x0Fu) | ((static_cast<uint32_t>(y) >> 8) & 0x0Fu) << 4;
    return red << 16 | green << 8 | blue;
}

bool NearPixel(uint32_t a, uint32_t b, int32_t tolerance)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int32_t difference = static_cast<int32_t>(a >> shift & 0xFF) - static_cast<int32_t>(b >> shift & 0xFF);
        if (difference > tolerance || difference < -tolerance)
            return false;
    }
    return true;
}

std::vector<uint32_t> PatternPixels(int32_t width, int32_t height)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] = PatternPixel(x, y);
    return pixels;
}

namespace {

const char* const kPatternClass = "VellumarTestPattern";

} // namespace

bool IsLiveGdiObject(HGDIOBJ object)
{
    return ::GetObjectType(object) != 0;
}

::testing::AssertionResult GivesItsGdiObjectsBack(const std::function<void()>& scenario)
{
    scenario();
    const long before = CountGdiObjects(::GetCurrentProcess());
    scenario();
    const long after = CountGdiObjects(::GetCurrentProcess());
    if (before < 0 || after < 0)
        return ::testing::AssertionFailure() << "the GDI handle table cannot be read";
    if (after != before)
        return ::testing::AssertionFailure() << before << " live GDI objects before, " << after << " after";
    return ::testing::AssertionSuccess();
}

PatternScreen::PatternScreen(PixelFunction pixel, int32_t tolerance) : pixel(pixel), tolerance(tolerance)
{
    width = ::GetSystemMetrics(SM_CXSCREEN);
    height = ::GetSystemMetrics(SM_CYSCREEN);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kPatternClass;
    ::RegisterClassA(&windowClass); // fails harmlessly when already registered
    window = ::CreateWindowExA(WS_EX_TOPMOST, kPatternClass, "pattern", WS_POPUP, 0, 0, width, height, nullptr,
                               nullptr, windowClass.hInstance, nullptr);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pixel));
    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);
    // Let the window reach the display: pump messages until the screen shows the pattern.
    for (int attempt = 0; attempt < 100 && !IsShown(); ++attempt) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        ::Sleep(50);
    }
}

PatternScreen::~PatternScreen()
{
    if (window)
        ::DestroyWindow(window);
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&message);
}

LRESULT CALLBACK PatternScreen::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(window, &paint);
        RECT client;
        ::GetClientRect(window, &client);
        const auto pixel = reinterpret_cast<PixelFunction>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (pixel)
            PaintPixels(dc, client.right, client.bottom, pixel);
        ::EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_ERASEBKGND)
        return 1;
    return ::DefWindowProcA(window, message, wParam, lParam);
}

bool PatternScreen::IsShown() const
{
    if (!window)
        return false;
    // Three corners and the middle are enough to know the window is on the screen.
    HDC screen = ::GetDC(nullptr);
    const POINT probes[] = {{0, 0}, {width - 1, 0}, {0, height - 1}, {width - 1, height - 1}, {width / 2, height / 3}};
    bool shown = true;
    for (const POINT& probe : probes) {
        const COLORREF color = ::GetPixel(screen, probe.x, probe.y);
        const uint32_t seen = GetRValue(color) << 16 | GetGValue(color) << 8 | GetBValue(color);
        shown = shown && color != CLR_INVALID && NearPixel(seen, pixel(probe.x, probe.y), tolerance);
    }
    ::ReleaseDC(nullptr, screen);
    return shown;
}

ScopedEnvironment::ScopedEnvironment(const char* name, const std::string& value) : name(name)
{
    char buffer[32768];
    const DWORD length = ::GetEnvironmentVariableA(name, buffer, sizeof(buffer));
    hadPrevious = length > 0 && length < sizeof(buffer);
    if (hadPrevious)
        previous.assign(buffer, length);
    ::SetEnvironmentVariableA(name, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment()
{
    ::SetEnvironmentVariableA(name.c_str(), hadPrevious ? previous.c_str() : nullptr);
}
