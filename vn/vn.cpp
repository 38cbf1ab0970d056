// VN.DLL: process details and kills for the program on the NT family.
#include "vn/vn.h"
#include "VantrelVersion.h"
#include "win/Handles.h"

#include <psapi.h>
#include <cstdio>
#include <cstring>
#include <type_traits>

namespace {

const char kVersionText[] = "VN.DLL " VANTREL_VERSION_TEXT;

// Not declared below _WIN32_WINNT 0x0600; looked up at run time so that XP keeps working.
const DWORD kQueryLimitedInformation = 0x1000; // PROCESS_QUERY_LIMITED_INFORMATION
typedef BOOL(WINAPI* PFN_QUERY_IMAGE_NAME)(HANDLE, DWORD, LPSTR, PDWORD);

// ntdll's ProcessBasicInformation record (information class 0).
struct BasicProcessInfo {
    LONG ExitStatus;
    PVOID PebBaseAddress;
    ULONG_PTR AffinityMask;
    LONG BasePriority;
    ULONG_PTR UniqueProcessId;
    ULONG_PTR InheritedFromUniqueProcessId;
};
typedef LONG(WINAPI* PFN_NT_QUERY_PROCESS)(HANDLE, int, PVOID, ULONG, PULONG);

PFN_QUERY_IMAGE_NAME QueryImageNameEntry() {
    return ProcAddress<PFN_QUERY_IMAGE_NAME>(GetModuleHandleA("kernel32.dll"),
                                             "QueryFullProcessImageNameA");
}

// The base priority a process of this class usually has; 0 for a class we do not know.
LONG UsualBasePriority(DWORD dwClass) {
    switch (dwClass) {
    case IDLE_PRIORITY_CLASS:
        return 4;
    case BELOW_NORMAL_PRIORITY_CLASS:
        return 6;
    case NORMAL_PRIORITY_CLASS:
        return 8;
    case ABOVE_NORMAL_PRIORITY_CLASS:
        return 10;
    case HIGH_PRIORITY_CLASS:
        return 13;
    case REALTIME_PRIORITY_CLASS:
        return 24;
    default:
        return 0;
    }
}

// The base priority the kernel keeps for the process; false when it cannot be asked.
bool RealBasePriority(HANDLE hProcess, LONG* plPriority) {
    const PFN_NT_QUERY_PROCESS pfnQuery = ProcAddress<PFN_NT_QUERY_PROCESS>(
        GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess");
    BasicProcessInfo info;
    memset(&info, 0, sizeof info);
    ULONG cbReturned = 0;
    if (!pfnQuery || pfnQuery(hProcess, 0, &info, sizeof info, &cbReturned) != 0) return false;
    *plPriority = info.BasePriority;
    return true;
}

// Writes the executable's path into szPath (352 bytes, always NUL-terminated). False when
// the path cannot be read, in which case szPath is untouched.
bool ImagePath(HANDLE hProcess, PFN_QUERY_IMAGE_NAME pfnQuery, char (&szPath)[352]) {
    char buffer[sizeof szPath];
    DWORD cch = sizeof buffer;
    bool ok = false;
    if (pfnQuery) ok = pfnQuery(hProcess, 0, buffer, &cch) && cch < sizeof buffer;
    if (!ok) {
        // Systems without QueryFullProcessImageNameA (XP), or where it failed.
        cch = GetModuleFileNameExA(hProcess, nullptr, buffer, sizeof buffer);
        ok = cch > 0 && cch < sizeof buffer;
    }
    if (!ok) return false;
    buffer[cch] = '\0';
    memcpy(szPath, buffer, cch + 1);
    return true;
}

struct WindowSearch {
    DWORD dwPID;
    bool bVisibleOnly;
    bool bFirstOnly;
    HWND hFirst;
    int nPosted;
};

BOOL CALLBACK VisitWindow(HWND hWnd, LPARAM lParam) {
    WindowSearch* pSearch = reinterpret_cast<WindowSearch*>(lParam);
    DWORD dwOwner = 0;
    GetWindowThreadProcessId(hWnd, &dwOwner);
    if (dwOwner != pSearch->dwPID || (pSearch->bVisibleOnly && !IsWindowVisible(hWnd))) return TRUE;
    if (pSearch->bFirstOnly) {
        pSearch->hFirst = hWnd;
        return FALSE;
    }
    if (PostMessageA(hWnd, WM_CLOSE, 0, 0)) ++pSearch->nPosted;
    return TRUE;
}

int ForcedKill(DWORD dwPID, int bWait) {
    CHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwPID));
    if (!process.IsValid()) return 0;
    BOOL bTerminated = TerminateProcess(process, 0xFFFFFFFF);
    // The termination cannot be undone once accepted; the wait only lets a refresh that
    // follows no longer see the process.
    if (bTerminated && bWait) WaitForSingleObject(process, VN_FORCED_WAIT_MS);
    return bTerminated ? 1 : 0;
}

int GentleKill(DWORD dwPID, int bWait) {
    // Held before the windows are asked, so that the wait is for this very process.
    CHandle process(OpenProcess(SYNCHRONIZE, FALSE, dwPID));
    if (!process.IsValid()) return 0;
    WindowSearch search = {dwPID, false, false, nullptr, 0};
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&search));
    if (search.nPosted == 0) return 0;
    return WaitForSingleObject(process, bWait ? VN_GENTLE_WAIT_MS : 0) == WAIT_OBJECT_0;
}

} // namespace

// Exported through vn.def by their undecorated names.
extern "C" {

int WINAPI VN_QXT(void* pBuffer) {
    if (pBuffer) snprintf(static_cast<char*>(pBuffer), VN_QXT_BUFFER_SIZE, "%s", kVersionText);
    CHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                          token.Receive()))
        return 0;
    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    int bEnabled = 0;
    if (LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &privileges.Privileges[0].Luid)) {
        // Succeeds with ERROR_NOT_ALL_ASSIGNED when the token does not hold the privilege.
        bEnabled = AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                   GetLastError() == ERROR_SUCCESS;
    }
    return bEnabled;
}

int WINAPI VN_GETPI(VN_PROCINFO* pInfo) {
    if (!pInfo) return 0;
    PFN_QUERY_IMAGE_NAME pfnQuery = QueryImageNameEntry();
    // The least access that answers every question: limited information where the system
    // knows it (with QueryFullProcessImageNameA), else information and memory reading for
    // GetModuleFileNameExA, else information alone (class and base priority, no path).
    CHandle process;
    if (pfnQuery) process.Attach(OpenProcess(kQueryLimitedInformation, FALSE, pInfo->dwPID));
    if (!process.IsValid())
        process.Attach(
            OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pInfo->dwPID));
    if (!process.IsValid())
        process.Attach(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pInfo->dwPID));
    if (!process.IsValid()) return 0;
    HANDLE hProcess = process;

    DWORD dwClass = GetPriorityClass(hProcess);
    if (dwClass) pInfo->dwPriorityClass = dwClass;
    LONG lBase = 0;
    if (RealBasePriority(hProcess, &lBase))
        pInfo->lBasePriority = lBase;
    else if (UsualBasePriority(dwClass))
        pInfo->lBasePriority = UsualBasePriority(dwClass);
    ImagePath(hProcess, pfnQuery, pInfo->szFullPath);
    return 1;
}

int WINAPI VN_KILL(DWORD dwPID, int bGentle, int bWait) {
    return bGentle ? GentleKill(dwPID, bWait) : ForcedKill(dwPID, bWait);
}

HWND WINAPI VN_HWND(DWORD dwPID) {
    WindowSearch search = {dwPID, true, true, nullptr, 0};
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&search));
    return search.hFirst;
}

} // extern "C"

// The exports and the program's pointer types must agree, calling convention included.
static_assert(std::is_same<decltype(&VN_QXT), PFN_VN_QXT>::value, "VN_QXT type");
static_assert(std::is_same<decltype(&VN_GETPI), PFN_VN_GETPI>::value, "VN_GETPI type");
static_assert(std::is_same<decltype(&VN_KILL), PFN_VN_KILL>::value, "VN_KILL type");
static_assert(std::is_same<decltype(&VN_HWND), PFN_VN_HWND>::value, "VN_HWND type");
