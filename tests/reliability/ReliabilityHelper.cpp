// Small Windows companion of the reliability scripts, run under wine64 beside the saver.
//
//   ReliabilityHelper.exe backdrop
//       a full-screen window (not top-most) painting a fixed pattern, as a desktop whose
//       picture the saver's ripples visibly bend; runs until its window is closed
//   ReliabilityHelper.exe activate HOLD_MS
//       shows a small window of its own, makes it the foreground window (which deactivates
//       whatever was active, a running saver included), keeps it HOLD_MS and ends
//   ReliabilityHelper.exe gdi-watch PROGRAM INTERVAL_MS
//       waits for a process running PROGRAM (file name, e.g. Vellumar.scr), then prints
//       "gdi MS COUNT" every INTERVAL_MS (live GDI objects of that process, see
//       GdiObjectCount.h) until it ends, then "ended"
#include <windows.h>
#include <tlhelp32.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Win32TestSupport.h"
#include "tests/reliability/GdiObjectCount.h"

namespace {

uint32_t BackdropPixel(int32_t x, int32_t y)
{
    // Stripes and a diagonal: every neighbourhood has edges for the refraction to bend.
    const uint32_t red = static_cast<uint32_t>((x * 7) ^ (y * 3)) & 0xFF;
    const uint32_t green = ((x / 32 + y / 32) & 1) ? 0xC0 : 0x30;
    const uint32_t blue = static_cast<uint32_t>(x + y) & 0xFF;
    return (red << 16) | (green << 8) | blue;
}

LRESULT CALLBACK BackdropProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        PaintPixels(dc, client.right, client.bottom, BackdropPixel);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int Backdrop()
{
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (!MakeTestWindow("VellumarTestBackdrop", BackdropProcedure, WS_POPUP | WS_VISIBLE, screen))
        return 3;
    std::printf("backdrop\n");
    std::fflush(stdout);
    RunMessageLoop();
    return 0;
}

int Activate(DWORD hold)
{
    HWND window = MakeTestWindow("VellumarTestActivator", DefWindowProcA, WS_POPUP | WS_VISIBLE, RECT{20, 20, 180, 110},
                                 nullptr, WS_EX_TOPMOST);
    if (!window)
        return 3;
    SetForegroundWindow(window);
    SetActiveWindow(window);
    std::printf("activated %d\n", GetForegroundWindow() == window ? 1 : 0);
    std::fflush(stdout);
    WaitPumping(nullptr, hold);
    DestroyWindow(window);
    return 0;
}

DWORD FindProcess(const char* program)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
        if (_stricmp(entry.szExeFile, program) == 0)
            found = entry.th32ProcessID;
    CloseHandle(snapshot);
    return found;
}

int GdiWatch(const char* program, DWORD interval)
{
    DWORD id = 0;
    for (int i = 0; i < 600 && !(id = FindProcess(program)); ++i)
        Sleep(100);
    HANDLE process = id ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, id) : nullptr;
    if (!process) {
        std::printf("not-found\n");
        return 3;
    }
    // A process just started has no GDI handle table until its graphics library is loaded.
    for (int i = 0; i < 100 && CountGdiObjects(process) < 0; ++i)
        Sleep(100);
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        const long count = CountGdiObjects(process);
        // A table that went away with its process while being read is no sample.
        if (count < 0 && WaitForSingleObject(process, 0) != WAIT_TIMEOUT)
            break;
        std::printf("gdi %lu %ld\n", static_cast<unsigned long>(GetTickCount() - start), count);
        std::fflush(stdout);
        WaitForSingleObject(process, interval);
    }
    std::printf("ended\n");
    CloseHandle(process);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "backdrop") == 0)
        return Backdrop();
    if (argc == 3 && std::strcmp(argv[1], "activate") == 0)
        return Activate(static_cast<DWORD>(std::atol(argv[2])));
    if (argc == 4 && std::strcmp(argv[1], "gdi-watch") == 0)
        return GdiWatch(argv[2], static_cast<DWORD>(std::atol(argv[3])));
    std::fprintf(stderr, "usage: ReliabilityHelper.exe backdrop | activate HOLD_MS | gdi-watch PROGRAM INTERVAL_MS\n");
    return 2;
}
