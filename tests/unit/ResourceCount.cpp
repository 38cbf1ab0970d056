#include "unit/ResourceCount.h"

#include <winternl.h>
#include <vector>

namespace {

typedef LONG(WINAPI* PFN_QUERY_SYSTEM_INFORMATION)(ULONG, PVOID, ULONG, PULONG);

// SystemExtendedHandleInformation (64): one entry per handle of every process.
struct HandleEntry {
    PVOID pObject;
    ULONG_PTR uProcessId;
    ULONG_PTR uHandle;
    ULONG uAccess;
    USHORT uBackTrace;
    USHORT uType;
    ULONG uAttributes;
    ULONG uReserved;
};
struct HandleTable {
    ULONG_PTR nCount;
    ULONG_PTR uReserved;
    HandleEntry entries[1];
};

// One entry of the GDI handle table (the 64-bit layout, which Wine also uses for 32-bit
// processes; 32-bit Windows has a 16-byte entry, but answers GetGuiResources there).
struct GdiEntry {
    UINT64 uObject;
    USHORT uProcessId;
    USHORT uCount;
    UCHAR uExtType;
    UCHAR uGeneration;
    UCHAR uType;
    UCHAR uFlags;
    UINT64 uUserPointer;
};
const int kGdiTableSize = 0x10000;

#ifndef _WIN64
bool OnWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}
#endif

template <typename T> T Ntdll(const char* pszName) {
    return reinterpret_cast<T>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), pszName)));
}

const GdiEntry* GdiTable() {
    // The table's address is kept in the process environment block.
    typedef LONG(WINAPI * PFN_QUERY)(HANDLE, int, PVOID, ULONG, PULONG);
    PFN_QUERY pfn = Ntdll<PFN_QUERY>("NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION info = {};
    if (!pfn || pfn(GetCurrentProcess(), 0, &info, sizeof info, nullptr) != 0) return nullptr;
    const BYTE* peb = reinterpret_cast<const BYTE*>(info.PebBaseAddress);
#ifdef _WIN64
    const size_t kOffset = 0xF8;
#else
    const size_t kOffset = 0x94;
    if (!OnWine()) return nullptr; // a different entry size there
#endif
    return *reinterpret_cast<const GdiEntry* const*>(peb + kOffset);
}

BOOL CALLBACK CountChild(HWND, LPARAM lp) {
    ++*reinterpret_cast<long*>(lp);
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hWnd, LPARAM lp) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid == GetCurrentProcessId()) {
        ++*reinterpret_cast<long*>(lp);
        EnumChildWindows(hWnd, CountChild, lp);
    }
    return TRUE;
}

} // namespace

long HandleCount(DWORD dwPid) {
    PFN_QUERY_SYSTEM_INFORMATION pfn =
        reinterpret_cast<PFN_QUERY_SYSTEM_INFORMATION>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!pfn) return -1;
    std::vector<BYTE> buffer(1 << 20);
    for (int tries = 0; tries < 8; ++tries) {
        ULONG needed = 0;
        LONG status = pfn(64, buffer.data(), ULONG(buffer.size()), &needed);
        if (status == 0) {
            const HandleTable* table = reinterpret_cast<const HandleTable*>(buffer.data());
            long n = 0;
            for (ULONG_PTR i = 0; i < table->nCount; ++i)
                n += table->entries[i].uProcessId == dwPid;
            return n;
        }
        buffer.resize(buffer.size() * 2);
    }
    return -1;
}

long GdiObjectCount() {
    const DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (n) return long(n);
    const GdiEntry* table = GdiTable();
    if (!table) return -1;
    const USHORT self = USHORT(GetCurrentProcessId());
    long count = 0;
    for (int i = 0; i < kGdiTableSize; ++i)
        count += table[i].uType != 0 && (table[i].uProcessId == 0 || table[i].uProcessId == self);
    return count;
}

long UserObjectCount() {
    const DWORD n = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (n) return long(n);
    long count = 0;
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
    return count;
}

const char* GdiCountSource() {
    return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) ? "GetGuiResources"
                                                               : "the GDI handle table";
}

const char* UserCountSource() {
    return GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS) ? "GetGuiResources"
                                                                : "the process's windows";
}
