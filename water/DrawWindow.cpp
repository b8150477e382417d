#include "water/DrawWindow.h"

#include <cstdint>

#include "framework/CClientDC.h"
#include "framework/CDC.h"
#include "framework/CSelectedObject.h"
#include "host/SaverApp.h"
#include "imaging/DesktopSnapshot.h"
#include "imaging/PictureHolder.h"
#include "resources/resource.h"
#include "water/DrawWindowPixels.h"

namespace {

uint32_t* PixelsFor(PixelSurface& surface, const WaterField& water)
{
    return PixelsCoveringField(surface.Pixels(), surface.Width(), surface.Height(), water.Width(), water.Height());
}

}  // namespace

BEGIN_MESSAGE_MAP(DrawWindow, CWnd)
    ON_MESSAGE(WM_TIMER, OnTimer)
    ON_MESSAGE(WM_PAINT, OnPaint)
    ON_MESSAGE(WM_CREATE, OnCreate)
END_MESSAGE_MAP()

DrawWindow::DrawWindow(bool autoDelete) : autoDelete(autoDelete) {}

DrawWindow::~DrawWindow() = default;

void DrawWindow::RegisterWindowClass()
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = CWnd::WindowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(windowClass.hInstance, MAKEINTRESOURCEA(IDC_TRANSPARENT));
    // No background brush: nothing is ever erased; full screen, the window shows the desktop
    // it photographed until the first frame.
    windowClass.lpszClassName = kWindowClassName;
    registered = RegisterClassA(&windowClass) != 0;
}

bool DrawWindow::PrepareAndCreate(DWORD extendedStyle, DWORD style, const RECT& rect, HWND parent)
{
    RegisterWindowClass();
    if (SaverApp::IsPreviewMode()) {
        previewMode = true;
        return CWnd::Create(extendedStyle, kWindowClassName, "", style, rect, parent, 0);
    }

    // Everything is prepared before the window exists, so that the snapshot shows the
    // desktop without it.
    CClientDC screen(nullptr);
    screenWidth = GetDeviceCaps(screen, HORZRES);
    screenHeight = GetDeviceCaps(screen, VERTRES);
    bool created = false;
    {
        snapshotPath = DesktopSnapshot::SnapshotPath();
        if (!snapshotPath.empty() && DesktopSnapshot::CaptureToFile(snapshotPath))
            DesktopSnapshot::LoadMirrored(snapshotPath, snapshotBitmap);
        DesktopSnapshot::RemoveSnapshot(snapshotPath);

        PictureHolder picture;  // takes the snapshot bitmap over and lives only until the window exists
        picture.CreateFromBitmap(&snapshotBitmap, nullptr, true);
        sourceSurface.CreateFromPicture(picture, screenWidth, screenHeight);
        outputSurface.CreateFromPicture(picture, screenWidth, screenHeight);
        water.Create(screenWidth, screenHeight);
        tick = TickState{};

        created = CWnd::Create(extendedStyle, kWindowClassName, "", style, rect, parent, 0);
        // The window is on the screen now, with a new surface that holds nothing yet: the
        // platform may show that surface (black) as soon as it gets to it, well before the
        // first frame. It shows the desktop it was prepared from instead.
        if (created)
            PresentOutput(CClientDC(m_hWnd));
    }
    return created;
}

std::intptr_t DrawWindow::OnCreate(std::uintptr_t, std::intptr_t)
{
    if (Default() == -1)
        return -1;
    if (SaverApp::IsPreviewMode())
        previewMode = true;
    for (const SaverTimer& timer : kSaverTimers)
        SetTimer(m_hWnd, timer.id, timer.periodMs, nullptr);
    return 0;
}

std::intptr_t DrawWindow::OnTimer(std::uintptr_t timerId, std::intptr_t)
{
    AnimationTick(timerId);
    return 0;
}

void DrawWindow::AnimationTick(UINT_PTR timerId)
{
    RunTick(water, tick, timerId, screenWidth, screenHeight, PixelsFor(sourceSurface, water),
            PixelsFor(outputSurface, water), RowOrder::BottomUp, [this] { PresentOutput(CClientDC(m_hWnd)); });
}

void DrawWindow::PresentOutput(HDC dc)
{
    outputSurface.Draw(dc, 0, 0, false);
}

std::intptr_t DrawWindow::OnPaint(std::uintptr_t, std::intptr_t)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    if (previewMode) {
        RECT client;
        GetClientRect(m_hWnd, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        PaintPreviewTiles();
    } else {
        // Full screen: whatever the window is asked to show again is the frame it holds (the
        // desktop until the first tick).
        PresentOutput(dc);
    }
    EndPaint(m_hWnd, &paint);
    return 0;
}

void DrawWindow::PaintPreviewTiles()
{
    CBitmap bitmap;
    if (!bitmap.Attach(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_PREVIEW))))
        return;
    BITMAP description{};
    GetObjectA(bitmap.GetSafeHandle(), sizeof description, &description);
    const int64_t width = description.bmWidth;
    const int64_t height = description.bmHeight;

    CClientDC dc(m_hWnd);
    CDC memory;
    memory.CreateCompatibleDC(dc);
    CSelectedObject selected(memory, bitmap.GetSafeHandle());
    RECT clip{};
    GetClipBox(dc, &clip);
    if (width > 0 && height > 0) {
        for (int64_t top = 0; top <= clip.bottom; top += height) {
            for (int64_t left = 0; left <= clip.right; left += width) {
                const RECT tile{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(left + width),
                                static_cast<LONG>(top + height)};
                RECT visible;
                if (IntersectRect(&visible, &tile, &clip) && !IsRectEmpty(&visible))
                    BitBlt(dc, tile.left, tile.top, static_cast<int>(width), static_cast<int>(height), memory, 0, 0,
                           SRCCOPY);
            }
        }
    }
}

void DrawWindow::PostNcDestroy()
{
    if (autoDelete)
        delete this;
}
