#pragma once

// How many handles a Windows process holds, for leak checks: the system's own
// count, or where that gives 0 (Wine) the process's entries in the system-wide
// handle table. 0 where neither is available.

#ifdef _WIN32

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace halvo::test {

namespace handle_table {
struct Entry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
};
struct Table {
    ULONG count;
    Entry entries[1];
};
using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
constexpr ULONG kSystemHandleInformation = 16;

inline DWORD HandlesOf(DWORD processId) {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (ntdll == nullptr) return 0;
    const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation")));
    if (query == nullptr) return 0;
    std::vector<std::uint8_t> buffer(1 << 16);
    for (int attempt = 0; attempt < 12; ++attempt) {
        ULONG needed = 0;
        const LONG status =
            query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            const auto* table = reinterpret_cast<const Table*>(buffer.data());
            DWORD n = 0;
            for (ULONG i = 0; i < table->count; ++i) n += table->entries[i].ownerPid == processId ? 1u : 0u;
            return n;
        }
        buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed));
    }
    return 0;
}
}  // namespace handle_table

inline DWORD ProcessHandles(HANDLE process) {
    DWORD handles = 0;
    if (!GetProcessHandleCount(process, &handles) || handles == 0) {
        handles = handle_table::HandlesOf(GetProcessId(process));
    }
    return handles;
}

}  // namespace halvo::test

#endif
