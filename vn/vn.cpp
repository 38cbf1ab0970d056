// VN.DLL: process details and kills for the program on the NT family.
#include "vn/vn.h"
#include "vn/WindowLookup.h"
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
typedef BOOL(WINAPI* PFN_QUERY_IMAGE_NAME_W)(HANDLE, DWORD, LPWSTR, PDWORD);

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

template <typename T> T KernelEntry(const char* pszName) {
    return ProcAddress<T>(GetModuleHandleA("kernel32.dll"), pszName);
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

// The base priority of the process: the kernel's, else the usual one of its class dwClass.
// False when neither is known, in which case *plPriority is 0.
bool BasePriority(HANDLE hProcess, DWORD dwClass, LONG* plPriority) {
    if (RealBasePriority(hProcess, plPriority)) return true;
    *plPriority = UsualBasePriority(dwClass);
    return *plPriority != 0;
}

// Writes the executable's path into szPath, always NUL-terminated, through pfnQuery
// (QueryFullProcessImageName, null where the system lacks it) or else pfnModuleName
// (GetModuleFileNameEx). False when the path cannot be read or does not fit, in which case
// szPath is untouched.
template <typename Char, size_t N>
bool ImagePath(HANDLE hProcess, BOOL(WINAPI* pfnQuery)(HANDLE, DWORD, Char*, PDWORD),
               DWORD(WINAPI* pfnModuleName)(HANDLE, HMODULE, Char*, DWORD), Char (&szPath)[N]) {
    Char buffer[N];
    DWORD cch = N;
    bool ok = false;
    if (pfnQuery) ok = pfnQuery(hProcess, 0, buffer, &cch) && cch < N;
    if (!ok) {
        // Systems without QueryFullProcessImageName (XP), or where it failed.
        cch = pfnModuleName(hProcess, nullptr, buffer, N);
        ok = cch > 0 && cch < N;
    }
    if (!ok) return false;
    buffer[cch] = 0;
    memcpy(szPath, buffer, (cch + 1) * sizeof(Char));
    return true;
}

// Opens the process for the questions VN_GETPI and VN_GETPIW ask, with the least access that
// answers them all: limited information where the system knows it (bLimited: it has
// QueryFullProcessImageName), else information and memory reading for GetModuleFileNameEx,
// else information alone (class and base priority, no path). When none works, the handle is
// empty and GetLastError() holds the system's reason.
CHandle OpenToQuery(DWORD dwPID, bool bLimited) {
    CHandle process;
    if (bLimited) process.Attach(OpenProcess(kQueryLimitedInformation, FALSE, dwPID));
    if (!process.IsValid())
        process.Attach(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, dwPID));
    if (!process.IsValid()) process.Attach(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, dwPID));
    return process;
}

// Opens the process dwPID for a kill with dwAccess. When it cannot be opened, returns an empty
// handle and fills the outcome.
CHandle OpenToKill(DWORD dwPID, DWORD dwAccess, VN_KILLRESULT* pResult) {
    CHandle process(OpenProcess(dwAccess, FALSE, dwPID));
    if (process.IsValid()) return process;
    const DWORD dwError = GetLastError();
    // An id that names no process is an invalid parameter to OpenProcess; so is 0, the idle
    // process, which exists but can never be opened.
    if (dwError == ERROR_INVALID_PARAMETER && dwPID != 0) {
        pResult->dwOutcome = VN_KILL_GONE;
    } else {
        pResult->dwOutcome = VN_KILL_DENIED;
        pResult->dwError = dwError;
    }
    return process;
}

// True when the process has ended; only handles still keep its id.
bool HasEnded(HANDLE hProcess) {
    return WaitForSingleObject(hProcess, 0) == WAIT_OBJECT_0;
}

int ForcedKill(DWORD dwPID, int bWait, VN_KILLRESULT* pResult) {
    CHandle process = OpenToKill(dwPID, PROCESS_TERMINATE | SYNCHRONIZE, pResult);
    if (!process.IsValid()) return 0;
    // The termination is asked for even so: whether the system accepts it for a process that
    // has ended (Wine does, Windows does not) is what the return value has always said.
    const bool bEndedBefore = HasEnded(process);
    if (!TerminateProcess(process, 0xFFFFFFFF)) {
        const DWORD dwError = GetLastError();
        if (bEndedBefore || HasEnded(process)) { // it ended on its own
            pResult->dwOutcome = VN_KILL_GONE;
        } else {
            pResult->dwOutcome = VN_KILL_DENIED;
            pResult->dwError = dwError;
        }
        return 0;
    }
    // The termination cannot be undone once accepted; the wait only lets a refresh that
    // follows no longer see the process.
    if (bWait) WaitForSingleObject(process, VN_FORCED_WAIT_MS);
    pResult->dwOutcome = bEndedBefore ? VN_KILL_GONE : VN_KILL_ENDED;
    return 1;
}

int GentleKill(DWORD dwPID, int bWait, VN_KILLRESULT* pResult) {
    // Held before the windows are asked, so that the wait is for this very process.
    CHandle process = OpenToKill(dwPID, SYNCHRONIZE, pResult);
    if (!process.IsValid()) return 0;
    if (HasEnded(process)) { // it has no window left to ask
        pResult->dwOutcome = VN_KILL_GONE;
        return 0;
    }
    const VnWindowTree tree = SystemWindowTree();
    const DWORD dwAsked = AskWindowsToClose(tree, dwPID, pResult);
    if (dwAsked != VN_KILL_ASKED) { // no window to ask, or the system refused every request
        pResult->dwOutcome = dwAsked;
        return 0;
    }
    if (WaitForSingleObject(process, bWait ? VN_GENTLE_WAIT_MS : 0) == WAIT_OBJECT_0) {
        pResult->dwOutcome = VN_KILL_ENDED;
        return 1;
    }
    if (!bWait)
        pResult->dwOutcome = VN_KILL_ASKED;
    else if (ForEachWindowOf(tree, dwPID, VN_WINDOWS_VISIBLE | VN_WINDOWS_FRAMES, nullptr,
                             nullptr) == 0)
        pResult->dwOutcome = VN_KILL_HIDDEN;
    else
        pResult->dwOutcome = VN_KILL_TIMED_OUT;
    return 0;
}

// VN_KILL and VN_KILLEX: the kill, its outcome written into *pResult (cleared here).
int Kill(DWORD dwPID, int bGentle, int bWait, VN_KILLRESULT* pResult) {
    memset(pResult, 0, sizeof *pResult);
    pResult->cbSize = sizeof *pResult;
    return bGentle ? GentleKill(dwPID, bWait, pResult) : ForcedKill(dwPID, bWait, pResult);
}

bool StopAtFirst(HWND hWnd, void* pContext) {
    *static_cast<HWND*>(pContext) = hWnd;
    return false;
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
    const PFN_QUERY_IMAGE_NAME pfnQuery =
        KernelEntry<PFN_QUERY_IMAGE_NAME>("QueryFullProcessImageNameA");
    CHandle process = OpenToQuery(pInfo->dwPID, pfnQuery != nullptr);
    if (!process.IsValid()) return 0;
    // Every field it cannot learn stays as the caller left it.
    const DWORD dwClass = GetPriorityClass(process);
    if (dwClass) pInfo->dwPriorityClass = dwClass;
    LONG lBase = 0;
    if (BasePriority(process, dwClass, &lBase)) pInfo->lBasePriority = lBase;
    ImagePath(process, pfnQuery, GetModuleFileNameExA, pInfo->szFullPath);
    return 1;
}

int WINAPI VN_KILL(DWORD dwPID, int bGentle, int bWait) {
    VN_KILLRESULT result;
    return Kill(dwPID, bGentle, bWait, &result);
}

HWND WINAPI VN_HWND(DWORD dwPID) {
    HWND hFirst = nullptr;
    ForEachWindowOf(SystemWindowTree(), dwPID, VN_WINDOWS_VISIBLE, StopAtFirst, &hFirst);
    return hFirst;
}

int WINAPI VN_GETPIW(VN_PROCINFOW* pInfo) {
    if (!pInfo || pInfo->cbSize != sizeof *pInfo) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    pInfo->dwPriorityClass = 0;
    pInfo->lBasePriority = 0;
    pInfo->dwFlags = 0;
    memset(pInfo->szFullPath, 0, sizeof pInfo->szFullPath);
    const PFN_QUERY_IMAGE_NAME_W pfnQuery =
        KernelEntry<PFN_QUERY_IMAGE_NAME_W>("QueryFullProcessImageNameW");
    CHandle process = OpenToQuery(pInfo->dwPID, pfnQuery != nullptr);
    if (!process.IsValid()) return 0;
    pInfo->dwFlags = VN_PI_OPENED;
    pInfo->dwPriorityClass = GetPriorityClass(process);
    BasePriority(process, pInfo->dwPriorityClass, &pInfo->lBasePriority);
    if (ImagePath(process, pfnQuery, GetModuleFileNameExW, pInfo->szFullPath))
        pInfo->dwFlags |= VN_PI_PATH;
    return 1;
}

int WINAPI VN_KILLEX(DWORD dwPID, int bGentle, int bWait, VN_KILLRESULT* pResult) {
    if (!pResult || pResult->cbSize != sizeof *pResult) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return Kill(dwPID, bGentle, bWait, pResult);
}

} // extern "C"

// The exports and the program's pointer types must agree, calling convention included.
static_assert(std::is_same<decltype(&VN_QXT), PFN_VN_QXT>::value, "VN_QXT type");
static_assert(std::is_same<decltype(&VN_GETPI), PFN_VN_GETPI>::value, "VN_GETPI type");
static_assert(std::is_same<decltype(&VN_KILL), PFN_VN_KILL>::value, "VN_KILL type");
static_assert(std::is_same<decltype(&VN_HWND), PFN_VN_HWND>::value, "VN_HWND type");
static_assert(std::is_same<decltype(&VN_GETPIW), PFN_VN_GETPIW>::value, "VN_GETPIW type");
static_assert(std::is_same<decltype(&VN_KILLEX), PFN_VN_KILLEX>::value, "VN_KILLEX type");
