#pragma once
#include <windows.h>

#include <string>

#include "framework/CBitmap.h"
#include "framework/CWnd.h"
#include "imaging/PixelSurface.h"
#include "animation/AnimationTick.h"
#include "water/WaterField.h"

// The window the saver draws in. Full screen (as the base of SaverWindow) it photographs
// the desktop before it exists, keeps the picture in two screen-sized surfaces and a water
// field of the same size, and three timers drive the animation. In the preview box it only
// paints bitmap 132, tiled over black.
class DrawWindow : public CWnd {
public:
    // `autoDelete`: the object was made with new and deletes itself after its last message.
    explicit DrawWindow(bool autoDelete);
    ~DrawWindow() override;

    // Prepares (full screen only: the snapshot, the surfaces and the water) and creates the
    // window. True when the window exists.
    bool PrepareAndCreate(DWORD extendedStyle, DWORD style, const RECT& rect, HWND parent);

    // One step of the animation for a WM_TIMER of `timerId`.
    void AnimationTick(UINT_PTR timerId);

    bool IsPreview() const { return previewMode; }
    const TickState& Tick() const { return tick; }
    const WaterField& Water() const { return water; }
    int32_t ScreenWidth() const { return screenWidth; }
    int32_t ScreenHeight() const { return screenHeight; }

    static constexpr const char* kWindowClassName = "VellumarDrawWindow";

protected:
    void PostNcDestroy() override;

    std::intptr_t OnTimer(std::uintptr_t timerId, std::intptr_t);
    std::intptr_t OnPaint(std::uintptr_t, std::intptr_t);
    std::intptr_t OnCreate(std::uintptr_t, std::intptr_t);

    // Covers the visible client area with bitmap 132 from the top-left corner.
    void PaintPreviewTiles();
    // The output surface at the client area's top-left corner: the last frame, or the desktop
    // before the first one. Draws nothing in preview mode, where the surface is empty.
    void PresentOutput(HDC dc);

    DECLARE_MESSAGE_MAP()

private:
    static void RegisterWindowClass();

    bool previewMode = false;
    CBitmap snapshotBitmap;
    int32_t screenWidth = 0;
    int32_t screenHeight = 0;
    PixelSurface sourceSurface;
    PixelSurface outputSurface;
    WaterField water;
    std::string snapshotPath;
    TickState tick;  // the drop seed and the tick counter
    bool autoDelete;
};
