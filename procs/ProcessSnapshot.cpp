#include "procs/ProcessSnapshot.h"

#include <cstring>

const char kLoadFailureText[] = "Failed to load VN.DLL";

namespace {

// The full access right as the 95/98/Me family knows it (newer headers define a larger value
// that those systems refuse).
const DWORD kAllAccess9x = 0x1F0FFF;

#ifndef _WIN64
static_assert(sizeof(PROCESSENTRY32) == 296, "PROCESSENTRY32 size");
static_assert(sizeof(MODULEENTRY32) == 548, "MODULEENTRY32 size");
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA size");
#endif

typedef BOOL(WINAPI* PFN_SET_DLL_DIRECTORY)(LPCSTR);

// Takes the current directory out of the DLL search order where the system allows it, so
// that a VN.DLL planted there is never loaded in place of the one beside the program. The
// program's own folder becomes the DLL directory: that replaces the current directory in the
// search on every system that has a DLL directory, where an empty one does not on all of them
// (Wine still searches the current directory then). The rest of the search stays as it was.
void RemoveCurrentDirectoryFromSearch() {
    HMODULE hKernel = GetModuleHandleA("kernel32.dll");
    PFN_SET_DLL_DIRECTORY pfnSet =
        hKernel ? reinterpret_cast<PFN_SET_DLL_DIRECTORY>(
                      reinterpret_cast<void*>(GetProcAddress(hKernel, "SetDllDirectoryA")))
                : nullptr;
    if (!pfnSet) return;
    char szFolder[MAX_PATH + 1] = "";
    const DWORD cch = GetModuleFileNameA(nullptr, szFolder, MAX_PATH);
    char* pszAfterSlash = nullptr;
    if (cch > 0 && cch < MAX_PATH) {
        // The last backslash, stepping by characters so that a trail byte is never taken.
        for (char* p = szFolder; *p; p = CharNextA(p))
            if (*p == '\\') pszAfterSlash = p + 1;
    }
    if (pszAfterSlash) {
        *pszAfterSlash = '\0'; // keep the backslash: "C:\" is the root, "C:" would not be
        if (pfnSet(szFolder)) return;
    }
    pfnSet("");
}

template <typename T> T Resolve(HMODULE hModule, const char* pszName) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(hModule, pszName)));
}

} // namespace

HANDLE CToolHelp::CreateToolhelp32Snapshot(DWORD dwFlags, DWORD dwPID) {
    return ::CreateToolhelp32Snapshot(dwFlags, dwPID);
}
BOOL CToolHelp::Process32First(HANDLE hSnapshot, PROCESSENTRY32* pEntry) {
    return ::Process32First(hSnapshot, pEntry);
}
BOOL CToolHelp::Process32Next(HANDLE hSnapshot, PROCESSENTRY32* pEntry) {
    return ::Process32Next(hSnapshot, pEntry);
}
BOOL CToolHelp::Module32First(HANDLE hSnapshot, MODULEENTRY32* pEntry) {
    return ::Module32First(hSnapshot, pEntry);
}
BOOL CToolHelp::Module32Next(HANDLE hSnapshot, MODULEENTRY32* pEntry) {
    return ::Module32Next(hSnapshot, pEntry);
}
HANDLE CToolHelp::OpenProcess(DWORD dwAccess, BOOL bInherit, DWORD dwPID) {
    return ::OpenProcess(dwAccess, bInherit, dwPID);
}
DWORD CToolHelp::GetPriorityClass(HANDLE hProcess) {
    return ::GetPriorityClass(hProcess);
}
BOOL CToolHelp::CloseHandle(HANDLE hObject) {
    return ::CloseHandle(hObject);
}
BOOL CToolHelp::GetVersionExA(OSVERSIONINFOA* pInfo) {
    return ::GetVersionExA(pInfo);
}

CToolHelp& CToolHelp::System() {
    static CToolHelp s_system;
    return s_system;
}

CProcessSnapshot::CProcessSnapshot(CToolHelp* pToolHelp)
    : m_pfnQxt(nullptr), m_pfnGetPi(nullptr), m_pfnKill(nullptr), m_pfnHwnd(nullptr),
      m_hLibrary(nullptr), m_bNT(1), m_pToolHelp(pToolHelp ? pToolHelp : &CToolHelp::System()) {
    IsWinNT();
}

// The library is released by the main window's close, not here.
CProcessSnapshot::~CProcessSnapshot() {}

int CProcessSnapshot::IsWinNT() {
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    // A failed call leaves the platform id 0, which counts as the NT family.
    m_pToolHelp->GetVersionExA(&version);
    m_bNT = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? 0 : 1;
    return m_bNT;
}

int CProcessSnapshot::RefreshList() {
    DeleteAllRows();
    return m_bNT ? ListProcessesNT() : ListProcesses9x();
}

int CProcessSnapshot::ListProcessesNT() {
    if (!BindLibrary()) {
        // A library that could not be loaded at all has asked for the close already. The list
        // stays empty: the records could not be completed, and the window is about to close.
        if (m_hLibrary) PostCloseRequest();
        return 0;
    }
    HANDLE hSnapshot = m_pToolHelp->CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry;
    memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    VN_PROCINFO info;
    for (BOOL bMore = m_pToolHelp->Process32First(hSnapshot, &entry); bMore;
         bMore = m_pToolHelp->Process32Next(hSnapshot, &entry)) {
        memset(&info, 0, sizeof info);
        info.dwPID = entry.th32ProcessID;
        info.dwThreadCount = entry.cntThreads;
        memcpy(info.szName, entry.szExeFile, sizeof entry.szExeFile);
        m_pfnGetPi(&info);
        // A library that fills a whole field must not make the list read past it.
        info.szName[sizeof info.szName - 1] = '\0';
        info.szFullPath[sizeof info.szFullPath - 1] = '\0';
        AddProcessRow(info);
    }
    m_pToolHelp->CloseHandle(hSnapshot);
    return 1;
}

int CProcessSnapshot::ListProcesses9x() {
    HANDLE hSnapshot = m_pToolHelp->CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry;
    memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    BOOL bFirst = m_pToolHelp->Process32First(hSnapshot, &entry);
    for (BOOL bMore = bFirst; bMore; bMore = m_pToolHelp->Process32Next(hSnapshot, &entry))
        AddProcess9x(entry);
    m_pToolHelp->CloseHandle(hSnapshot);
    return bFirst ? 1 : 0;
}

void CProcessSnapshot::AddProcess9x(PROCESSENTRY32 entry) {
    VN_PROCINFO info;
    memset(&info, 0, sizeof info);
    MODULEENTRY32 module;
    memset(&module, 0, sizeof module);
    if (!FindProcessModule(entry.th32ProcessID, entry.th32ModuleID, &module, sizeof module)) return;
    // A process that cannot be opened keeps class 0.
    HANDLE hProcess = m_pToolHelp->OpenProcess(kAllAccess9x, FALSE, entry.th32ProcessID);
    if (hProcess) {
        info.dwPriorityClass = m_pToolHelp->GetPriorityClass(hProcess);
        m_pToolHelp->CloseHandle(hProcess);
    }
    info.lBasePriority = entry.pcPriClassBase;
    info.dwPID = entry.th32ProcessID;
    info.dwThreadCount = entry.cntThreads;
    // Both fields are shorter than the record's, whose zeros terminate them.
    memcpy(info.szName, module.szModule, sizeof module.szModule);
    memcpy(info.szFullPath, module.szExePath, sizeof module.szExePath);
    AddProcessRow(info);
}

int CProcessSnapshot::FindProcessModule(DWORD dwPID, DWORD dwModuleID, void* pDest, DWORD dwSize) {
    HANDLE hSnapshot = m_pToolHelp->CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, dwPID);
    if (hSnapshot == INVALID_HANDLE_VALUE) return 0;
    MODULEENTRY32 module;
    memset(&module, 0, sizeof module);
    module.dwSize = sizeof module;
    int bFound = 0;
    for (BOOL bMore = m_pToolHelp->Module32First(hSnapshot, &module); bMore;
         bMore = m_pToolHelp->Module32Next(hSnapshot, &module)) {
        if (module.th32ModuleID == dwModuleID) {
            // Never more than the entry holds.
            if (pDest) memcpy(pDest, &module, dwSize < sizeof module ? dwSize : sizeof module);
            bFound = 1;
            break;
        }
    }
    m_pToolHelp->CloseHandle(hSnapshot);
    return bFound;
}

int CProcessSnapshot::BindLibrary() {
    ClearEntryPoints();
    RemoveCurrentDirectoryFromSearch();
    // Every binding loads the library again. The reference of the previous binding is given
    // back, so that one reference is held and ReleaseLibrary really unloads the library.
    HMODULE hPrevious = m_hLibrary;
    m_hLibrary = LoadLibraryA(LibraryFileName());
    if (hPrevious) FreeLibrary(hPrevious);
    if (!m_hLibrary) {
        ShowLoadFailure();
        PostCloseRequest();
        return 0;
    }
    PFN_VN_QXT pfnQxt = Resolve<PFN_VN_QXT>(m_hLibrary, "VN_QXT");
    if (!pfnQxt) return 0;
    char buffer[VN_QXT_BUFFER_SIZE] = {};
    pfnQxt(buffer);
    PFN_VN_GETPI pfnGetPi = Resolve<PFN_VN_GETPI>(m_hLibrary, "VN_GETPI");
    if (!pfnGetPi) return 0;
    PFN_VN_KILL pfnKill = Resolve<PFN_VN_KILL>(m_hLibrary, "VN_KILL");
    if (!pfnKill) return 0;
    PFN_VN_HWND pfnHwnd = Resolve<PFN_VN_HWND>(m_hLibrary, "VN_HWND");
    if (!pfnHwnd) return 0;
    m_pfnQxt = pfnQxt;
    m_pfnGetPi = pfnGetPi;
    m_pfnKill = pfnKill;
    m_pfnHwnd = pfnHwnd;
    return 1;
}

void CProcessSnapshot::ReleaseLibrary() {
    ClearEntryPoints();
    if (m_hLibrary) {
        FreeLibrary(m_hLibrary);
        m_hLibrary = nullptr;
    }
}

void CProcessSnapshot::ClearEntryPoints() {
    m_pfnQxt = nullptr;
    m_pfnGetPi = nullptr;
    m_pfnKill = nullptr;
    m_pfnHwnd = nullptr;
}
