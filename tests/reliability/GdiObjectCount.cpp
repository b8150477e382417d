#include "tests/reliability/GdiObjectCount.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// Wine's layout: the 64-bit process environment block names the table, whose entries are
// object pointer, owner, unique, type, flags and user pointer, 64-bit pointers throughout.
constexpr uint64_t kPeb64GdiSharedHandleTableOffset = 0xF8;
constexpr size_t kHandleEntrySize = 24;
constexpr size_t kHandleEntryTypeOffset = 14;
constexpr size_t kMaxHandleCount = 0x10000;

FARPROC NtFunction(const char* name)
{
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), name);
}

bool ReadNativeMemory(HANDLE process, uint64_t address, void* buffer, size_t size)
{
    SIZE_T read = 0;
    return ReadProcessMemory(process, reinterpret_cast<LPCVOID>(static_cast<uintptr_t>(address)), buffer, size,
                             &read) &&
           read == size;
}

// Where the table lies and how to read it.
struct TableReader {
    uint64_t table = 0;
    bool (*read)(HANDLE, uint64_t, void*, size_t) = nullptr;
};

#if defined(_WIN64)
using QueryInformationProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);

bool NativeProcessBlock(HANDLE process, uint64_t& address)
{
    static const auto query = reinterpret_cast<QueryInformationProcess>(
        reinterpret_cast<void*>(NtFunction("NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
        return false;
    address = reinterpret_cast<uintptr_t>(basic.PebBaseAddress);
    return address != 0;
}

bool FindTable(HANDLE process, TableReader& reader)
{
    uint64_t block = 0;
    reader.read = ReadNativeMemory;
    return NativeProcessBlock(process, block) &&
           ReadNativeMemory(process, block + kPeb64GdiSharedHandleTableOffset, &reader.table, sizeof reader.table);
}
#else
// A 32-bit program runs under WoW64, where the 64-bit process block names the table. A wine
// built for WoW64 (wine 10) hands that block out through ntdll's WoW64 call; one whose 32-bit
// half is a 32-bit process of its own (wine 8 with wine32) lacks that call, but keeps the
// blocks as WoW64 does: a thread's 32-bit block names its 64-bit one (in GdiBatchCount), which
// names the 64-bit process block. Those all lie below 4 GB.
constexpr uint64_t kTeb32GdiBatchCountOffset = 0xF70;
constexpr uint64_t kTeb64PebOffset = 0x60;

struct BasicInformation64 {
    LONG exitStatus;
    ULONG padding;
    uint64_t pebBaseAddress;
    uint64_t rest[4];
};
struct ThreadBasicInformation {
    LONG exitStatus;
    void* tebBaseAddress;
    void* clientId[2];
    ULONG_PTR affinityMask;
    LONG priority;
    LONG basePriority;
};
using QueryInformationProcess64 = NTSTATUS(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using QueryInformationThread = NTSTATUS(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using ReadVirtualMemory64 = NTSTATUS(NTAPI*)(HANDLE, uint64_t, PVOID, uint64_t, uint64_t*);

bool ReadMemory64(HANDLE process, uint64_t address, void* buffer, size_t size)
{
    static const auto read = reinterpret_cast<ReadVirtualMemory64>(
        reinterpret_cast<void*>(NtFunction("NtWow64ReadVirtualMemory64")));
    uint64_t done = 0;
    return read && read(process, address, buffer, size, &done) == 0 && done == size;
}

bool ProcessBlock64(HANDLE process, uint64_t& address)
{
    static const auto query = reinterpret_cast<QueryInformationProcess64>(
        reinterpret_cast<void*>(NtFunction("NtWow64QueryInformationProcess64")));
    BasicInformation64 basic{};
    if (!query || query(process, 0 /* ProcessBasicInformation */, &basic, sizeof basic, nullptr) != 0)
        return false;
    address = basic.pebBaseAddress;
    return address != 0;
}

// The 32-bit block of one of the process's threads.
bool AnyThreadBlock(HANDLE process, uint64_t& address)
{
    static const auto query = reinterpret_cast<QueryInformationThread>(
        reinterpret_cast<void*>(NtFunction("NtQueryInformationThread")));
    const DWORD processId = GetProcessId(process);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (!query || !processId || snapshot == INVALID_HANDLE_VALUE)
        return false;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    address = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more && !address; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId)
            continue;
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        ThreadBasicInformation basic{};
        if (thread && query(thread, 0 /* ThreadBasicInformation */, &basic, sizeof basic, nullptr) == 0)
            address = reinterpret_cast<uintptr_t>(basic.tebBaseAddress);
        if (thread)
            CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return address != 0;
}

bool ProcessBlock64FromThread(HANDLE process, uint64_t& address)
{
    uint64_t teb32 = 0;
    uint32_t teb64 = 0;
    return AnyThreadBlock(process, teb32) &&
           ReadNativeMemory(process, teb32 + kTeb32GdiBatchCountOffset, &teb64, sizeof teb64) && teb64 &&
           ReadNativeMemory(process, teb64 + kTeb64PebOffset, &address, sizeof address) && address;
}

bool FindTable(HANDLE process, TableReader& reader)
{
    uint64_t block = 0;
    if (ProcessBlock64(process, block))
        reader.read = ReadMemory64;
    else if (ProcessBlock64FromThread(process, block))
        reader.read = ReadNativeMemory;
    else
        return false;
    return reader.read(process, block + kPeb64GdiSharedHandleTableOffset, &reader.table, sizeof reader.table);
}
#endif

}  // namespace

long CountGdiObjects(HANDLE process)
{
    TableReader reader;
    if (!FindTable(process, reader) || !reader.table)
        return -1;
    std::vector<uint8_t> entries(kMaxHandleCount * kHandleEntrySize);
    // Read in pieces: the table is committed whole, but a piece that fails says so alone.
    constexpr size_t kPiece = 4096 * kHandleEntrySize;
    for (size_t offset = 0; offset < entries.size(); offset += kPiece)
        if (!reader.read(process, reader.table + offset, entries.data() + offset, kPiece))
            return -1;
    long live = 0;
    for (size_t entry = 0; entry < kMaxHandleCount; ++entry)
        if (entries[entry * kHandleEntrySize + kHandleEntryTypeOffset] != 0)
            ++live;
    return live;
}
