#pragma once
#include <windows.h>

// The number of live GDI objects of a process, read from its GDI handle table.
//
// GetGuiResources(GR_GDIOBJECTS) is a stub under wine, so the count is taken the way
// handle viewers take it on Windows: the process environment block names the process's
// shared GDI handle table, and every entry whose type byte is not zero is a live object
// (stock objects included). Works on this process and, with PROCESS_QUERY_INFORMATION |
// PROCESS_VM_READ, on another one. -1 when the table cannot be read.
long CountGdiObjects(HANDLE process);
