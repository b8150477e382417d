#include "water/LargePages.h"

#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif

void AskForLargePages(void* start, size_t bytes)
{
#ifdef __linux__
    constexpr uintptr_t kLarge = uintptr_t{2} << 20;
    const uintptr_t first = (reinterpret_cast<uintptr_t>(start) + kLarge - 1) & ~(kLarge - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(start) + bytes) & ~(kLarge - 1);
    if (first < end)
        madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
    (void)start;
    (void)bytes;
#endif
}
