// VN.DLL's interface: the process records and the entry points, shared by the program and the
// library.
//
// Every entry point uses the __stdcall convention (WINAPI) and is exported by its undecorated
// name (VN_QXT, VN_GETPI, VN_KILL, VN_HWND, VN_GETPIW, VN_KILLEX; no "_name@n" on 32-bit
// systems); callers bind them with GetProcAddress. The first four keep their ANSI contract for
// the programs that call them; VN_GETPIW and VN_KILLEX are their wide-path and outcome
// reporting companions. Every record has one fixed layout on 32-bit and 64-bit systems: fixed
// size fields only, no pointers.
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
//   bGentle non-zero: posts WM_CLOSE to every top-level window of the process (and to a
//              store app's frame, see VN_KILLEX); with bWait non-zero, waits up to
//              VN_GENTLE_WAIT_MS for the end. Never falls back to a forced kill. Returns
//              non-zero only when the process has ended.
// A process that cannot be opened, or a gentle kill of a process without a top-level window,
// returns 0 at once. VN_KILLEX is the same kill and also says what became of the process.
typedef int(WINAPI* PFN_VN_KILL)(DWORD dwPID, int bGentle, int bWait);

// VN_HWND(dwPID): the first visible top-level window of the process, or null.
typedef HWND(WINAPI* PFN_VN_HWND)(DWORD dwPID);

// ---- VN_GETPIW: a process's details with its path in UTF-16 ----

// VN_PROCINFOW.dwFlags: what VN_GETPIW learnt.
const DWORD VN_PI_OPENED = 1; // the process could be opened (class and base priority known)
const DWORD VN_PI_PATH = 2;   // szFullPath holds the executable's full path

// Length, in WCHARs with the terminating NUL, of VN_PROCINFOW.szFullPath.
const int VN_PATH_CCH = 1024;

// One process's details, wide: a fixed 2068-byte layout without padding.
#pragma pack(push, 4)
struct VN_PROCINFOW {
    DWORD cbSize;                  // sizeof(VN_PROCINFOW), set by the caller
    DWORD dwPID;                   // process identifier, set by the caller
    DWORD dwPriorityClass;         // priority class as the system reports it; 0 when unknown
    LONG lBasePriority;            // base priority of the process's threads; 0 when unknown
    DWORD dwFlags;                 // VN_PI_OPENED | VN_PI_PATH
    WCHAR szFullPath[VN_PATH_CCH]; // full path of the executable file, NUL-terminated UTF-16
};
#pragma pack(pop)

static_assert(sizeof(WCHAR) == 2, "UTF-16 path");
static_assert(sizeof(VN_PROCINFOW) == 2068, "VN_PROCINFOW must be 2068 bytes");
static_assert(offsetof(VN_PROCINFOW, cbSize) == 0, "cbSize offset");
static_assert(offsetof(VN_PROCINFOW, dwPID) == 4, "dwPID offset");
static_assert(offsetof(VN_PROCINFOW, dwPriorityClass) == 8, "dwPriorityClass offset");
static_assert(offsetof(VN_PROCINFOW, lBasePriority) == 12, "lBasePriority offset");
static_assert(offsetof(VN_PROCINFOW, dwFlags) == 16, "dwFlags offset");
static_assert(offsetof(VN_PROCINFOW, szFullPath) == 20, "szFullPath offset");

// VN_GETPIW(pInfo): the details of the process pInfo->dwPID, with the path as the system
// stores it (any Unicode name, not narrowed to the ANSI code page).
//   pInfo: a record whose cbSize is sizeof(VN_PROCINFOW) and whose dwPID is set. A null
//          pointer or another cbSize returns 0 with GetLastError() == ERROR_INVALID_PARAMETER
//          and writes nothing.
// Otherwise clears dwPriorityClass, lBasePriority, dwFlags and szFullPath, then opens the
// process with the least access that works (limited information, else information with
// memory reading, else information alone) and fills what it learns: the class, the base
// priority (the kernel's, else the usual one of the class), and the path
// (QueryFullProcessImageNameW where the system has it, else GetModuleFileNameExW; a path that
// does not fit stays empty rather than cut short). szFullPath is always NUL-terminated.
// Returns non-zero when the process could be opened (dwFlags has VN_PI_OPENED). When it could
// not, returns 0 with the system's reason in GetLastError() (ERROR_ACCESS_DENIED,
// ERROR_INVALID_PARAMETER for an id that names no process) and every cleared field zero.
typedef int(WINAPI* PFN_VN_GETPIW)(VN_PROCINFOW* pInfo);

// ---- VN_KILLEX: a kill that says what became of the process ----

// VN_KILLRESULT.dwOutcome.
const DWORD VN_KILL_ENDED = 0;        // terminated (forced), or it ended after the request
const DWORD VN_KILL_GONE = 1;         // no such process any more when it was opened
const DWORD VN_KILL_DENIED = 2;       // it could not be opened or terminated; see dwError
const DWORD VN_KILL_NO_WINDOW = 3;    // gentle: no top-level window to ask (a console or
                                      // background program, a service, or a store app whose
                                      // window could not be found)
const DWORD VN_KILL_POST_REFUSED = 4; // gentle: the system refused every close request, e.g.
                                      // ERROR_ACCESS_DENIED for a program at a higher
                                      // integrity level; see dwError
const DWORD VN_KILL_TIMED_OUT = 5;    // gentle with wait: asked, did not end within
                                      // VN_GENTLE_WAIT_MS, a window still visible
const DWORD VN_KILL_HIDDEN = 6;       // gentle with wait: no visible window left, yet still
                                      // running at the end of the wait (a tray program)
const DWORD VN_KILL_ASKED = 7;        // gentle without wait: the requests are posted; the
                                      // caller waits for the end

// What a VN_KILLEX did: a fixed 20-byte layout.
#pragma pack(push, 4)
struct VN_KILLRESULT {
    DWORD cbSize;        // sizeof(VN_KILLRESULT), set by the caller
    DWORD dwOutcome;     // VN_KILL_...
    DWORD dwError;       // the system's error for VN_KILL_DENIED and VN_KILL_POST_REFUSED
                         // (for the other outcomes, that of the last refused close request;
                         // 0 when none was refused)
    DWORD nWindowsAsked; // gentle: windows a close request was posted to (refused ones too)
    DWORD nPostsRefused; // gentle: of those, the posts the system refused
};
#pragma pack(pop)

static_assert(sizeof(VN_KILLRESULT) == 20, "VN_KILLRESULT must be 20 bytes");
static_assert(offsetof(VN_KILLRESULT, cbSize) == 0, "cbSize offset");
static_assert(offsetof(VN_KILLRESULT, dwOutcome) == 4, "dwOutcome offset");
static_assert(offsetof(VN_KILLRESULT, dwError) == 8, "dwError offset");
static_assert(offsetof(VN_KILLRESULT, nWindowsAsked) == 12, "nWindowsAsked offset");
static_assert(offsetof(VN_KILLRESULT, nPostsRefused) == 16, "nPostsRefused offset");

// VN_KILLEX(dwPID, bGentle, bWait, pResult): the kill of VN_KILL, reporting its outcome.
//   dwPID:   the process to end.
//   bGentle: 0 forced - opens it with PROCESS_TERMINATE | SYNCHRONIZE and terminates it (exit
//            code 0xFFFFFFFF); with bWait non-zero, waits up to VN_FORCED_WAIT_MS for the end.
//            Outcomes: ENDED, GONE, DENIED.
//            Non-zero gentle - opens it with SYNCHRONIZE, then posts WM_CLOSE to every
//            top-level window of the process and, on Windows 8 and later, to each
//            ApplicationFrameWindow that hosts a window of it (a store app's frame, which
//            belongs to ApplicationFrameHost.exe). Never falls back to a forced kill.
//            Outcomes: ENDED, GONE, DENIED, NO_WINDOW, POST_REFUSED, and TIMED_OUT or HIDDEN
//            (with bWait) or ASKED (without).
//   bWait:   non-zero: wait for the end, up to the bound above; the wait ends as soon as the
//            process does. 0: return at once.
//   pResult: a record whose cbSize is sizeof(VN_KILLRESULT); every other field is written.
//            A null pointer or another cbSize returns 0 with GetLastError() ==
//            ERROR_INVALID_PARAMETER and ends nothing.
// Returns non-zero exactly when VN_KILL(dwPID, bGentle, bWait) would: the outcome is
// VN_KILL_ENDED, or VN_KILL_GONE for a forced kill of a process that had already ended where
// the system still accepts its termination (Wine does; Windows refuses it). A process id of 0
// (the idle process) is VN_KILL_DENIED.
typedef int(WINAPI* PFN_VN_KILLEX)(DWORD dwPID, int bGentle, int bWait, VN_KILLRESULT* pResult);
