#include "tests/reliability/GdiObjectCount.h"

#include <winternl.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Where the process environment block names the table: a 32-bit program sees its own
// 32-bit block. The entries have wine's layout in both: 64-bit object and user pointers.
constexpr size_t kPebGdiSharedHandleTableOffset = sizeof(void*) == 8 ? 0xF8 : 0x94;
constexpr size_t kHandleEntrySize = 24;  // object pointer, owner, unique, type, flags, user pointer
constexpr size_t kHandleEntryTypeOffset = 14;
constexpr size_t kMaxHandleCount = 0x10000;

using QueryInformationProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

bool ReadMemory(HANDLE process, uintptr_t address, void* buffer, size_t size)
{
    if (process == GetCurrentProcess()) {
        std::memcpy(buffer, reinterpret_cast<const void*>(address), size);
        return true;
    }
    SIZE_T read = 0;
    return ReadProcessMemory(process, reinterpret_cast<LPCVOID>(address), buffer, size, &read) && read == size;
}

}  // namespace

long CountGdiObjects(HANDLE process)
{
    static const auto query = reinterpret_cast<QueryInformationProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    if (!query)
        return -1;
    PROCESS_BASIC_INFORMATION basic{};
    if (query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 || !basic.PebBaseAddress)
        return -1;
    uintptr_t table = 0;
    if (!ReadMemory(process, reinterpret_cast<uintptr_t>(basic.PebBaseAddress) + kPebGdiSharedHandleTableOffset,
                    &table, sizeof table) ||
        !table)
        return -1;
    std::vector<uint8_t> entries(kMaxHandleCount * kHandleEntrySize);
    // Read in pieces: the table is committed whole, but a piece that fails says so alone.
    constexpr size_t kPiece = 4096 * kHandleEntrySize;
    for (size_t offset = 0; offset < entries.size(); offset += kPiece)
        if (!ReadMemory(process, table + offset, entries.data() + offset, kPiece))
            return -1;
    long live = 0;
    for (size_t entry = 0; entry < kMaxHandleCount; ++entry)
        if (entries[entry * kHandleEntrySize + kHandleEntryTypeOffset] != 0)
            ++live;
    return live;
}
