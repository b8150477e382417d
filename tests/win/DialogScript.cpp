#include "DialogScript.h"

namespace {

DialogScript* activeScript = nullptr;

// Ticks (of 30 ms) that steps may wait in all, and that may pass after the last step.
constexpr int kPatience = 200;

BOOL CALLBACK CollectDialog(HWND window, LPARAM found)
{
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) == "#32770")
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

} // namespace

DialogScript::DialogScript(std::vector<Step> steps) : steps(std::move(steps))
{
    activeScript = this;
    timer = SetTimer(nullptr, 0, 30, Tick);
}

DialogScript::~DialogScript()
{
    KillTimer(nullptr, timer);
    activeScript = nullptr;
}

void CALLBACK DialogScript::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    DialogScript* script = activeScript;
    if (!script)
        return;
    if (script->next < script->steps.size()) {
        // Advance first: the step may run a nested modal loop that ticks again meanwhile.
        const size_t step = script->next++;
        const bool done = script->steps[step]();
        // Not ready: again next time, unless later steps ran meanwhile in a nested loop.
        if (!done && script->next == step + 1) {
            script->next = step;
            ++script->idleTicks;
        }
        if (script->idleTicks <= kPatience)
            return;
    } else {
        ++script->idleTicks;
    }
    if (script->idleTicks > kPatience) {
        for (HWND dialog : ThreadDialogs())
            EndDialog(dialog, kAbandoned);
    }
}

DialogScript::Step OnShown(HWND (*find)(), std::function<void(HWND)> act)
{
    return [find, act] {
        const HWND window = find();
        if (!window || !IsWindowVisible(window))
            return false;
        act(window);
        return true;
    };
}

DialogScript::Step Now(std::function<void()> act)
{
    return [act] {
        act();
        return true;
    };
}

std::vector<HWND> ThreadDialogs()
{
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND ThreadDialogWith(int controlId)
{
    for (HWND dialog : ThreadDialogs()) {
        if (GetDlgItem(dialog, controlId))
            return dialog;
    }
    return nullptr;
}

std::string WindowText(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void PressKey(WPARAM virtualKey)
{
    const HWND focus = GetFocus();
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(virtualKey), 0)) << 16;
    PostMessageA(focus, WM_KEYDOWN, virtualKey, scan | 1);
    PostMessageA(focus, WM_KEYUP, virtualKey, scan | 1 | (3u << 30));
}
