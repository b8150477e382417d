#pragma once
#include <windows.h>

#include <cstdint>

#include "water/DrawWindow.h"

// The full-screen saver: a top-most drawing window over the primary screen that closes on
// a key, a mouse button, mouse movement away from the first position seen, or the loss of
// activation. It never destroys itself in a handler: it posts WM_CLOSE, whose default
// processing destroys it, and its WM_DESTROY ends the program.
class SaverWindow : public DrawWindow {
public:
    SaverWindow();
    ~SaverWindow() override;

    // Creates the window over (0, 0, SM_CXSCREEN, SM_CYSCREEN); true when it exists.
    bool CreateFullScreen();

    // The first mouse position seen, in client coordinates; (-1, -1) until then.
    int32_t mouseStartX = -1;
    int32_t mouseStartY = -1;

protected:
    std::intptr_t OnSysCommand(std::uintptr_t command, std::intptr_t);
    std::intptr_t OnDestroy(std::uintptr_t, std::intptr_t);
    std::intptr_t OnSetCursor(std::uintptr_t, std::intptr_t);
    std::intptr_t OnNcActivate(std::uintptr_t active, std::intptr_t);
    std::intptr_t OnActivate(std::uintptr_t state, std::intptr_t);
    std::intptr_t OnActivateApp(std::uintptr_t active, std::intptr_t);
    std::intptr_t OnMouseMove(std::uintptr_t, std::intptr_t position);
    std::intptr_t OnButtonDown(std::uintptr_t, std::intptr_t);
    std::intptr_t OnKeyDown(std::uintptr_t, std::intptr_t);
    std::intptr_t OnSysKeyDown(std::uintptr_t, std::intptr_t);

    DECLARE_MESSAGE_MAP()

private:
    // Posted, not sent: the triggering message is handled to its end first.
    void Close();
};
