// GetTickCount64 for the runtime's threads library, which reads it while it waits with a
// timeout. Windows XP has no GetTickCount64, and a program that imports it does not load
// there. This import slot takes the place of the system's: the programs import only
// GetTickCount, and call the system's GetTickCount64 wherever there is one. Linked as an
// object file of its own (not from a library), so that it wins over kernel32's import.
#include <windows.h>

#include "framework/TickCountWidener.h"

namespace {

TickCountWidener xpTickCount;

ULONGLONG WINAPI TickCount64()
{
    using Query = ULONGLONG(WINAPI*)();
    const auto system = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount64")));
    return system ? system() : xpTickCount.Widen(GetTickCount());
}

}  // namespace

// The name under which code compiled against kernel32's import library finds the function.
#if defined(_WIN64)
#define VELLUMAR_TICK_COUNT_64_SLOT "__imp_GetTickCount64"
#else
#define VELLUMAR_TICK_COUNT_64_SLOT "__imp__GetTickCount64@0"
#endif
extern "C" ULONGLONG(WINAPI* const vellumarTickCount64Slot)() __asm__(VELLUMAR_TICK_COUNT_64_SLOT);
extern "C" ULONGLONG(WINAPI* const vellumarTickCount64Slot)() = TickCount64;
