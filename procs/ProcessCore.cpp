#include "procs/ProcessCore.h"
#include "procs/ProcessRows.h"
#include "procs/ProcessText.h"

#include <cstring>

const char kLoadFailureText[] = "Failed to load VN.DLL";
const char kLibraryFileName[] = "VN.DLL";

namespace {

// The full access right as the 95/98/Me family knows it (newer headers define a larger value
// that those systems refuse).
const DWORD kAllAccess9x = 0x1F0FFF;

typedef BOOL(WINAPI* PFN_SET_DLL_DIRECTORY)(LPCSTR);

// Takes the current directory out of the DLL search order where the system allows it, so
// that a VN.DLL planted there is never loaded in place of the one beside the program. The
// program's own folder becomes the DLL directory: that replaces the current directory in the
// search on every system that has a DLL directory, where an empty one does not on all of them
// (Wine still searches the current directory then). The rest of the search stays as it was.
void RemoveCurrentDirectoryFromSearch() {
    const PFN_SET_DLL_DIRECTORY pfnSet =
        ProcAddress<PFN_SET_DLL_DIRECTORY>(GetModuleHandleA("kernel32.dll"), "SetDllDirectoryA");
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

// ProcessBreakOnTermination: a process whose end stops the system.
const int kProcessBreakOnTermination = 29;
typedef LONG(WINAPI* PFN_NT_QUERY_PROCESS)(HANDLE, int, PVOID, ULONG, PULONG);
typedef BOOL(WINAPI* PFN_IS_PROCESS_CRITICAL)(HANDLE, PBOOL);

// Processes of the system folder that Windows cannot live without, for systems that cannot
// tell themselves.
const char* const kCriticalNames[] = {"CSRSS.EXE", "WININIT.EXE",  "SMSS.EXE",
                                      "LSASS.EXE", "SERVICES.EXE", "WINLOGON.EXE"};

bool InSystemFolder(const std::string& path) {
    if (path.empty()) return true; // unknown: assume the worst
    char szSystem[MAX_PATH + 1] = "";
    const UINT len = GetSystemDirectoryA(szSystem, MAX_PATH);
    if (len == 0 || len > MAX_PATH) return true;
    const std::string folder = UpperCase(path.substr(0, path.size() - FileNameOf(path).size()));
    return folder == UpperCase(std::string(szSystem) + "\\");
}

} // namespace

std::string CProcessCore::ExeFileName(const PROCESSENTRY32& entry) {
    // Some systems report the full path in the entry: its last part is the file name.
    return FileNameOf(
        UpperCase(std::string(entry.szExeFile, strnlen(entry.szExeFile, sizeof entry.szExeFile))));
}

int CProcessCore::QueryCriticalFromSystem(DWORD pid) {
    // Looked up at run time: IsProcessCritical is new in Windows 8.1, and XP must still start.
    static const PFN_IS_PROCESS_CRITICAL pfnIsCritical =
        ProcAddress<PFN_IS_PROCESS_CRITICAL>(GetModuleHandleA("kernel32.dll"), "IsProcessCritical");
    static const PFN_NT_QUERY_PROCESS pfnQuery = ProcAddress<PFN_NT_QUERY_PROCESS>(
        GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess");
    if (!pfnIsCritical && !pfnQuery) return -1;
    CHandle process(OpenProcess(0x1000 /* PROCESS_QUERY_LIMITED_INFORMATION */, FALSE, pid));
    if (!process.IsValid()) process.Attach(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid));
    if (!process.IsValid()) return -1;
    BOOL bCritical = FALSE;
    if (pfnIsCritical && pfnIsCritical(process, &bCritical)) return bCritical ? 1 : 0;
    ULONG ulBreak = 0;
    if (pfnQuery &&
        pfnQuery(process, kProcessBreakOnTermination, &ulBreak, sizeof ulBreak, nullptr) == 0)
        return ulBreak ? 1 : 0;
    return -1;
}

bool CProcessCore::IsCritical(DWORD pid, const std::string& name, const std::string& path) {
    const int answer = m_queryCritical ? m_queryCritical(pid) : -1;
    if (answer >= 0) return answer == 1;
    if (pid == 0 || pid == 4) return true; // the idle and system processes
    const std::string upper = UpperCase(FileNameOf(name));
    for (const char* pszCritical : kCriticalNames)
        if (upper == pszCritical) return InSystemFolder(path);
    return false;
}

CProcessCore::CProcessCore(CToolHelp* pToolHelp, const char* pszLibraryFile)
    : m_bNT(1), m_pToolHelp(pToolHelp ? pToolHelp : &CToolHelp::System()),
      m_queryCritical(QueryCriticalFromSystem), m_strLibraryFile(pszLibraryFile), m_pfnQxt(nullptr),
      m_pfnGetPi(nullptr), m_pfnKill(nullptr), m_pfnHwnd(nullptr) {
    IsWinNT();
}

std::unique_ptr<CProcessCore> CProcessCore::Twin() const {
    std::unique_ptr<CProcessCore> pTwin(new CProcessCore(m_pToolHelp, m_strLibraryFile.c_str()));
    pTwin->m_bNT = m_bNT;
    pTwin->m_queryCritical = m_queryCritical;
    pTwin->m_pfnKillStandIn = m_pfnKillStandIn;
    return pTwin;
}

int CProcessCore::IsWinNT() {
    OSVERSIONINFOA version;
    memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    // A failed call leaves the platform id 0, which counts as the NT family.
    m_pToolHelp->GetVersionExA(&version);
    m_bNT = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? 0 : 1;
    return m_bNT;
}

int CProcessCore::WalkProcesses(const std::function<bool(const PROCESSENTRY32&)>& visit) {
    CToolHelpHandle snapshot(*m_pToolHelp,
                             m_pToolHelp->CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsValid()) return -1;
    PROCESSENTRY32 entry;
    memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    int nVisited = 0;
    for (BOOL bMore = m_pToolHelp->Process32First(snapshot, &entry); bMore;
         bMore = m_pToolHelp->Process32Next(snapshot, &entry)) {
        ++nVisited;
        if (!visit(entry)) break;
    }
    return nVisited;
}

int CProcessCore::ListProcesses(const RecordSink& sink, BindResult* pBind) {
    return m_bNT ? ListProcessesNT(sink, pBind) : ListProcesses9x(sink);
}

int CProcessCore::ListRows(CProcessRows* pRows, BindResult* pBind) {
    pRows->Clear();
    return ListProcesses([pRows](VN_PROCINFO& info) { pRows->Add(info); }, pBind);
}

int CProcessCore::ListProcessesNT(const RecordSink& sink, BindResult* pBind) {
    const BindResult bind = BindLibrary();
    if (pBind) *pBind = bind;
    // Without the library the records cannot be completed: nothing is listed.
    if (bind != Bound) return 0;
    VN_PROCINFO info;
    const int nVisited = WalkProcesses([&](const PROCESSENTRY32& entry) {
        memset(&info, 0, sizeof info);
        info.dwPID = entry.th32ProcessID;
        info.dwThreadCount = entry.cntThreads;
        memcpy(info.szName, entry.szExeFile, sizeof entry.szExeFile);
        m_pfnGetPi(&info);
        // A library that fills a whole field must not make the list read past it.
        info.szName[sizeof info.szName - 1] = '\0';
        info.szFullPath[sizeof info.szFullPath - 1] = '\0';
        sink(info);
        return true;
    });
    return nVisited >= 0 ? 1 : 0;
}

int CProcessCore::ListProcesses9x(const RecordSink& sink) {
    const int nVisited = WalkProcesses([&](const PROCESSENTRY32& entry) {
        VN_PROCINFO info;
        memset(&info, 0, sizeof info);
        MODULEENTRY32 module;
        memset(&module, 0, sizeof module);
        // A process whose module cannot be found is left out.
        if (!FindProcessModule(entry.th32ProcessID, entry.th32ModuleID, &module, sizeof module))
            return true;
        // A process that cannot be opened keeps class 0.
        CToolHelpHandle process(*m_pToolHelp,
                                m_pToolHelp->OpenProcess(kAllAccess9x, FALSE, entry.th32ProcessID));
        if (process.IsValid()) info.dwPriorityClass = m_pToolHelp->GetPriorityClass(process);
        info.lBasePriority = entry.pcPriClassBase;
        info.dwPID = entry.th32ProcessID;
        info.dwThreadCount = entry.cntThreads;
        // Both fields are shorter than the record's, whose zeros terminate them.
        memcpy(info.szName, module.szModule, sizeof module.szModule);
        memcpy(info.szFullPath, module.szExePath, sizeof module.szExePath);
        sink(info);
        return true;
    });
    return nVisited > 0 ? 1 : 0;
}

int CProcessCore::FindProcessModule(DWORD dwPID, DWORD dwModuleID, void* pDest, DWORD dwSize) {
    CToolHelpHandle snapshot(*m_pToolHelp,
                             m_pToolHelp->CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, dwPID));
    if (!snapshot.IsValid()) return 0;
    MODULEENTRY32 module;
    memset(&module, 0, sizeof module);
    module.dwSize = sizeof module;
    for (BOOL bMore = m_pToolHelp->Module32First(snapshot, &module); bMore;
         bMore = m_pToolHelp->Module32Next(snapshot, &module)) {
        if (module.th32ModuleID == dwModuleID) {
            // Never more than the entry holds.
            if (pDest) memcpy(pDest, &module, dwSize < sizeof module ? dwSize : sizeof module);
            return 1;
        }
    }
    return 0;
}

bool CProcessCore::IsNameOf(const std::string& fileName, const std::string& wanted) {
    return fileName == wanted ||
           (fileName.size() > wanted.size() && fileName.compare(0, wanted.size(), wanted) == 0 &&
            fileName[wanted.size()] == '.');
}

bool CProcessCore::IsProcessNamed(DWORD pid, const std::string& name, bool* pbFound) {
    const std::string wanted = UpperCase(name);
    bool found = false, named = false;
    WalkProcesses([&](const PROCESSENTRY32& entry) {
        if (entry.th32ProcessID != pid) return true;
        found = true;
        named = IsNameOf(ExeFileName(entry), wanted);
        return false;
    });
    if (pbFound) *pbFound = found;
    return named;
}

std::string CProcessCore::ListedName(const PROCESSENTRY32& entry) {
    if (m_bNT) return ExeFileName(entry);
    // The 95/98/Me family lists a process by the name of its own module.
    MODULEENTRY32 module;
    memset(&module, 0, sizeof module);
    if (!FindProcessModule(entry.th32ProcessID, entry.th32ModuleID, &module, sizeof module))
        return ExeFileName(entry);
    return UpperCase(
        std::string(module.szModule, strnlen(module.szModule, sizeof module.szModule)));
}

const std::string& CProcessCore::OwnFileName() {
    static const std::string s_name = [] {
        char szPath[MAX_PATH + 1] = "";
        const DWORD cch = GetModuleFileNameA(nullptr, szPath, MAX_PATH);
        return UpperCase(FileNameOf(std::string(szPath, cch <= MAX_PATH ? cch : 0)));
    }();
    return s_name;
}

bool CProcessCore::IsOwnProgram(DWORD pid, const std::string& name) {
    // Every instance of the program counts as the program itself: another Vantrel window, or
    // a "/kill" run beside this one, is never ended by a pass.
    if (pid == GetCurrentProcessId()) return true;
    const std::string& own = OwnFileName();
    return !own.empty() && !name.empty() && IsNameOf(own, UpperCase(FileNameOf(name)));
}

CProcessCore::BindResult CProcessCore::BindLibrary() {
    ClearEntryPoints();
    RemoveCurrentDirectoryFromSearch();
    // The reference of the previous binding is given back once the new one is held, so that
    // one reference is held and ReleaseLibrary really unloads the library.
    CLibrary library(LoadLibraryA(m_strLibraryFile.c_str()));
    m_library = std::move(library);
    if (!m_library.IsValid()) return LoadFailed;
    PFN_VN_QXT pfnQxt = ProcAddress<PFN_VN_QXT>(m_library, "VN_QXT");
    if (!pfnQxt) return EntryMissing;
    char buffer[VN_QXT_BUFFER_SIZE] = {};
    pfnQxt(buffer);
    PFN_VN_GETPI pfnGetPi = ProcAddress<PFN_VN_GETPI>(m_library, "VN_GETPI");
    PFN_VN_KILL pfnKill = ProcAddress<PFN_VN_KILL>(m_library, "VN_KILL");
    PFN_VN_HWND pfnHwnd = ProcAddress<PFN_VN_HWND>(m_library, "VN_HWND");
    if (!pfnGetPi || !pfnKill || !pfnHwnd) return EntryMissing;
    m_pfnQxt = pfnQxt;
    m_pfnGetPi = pfnGetPi;
    m_pfnKill = pfnKill;
    m_pfnHwnd = pfnHwnd;
    return Bound;
}

void CProcessCore::ReleaseLibrary() {
    ClearEntryPoints();
    m_library.Close();
}

void CProcessCore::ClearEntryPoints() {
    m_pfnQxt = nullptr;
    m_pfnGetPi = nullptr;
    m_pfnKill = nullptr;
    m_pfnHwnd = nullptr;
}

int CProcessCore::Kill(DWORD pid, int bGentle) {
    if (!m_bNT) return ForceKill(pid); // 95/98/Me: every kill is forced
    // Never call into a library that is not bound.
    const PFN_VN_KILL pfnKill = KillEntry();
    return pfnKill ? pfnKill(pid, bGentle, 1) : 0;
}

namespace {
BOOL CALLBACK FindWindowOf(HWND hWnd, LPARAM lParam) {
    DWORD* pdwPID = reinterpret_cast<DWORD*>(lParam);
    DWORD dwOwner = 0;
    GetWindowThreadProcessId(hWnd, &dwOwner);
    if (dwOwner != *pdwPID) return TRUE;
    *pdwPID = 0; // found
    return FALSE;
}
} // namespace

bool CProcessCore::AskToClose(DWORD pid, int bGentle) {
    const PFN_VN_KILL pfnKill = KillEntry();
    if (!pfnKill) return false;
    DWORD dwSought = pid;
    EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&dwSought));
    if (dwSought != 0) return false; // no window: nothing would ask it
    pfnKill(pid, bGentle, 0);        // the close requests, without the library's own wait
    return true;
}

BOOL CProcessCore::ForceKill(DWORD pid) {
    // SYNCHRONIZE besides the terminate right, so that the wait below really waits for the
    // end where the system checks access rights.
    CToolHelpHandle process(*m_pToolHelp,
                            m_pToolHelp->OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    if (!process.IsValid()) return FALSE;
    const BOOL ok = m_pToolHelp->TerminateProcess(process, 0xFFFFFFFF);
    if (ok) WaitForSingleObject(process, INFINITE);
    return ok;
}
