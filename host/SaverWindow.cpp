#include "host/SaverWindow.h"

#include "host/MouseRule.h"

BEGIN_MESSAGE_MAP(SaverWindow, DrawWindow)
    ON_MESSAGE(WM_SYSCOMMAND, OnSysCommand)
    ON_MESSAGE(WM_DESTROY, OnDestroy)
    ON_MESSAGE(WM_SETCURSOR, OnSetCursor)
    ON_MESSAGE(WM_NCACTIVATE, OnNcActivate)
    ON_MESSAGE(WM_ACTIVATE, OnActivate)
    ON_MESSAGE(WM_ACTIVATEAPP, OnActivateApp)
    ON_MESSAGE(WM_MOUSEMOVE, OnMouseMove)
    ON_MESSAGE(WM_LBUTTONDOWN, OnButtonDown)
    ON_MESSAGE(WM_MBUTTONDOWN, OnButtonDown)
    ON_MESSAGE(WM_RBUTTONDOWN, OnButtonDown)
    ON_MESSAGE(WM_KEYDOWN, OnKeyDown)
    ON_MESSAGE(WM_SYSKEYDOWN, OnSysKeyDown)
END_MESSAGE_MAP()

SaverWindow::SaverWindow() : DrawWindow(true) {}

SaverWindow::~SaverWindow() = default;

bool SaverWindow::CreateFullScreen()
{
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const RECT screen{0, 0, width, height};
    return Create(WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, screen, nullptr);
}

void SaverWindow::Close()
{
    PostMessage(WM_CLOSE, 0, 0);
}

LRESULT SaverWindow::OnSysCommand(WPARAM command, LPARAM)
{
    // No second saver from the system's request, and no close by the system menu.
    if (command == SC_SCREENSAVE || command == SC_CLOSE)
        return 0;
    return Default();
}

LRESULT SaverWindow::OnDestroy(WPARAM, LPARAM)
{
    PostQuitMessage(0);
    return Default();
}

LRESULT SaverWindow::OnSetCursor(WPARAM, LPARAM)
{
    SetCursor(nullptr);
    return TRUE;
}

LRESULT SaverWindow::OnNcActivate(WPARAM active, LPARAM)
{
    if (!active)
        return FALSE;  // refuse to look inactive
    return Default();
}

LRESULT SaverWindow::OnActivate(WPARAM state, LPARAM)
{
    if (LOWORD(state) == WA_INACTIVE)
        Close();
    return Default();
}

LRESULT SaverWindow::OnActivateApp(WPARAM active, LPARAM)
{
    if (!active)
        Close();
    return Default();
}

LRESULT SaverWindow::OnMouseMove(WPARAM, LPARAM position)
{
    if (MouseMoveCloses(mouseStartX, mouseStartY, MousePositionFromLParam(position)))
        Close();
    return Default();
}

LRESULT SaverWindow::OnButtonDown(WPARAM, LPARAM)
{
    Close();
    return Default();
}

LRESULT SaverWindow::OnKeyDown(WPARAM, LPARAM)
{
    Close();
    return Default();
}

LRESULT SaverWindow::OnSysKeyDown(WPARAM, LPARAM)
{
    Close();
    return Default();
}
