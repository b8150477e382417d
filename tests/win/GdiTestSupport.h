#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Win32TestSupport.h"

// Helpers shared by the GDI tests: known pictures, and a full-screen window of our own that
// shows a known picture, since a screen device context under wine reads wine's own windows
// reliably.

// A pixel 0x00RRGGBB that differs for every (x, y) with x, y < 4096.
uint32_t PatternPixel(int32_t x, int32_t y);

// Whether two pixels differ by at most `tolerance` in each channel.
bool NearPixel(uint32_t a, uint32_t b, int32_t tolerance);

// `width` x `height` pattern pixels, top row first.
std::vector<uint32_t> PatternPixels(int32_t width, int32_t height);

// Whether the handle still names a GDI object.
bool IsLiveGdiObject(HGDIOBJ object);

// Success when a second run of `scenario` leaves as many live GDI objects in this process as
// it found (the first run lets the platform make the caches it keeps). The count is the one
// the reliability tests take, since wine's GetGuiResources is a stub.
::testing::AssertionResult GivesItsGdiObjectsBack(const std::function<void()>& scenario);

// A top-most popup covering the whole screen and painting `pixel` at every screen pixel.
// Destroyed with the object. On displays of fewer than 24 bits the screen holds the
// pixels only roughly: `tolerance` says how far each channel may be off.
class PatternScreen {
public:
    explicit PatternScreen(PixelFunction pixel = PatternPixel, int32_t tolerance = 0);
    ~PatternScreen();
    PatternScreen(const PatternScreen&) = delete;
    PatternScreen& operator=(const PatternScreen&) = delete;

    // Whether the screen, read through a screen device context, shows the pattern.
    bool IsShown() const;
    int32_t Width() const { return width; }
    int32_t Height() const { return height; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    PixelFunction pixel;
    int32_t tolerance;
    HWND window = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

// Sets an environment variable for the rest of the scope, then restores it.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name;
    std::string previous;
    bool hadPrevious = false;
};
