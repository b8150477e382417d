#include "tests/reliability/GdiObjectCount.h"

#include <winternl.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// Wine's layout: the 64-bit process environment block names the table, whose entries are
// object pointer, owner, unique, type, flags and user pointer, 64-bit pointers throughout.
// A 32-bit program here runs under WoW64, where wine fills in the 64-bit block only.
constexpr uint64_t kPebGdiSharedHandleTableOffset = 0xF8;
constexpr size_t kHandleEntrySize = 24;
constexpr size_t kHandleEntryTypeOffset = 14;
constexpr size_t kMaxHandleCount = 0x10000;

#if defined(_WIN64)
using QueryInformationProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

bool ProcessBlock(HANDLE process, uint64_t& address)
{
    static const auto query = reinterpret_cast<QueryInformationProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
        return false;
    address = reinterpret_cast<uintptr_t>(basic.PebBaseAddress);
    return address != 0;
}

bool ReadMemory(HANDLE process, uint64_t address, void* buffer, size_t size)
{
    SIZE_T read = 0;
    return ReadProcessMemory(process, reinterpret_cast<LPCVOID>(address), buffer, size, &read) && read == size;
}
#else
// The 64-bit view of a WoW64 process, through ntdll's WoW64 calls.
struct BasicInformation64 {
    LONG exitStatus;
    ULONG padding;
    uint64_t pebBaseAddress;
    uint64_t rest[4];
};
using QueryInformationProcess64 = NTSTATUS(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using ReadVirtualMemory64 = NTSTATUS(NTAPI*)(HANDLE, uint64_t, PVOID, uint64_t, uint64_t*);

FARPROC NtFunction(const char* name)
{
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), name);
}

bool ProcessBlock(HANDLE process, uint64_t& address)
{
    static const auto query = reinterpret_cast<QueryInformationProcess64>(
        reinterpret_cast<void*>(NtFunction("NtWow64QueryInformationProcess64")));
    BasicInformation64 basic{};
    if (!query || query(process, 0 /* ProcessBasicInformation */, &basic, sizeof basic, nullptr) != 0)
        return false;
    address = basic.pebBaseAddress;
    return address != 0;
}

bool ReadMemory(HANDLE process, uint64_t address, void* buffer, size_t size)
{
    static const auto read = reinterpret_cast<ReadVirtualMemory64>(
        reinterpret_cast<void*>(NtFunction("NtWow64ReadVirtualMemory64")));
    uint64_t done = 0;
    return read && read(process, address, buffer, size, &done) == 0 && done == size;
}
#endif

}  // namespace

long CountGdiObjects(HANDLE process)
{
    uint64_t block = 0, table = 0;
    if (!ProcessBlock(process, block) ||
        !ReadMemory(process, block + kPebGdiSharedHandleTableOffset, &table, sizeof table) || !table)
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
