#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Plain Win32 pieces shared by the Windows test programs and by the helper programs that run
// beside the saver under wine: pictures in and out of GDI, windows of our own, the message
// queue, files.

// A pixel 0x00RRGGBB for every (x, y).
using PixelFunction = uint32_t (*)(int32_t x, int32_t y);

// A 32-bit top-down bitmap of `width` x `height`.
BITMAPINFO TopDown32Info(int32_t width, int32_t height);

// Sets the top-left `width` x `height` pixels of `dc` to `pixel` exactly.
void PaintPixels(HDC dc, int32_t width, int32_t height, PixelFunction pixel);

// A screen-compatible bitmap holding `pixels` (0x00RRGGBB, top row first); the caller owns it.
HBITMAP MakeBitmap(int32_t width, int32_t height, const std::vector<uint32_t>& pixels);

// The bitmap's pixels as 0x00RRGGBB, top row first; empty when it cannot be read.
std::vector<uint32_t> ReadBitmap(HBITMAP bitmap);

// Width and height of a bitmap, {0, 0} when it is none.
SIZE BitmapSize(HBITMAP bitmap);

// A window over `area` (parent coordinates) whose class, white with the arrow cursor, is
// registered on first use; `className` is its title too.
HWND MakeTestWindow(const char* className, WNDPROC procedure, DWORD style, const RECT& area,
                    HWND parent = nullptr, DWORD extendedStyle = 0);

// Dispatches what is in the thread's queue; the code of a WM_QUIT found there, or -1.
int DrainQueue();

// Dispatches messages until WM_QUIT.
void RunMessageLoop();

// Dispatches messages while waiting up to `limit` ms for `object` (none: the whole time);
// whether it was signalled.
bool WaitPumping(HANDLE object, DWORD limit);

// A handle as the display control panel writes it: unsigned 32-bit decimal.
std::string HandleText(HWND window);

// Reads a whole file; empty when it cannot be read.
std::vector<uint8_t> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
bool FileExists(const std::string& path);

// The platform's temporary directory, ending in a backslash.
std::string TempDirectory();
