#include "host/SaverWindow.h"

#include "common/MouseRule.h"

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
    return PrepareAndCreate(WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, screen, nullptr);
}

void SaverWindow::Close()
{
    PostMessage(WM_CLOSE, 0, 0);
}

std::intptr_t SaverWindow::OnSysCommand(std::uintptr_t command, std::intptr_t)
{
    // No second saver from the system's request, and no close by the system menu.
    if (command == SC_SCREENSAVE || command == SC_CLOSE)
        return 0;
    return Default();
}

std::intptr_t SaverWindow::OnDestroy(std::uintptr_t, std::intptr_t)
{
    PostQuitMessage(0);
    return Default();
}

std::intptr_t SaverWindow::OnSetCursor(std::uintptr_t, std::intptr_t)
{
    SetCursor(nullptr);
    return TRUE;
}

std::intptr_t SaverWindow::OnNcActivate(std::uintptr_t active, std::intptr_t)
{
    if (!active)
        return FALSE;  // refuse to look inactive
    return Default();
}

std::intptr_t SaverWindow::OnActivate(std::uintptr_t state, std::intptr_t)
{
    if (LOWORD(state) == WA_INACTIVE)
        Close();
    return Default();
}

std::intptr_t SaverWindow::OnActivateApp(std::uintptr_t active, std::intptr_t)
{
    if (!active)
        Close();
    return Default();
}

std::intptr_t SaverWindow::OnMouseMove(std::uintptr_t, std::intptr_t position)
{
    if (MouseMoveCloses(mouseStartX, mouseStartY, MousePositionFromLParam(position)))
        Close();
    return Default();
}

std::intptr_t SaverWindow::OnButtonDown(std::uintptr_t, std::intptr_t)
{
    Close();
    return Default();
}

std::intptr_t SaverWindow::OnKeyDown(std::uintptr_t, std::intptr_t)
{
    Close();
    return Default();
}

std::intptr_t SaverWindow::OnSysKeyDown(std::uintptr_t, std::intptr_t)
{
    Close();
    return Default();
}
