#pragma once
#include <cstddef>

// Asks the system to back the whole 2 MiB pages inside [start, start + bytes) with large pages,
// where it lets a program ask (Linux); best effort, so it says nothing of the outcome. Memory
// that is read cold every frame then misses far less often in the address translation too.
// Ask before the memory is first written: pages already in use are not turned over at once.
void AskForLargePages(void* start, size_t bytes);
