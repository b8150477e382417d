// Plays the display control panel's preview box: a white window of WIDTH x HEIGHT at the
// screen's top-left corner that starts "SAVER /p HANDLE" with its own handle in unsigned
// decimal, checks that the saver's window is a visible child covering its client area,
// destroys itself after HOLD milliseconds and reports how the saver ended.
//
//   PreviewHost.exe WIDTH HEIGHT HOLD SAVER
// Prints "child-covers-host" (or "no-child-covering-host"), then "saver-exit N" (or
// "saver-running" when it did not end within 10 s after the host went, or
// "saver-not-started"); exits 0 only when the child was there and the saver ended with 0.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Win32TestSupport.h"

namespace {

constexpr UINT_PTR kHoldTimer = 1;

LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == kHoldTimer) {
        KillTimer(window, kHoldTimer);
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: PreviewHost.exe WIDTH HEIGHT HOLD SAVER\n");
        return 2;
    }
    const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
    const UINT hold = static_cast<UINT>(std::atoi(argv[3]));

    HWND host = MakeTestWindow("Vellumar preview host", HostProcedure, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                               RECT{0, 0, width, height});
    if (!host)
        return 3;
    UpdateWindow(host);
    // Let the host's own painting reach the screen before the saver paints into it.
    WaitPumping(nullptr, 1000);

    std::string commandLine = "\"" + std::string(argv[4]) + "\" /p " + HandleText(host);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("saver-not-started\n");
        return 4;
    }
    std::printf("host %s\n", HandleText(host).c_str());
    std::fflush(stdout);

    // The saver's window must be a child covering the host's client area exactly.
    bool childCovers = false;
    const DWORD started = GetTickCount();
    while (!childCovers && GetTickCount() - started < 10000) {
        WaitPumping(nullptr, 20);
        HWND child = GetWindow(host, GW_CHILD);
        DWORD childProcess = 0;
        if (child)
            GetWindowThreadProcessId(child, &childProcess);
        RECT hostClient{}, childRect{};
        GetClientRect(host, &hostClient);
        if (child && GetWindowRect(child, &childRect)) {
            MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&childRect), 2);
            childCovers = childProcess == process.dwProcessId && EqualRect(&childRect, &hostClient) &&
                          (GetWindowLongA(child, GWL_STYLE) & (WS_CHILD | WS_VISIBLE)) == (WS_CHILD | WS_VISIBLE);
        }
    }
    std::printf(childCovers ? "child-covers-host\n" : "no-child-covering-host\n");
    std::fflush(stdout);

    SetTimer(host, kHoldTimer, hold, nullptr);
    RunMessageLoop();

    DWORD status = 0;
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        std::printf("saver-running\n");
        TerminateProcess(process.hProcess, 9);
        return 5;
    }
    GetExitCodeProcess(process.hProcess, &status);
    std::printf("saver-exit %lu\n", static_cast<unsigned long>(status));
    return status == 0 && childCovers ? 0 : 1;
}
