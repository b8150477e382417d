#include "water/DrawWindow.h"

#include <cstdint>

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
    // No background brush: the screen keeps what it showed until the first frame.
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
    HDC screen = GetDC(nullptr);
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
    }
    ReleaseDC(nullptr, screen);
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
            PixelsFor(outputSurface, water), RowOrder::BottomUp, [this] {
                HDC dc = GetDC(m_hWnd);
                outputSurface.Draw(dc, 0, 0, false);
                ReleaseDC(m_hWnd, dc);
            });
}

std::intptr_t DrawWindow::OnPaint(std::uintptr_t, std::intptr_t)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    if (previewMode) {
        RECT client;
        GetClientRect(m_hWnd, &client);
        HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
        FillRect(dc, &client, black);
        DeleteObject(black);
        PaintPreviewTiles();
    }
    EndPaint(m_hWnd, &paint);
    return 0;
}

void DrawWindow::PaintPreviewTiles()
{
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_PREVIEW));
    if (!bitmap)
        return;
    BITMAP description{};
    GetObjectA(bitmap, sizeof description, &description);
    const int64_t width = description.bmWidth;
    const int64_t height = description.bmHeight;

    HDC dc = GetDC(m_hWnd);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, bitmap);
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
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(bitmap);
    ReleaseDC(m_hWnd, dc);
}

void DrawWindow::PostNcDestroy()
{
    if (autoDelete)
        delete this;
}
