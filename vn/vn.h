// VN.DLL's interface: the process record and the four entry points, shared by the program
// and the library.
//
// Every entry point uses the __stdcall convention (WINAPI) and is exported by its undecorated
// name (VN_QXT, VN_GETPI, VN_KILL, VN_HWND); the program binds them with GetProcAddress.
#pragma once

#include <windows.h>
#include <cstddef>

// One process's data: a fixed 720-byte little-endian layout without padding. It is the binary
// argument of VN_GETPI, so sizes and offsets must never change.
#pragma pack(push, 4)
struct VN_PROCINFO {
    char szName[352];      // executable or module name, NUL-terminated ANSI
    DWORD dwPID;           // process identifier
    DWORD dwPriorityClass; // priority class as the system reports it; 0 when unknown
    LONG lBasePriority;    // base priority of the process's threads
    DWORD dwThreadCount;   // number of threads
    char szFullPath[352];  // full path of the executable file, NUL-terminated ANSI
};
#pragma pack(pop)

static_assert(sizeof(VN_PROCINFO) == 720, "VN_PROCINFO must be 720 bytes");
static_assert(offsetof(VN_PROCINFO, szName) == 0, "szName offset");
static_assert(offsetof(VN_PROCINFO, dwPID) == 352, "dwPID offset");
static_assert(offsetof(VN_PROCINFO, dwPriorityClass) == 356, "dwPriorityClass offset");
static_assert(offsetof(VN_PROCINFO, lBasePriority) == 360, "lBasePriority offset");
static_assert(offsetof(VN_PROCINFO, dwThreadCount) == 364, "dwThreadCount offset");
static_assert(offsetof(VN_PROCINFO, szFullPath) == 368, "szFullPath offset");
static_assert(sizeof(LONG) == 4 && sizeof(DWORD) == 4, "32-bit record fields");

// Size of the buffer the caller hands to VN_QXT.
const int VN_QXT_BUFFER_SIZE = 80;

// Longest time, in milliseconds, VN_KILL waits for the end of a process when asked to wait:
// after a forced termination, and after asking its windows to close.
const DWORD VN_FORCED_WAIT_MS = 5000;
const DWORD VN_GENTLE_WAIT_MS = 5000;

// VN_QXT(pBuffer): start-up, called once per binding. Enables SeDebugPrivilege for the calling
// process where its token holds it, so that other users' and service processes can be read
// and ended. When pBuffer is not null, writes a NUL-terminated version text of at most
// VN_QXT_BUFFER_SIZE bytes into it. Returns non-zero when the privilege is enabled.
typedef int(WINAPI* PFN_VN_QXT)(void* pBuffer);

// VN_GETPI(pInfo): completes a record whose dwPID is set. Fills dwPriorityClass,
// lBasePriority and szFullPath when the process can be opened and the value can be learnt;
// leaves every other field, and every field it cannot learn, as it is. szFullPath is always
// NUL-terminated when written. Returns non-zero when the process could be opened.
typedef int(WINAPI* PFN_VN_GETPI)(VN_PROCINFO* pInfo);

// VN_KILL(dwPID, bGentle, bWait): ends one process.
//   bGentle 0: forced - TerminateProcess; with bWait non-zero, waits up to VN_FORCED_WAIT_MS
//              for the end. Returns non-zero when the termination succeeded.
//   bGentle non-zero: posts WM_CLOSE to every top-level window of the process; with bWait
//              non-zero, waits up to VN_GENTLE_WAIT_MS for the end. Never falls back to a
//              forced kill. Returns non-zero only when the process has ended.
// A process that cannot be opened, or a gentle kill of a process without a top-level window,
// returns 0 at once.
typedef int(WINAPI* PFN_VN_KILL)(DWORD dwPID, int bGentle, int bWait);

// VN_HWND(dwPID): the first visible top-level window of the process, or null.
typedef HWND(WINAPI* PFN_VN_HWND)(DWORD dwPID);
