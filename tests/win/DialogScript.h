#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Win32TestSupport.h"

// Drives modal dialogs from inside their own modal loops: the steps run one per tick of a
// thread timer, which every modal loop (the about box's nested one too) dispatches. A step
// that opens a nested loop does not hold up the following steps: they run from inside it.
// A step that returns false is not ready (a dialog not shown yet, say) and runs again at the
// next tick.
// Should a test leave a dialog open, every dialog of the thread is ended with kAbandoned after
// the steps have run out, so the test fails instead of hanging.
class DialogScript {
public:
    static constexpr INT_PTR kAbandoned = 99;

    using Step = std::function<bool()>;

    explicit DialogScript(std::vector<Step> steps);
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    // Steps that have run.
    size_t StepsRun() const { return next; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);

    std::vector<Step> steps;
    size_t next = 0;
    int idleTicks = 0;
    UINT_PTR timer = 0;
};

// A step that waits until the dialog `find` gives is on screen, then acts on it.
DialogScript::Step OnShown(HWND (*find)(), std::function<void(HWND)> act);

// A step that does its work at once.
DialogScript::Step Now(std::function<void()> act);

// Dialog windows of this thread, shown or not yet shown, in no particular order.
std::vector<HWND> ThreadDialogs();

// The dialog of this thread holding control `controlId`, or null.
HWND ThreadDialogWith(int controlId);

std::string WindowText(HWND window);

// A key as the keyboard gives it, posted to the window with the focus.
void PressKey(WPARAM virtualKey);
