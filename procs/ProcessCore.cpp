#include "procs/ProcessCore.h"
#include "procs/ProcessRows.h"
#include "procs/ProcessText.h"
#include "win/Utf8.h"
#include "win/VersionInfo.h"

#include <cstring>
#include <cwchar>
#include <vector>

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
    wchar_t szSystem[MAX_PATH + 1] = L"";
    const UINT len = GetSystemDirectoryW(szSystem, MAX_PATH);
    if (len == 0 || len > MAX_PATH) return true;
    const std::string folder = UpperCase(path.substr(0, path.size() - FileNameOf(path).size()));
    return folder == UpperCase(Utf8FromWide(szSystem) + "\\");
}

} // namespace

std::string CProcessCore::ExeFileName(const ProcessEntry& entry) {
    // Some systems report the full path in the entry: its last part is the file name.
    return UpperCase(FileNameOf(entry.exe));
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
      m_pfnGetPiW(nullptr), m_pfnKill(nullptr), m_pfnHwnd(nullptr) {
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

namespace {
// A fixed-size text field of the system, which may fill it without a NUL, as UTF-8: the
// ANSI code page's text of the 95/98/Me family, or the NT family's UTF-16.
template <size_t N> std::string FieldText(const char (&field)[N]) {
    const int cb = int(strnlen(field, N));
    const int cch = MultiByteToWideChar(CP_ACP, 0, field, cb, nullptr, 0);
    if (cch <= 0) return std::string();
    std::wstring wide(size_t(cch), L'\0');
    MultiByteToWideChar(CP_ACP, 0, field, cb, &wide[0], cch);
    return Utf8FromWide(wide.c_str(), cch);
}
template <size_t N> std::string FieldText(const WCHAR (&field)[N]) {
    return Utf8FromWide(field, int(wcsnlen(field, N)));
}

// One walk over a snapshot with the entry type and calls of one width.
template <class Entry>
int WalkEntries(CToolHelp& th, HANDLE hSnapshot, BOOL (CToolHelp::*pfnFirst)(HANDLE, Entry*),
                BOOL (CToolHelp::*pfnNext)(HANDLE, Entry*),
                const std::function<bool(const ProcessEntry&)>& visit) {
    Entry entry;
    memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    int nVisited = 0;
    for (BOOL bMore = (th.*pfnFirst)(hSnapshot, &entry); bMore;
         bMore = (th.*pfnNext)(hSnapshot, &entry)) {
        ++nVisited;
        const ProcessEntry visited = {entry.th32ProcessID, entry.th32ModuleID, entry.cntThreads,
                                      entry.pcPriClassBase, FieldText(entry.szExeFile)};
        if (!visit(visited)) break;
    }
    return nVisited;
}
} // namespace

int CProcessCore::WalkProcesses(const std::function<bool(const ProcessEntry&)>& visit) {
    CToolHelpHandle snapshot(*m_pToolHelp,
                             m_pToolHelp->CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsValid()) return -1;
    // The NT family has the wide walk, which gives every name as it is; the 95/98/Me family
    // has only the one in the ANSI code page.
    if (m_bNT)
        return WalkEntries<PROCESSENTRY32W>(*m_pToolHelp, snapshot, &CToolHelp::Process32FirstW,
                                            &CToolHelp::Process32NextW, visit);
    return WalkEntries<PROCESSENTRY32>(*m_pToolHelp, snapshot, &CToolHelp::Process32First,
                                       &CToolHelp::Process32Next, visit);
}

int CProcessCore::ListProcesses(const RecordSink& sink, BindResult* pBind) {
    return m_bNT ? ListProcessesNT(sink, pBind) : ListProcesses9x(sink);
}

int CProcessCore::ListRows(CProcessRows* pRows, BindResult* pBind) {
    pRows->Clear();
    return ListProcesses([pRows](const ProcessRecord& record) { pRows->Add(record); }, pBind);
}

int CProcessCore::ListProcessesNT(const RecordSink& sink, BindResult* pBind) {
    const BindResult bind = BindLibrary();
    if (pBind) *pBind = bind;
    // Without the library the records cannot be completed: nothing is listed.
    if (bind != Bound) return 0;
    VN_PROCINFOW info;
    ProcessRecord record;
    const int nVisited = WalkProcesses([&](const ProcessEntry& entry) {
        memset(&info, 0, sizeof info);
        info.cbSize = sizeof info;
        info.dwPID = entry.dwPID;
        m_pfnGetPiW(&info);
        record.dwPID = entry.dwPID;
        record.name = entry.exe;
        record.dwThreads = entry.dwThreads;
        record.dwPriorityClass = info.dwPriorityClass;
        record.bOpened = (info.dwFlags & VN_PI_OPENED) != 0;
        // A process the library cannot open still has the base priority Tool Help reports.
        record.lBasePriority = record.bOpened ? info.lBasePriority : entry.lBasePriority;
        // A library that fills the whole field must not make the list read past it.
        record.path = FieldText(info.szFullPath);
        sink(record);
        return true;
    });
    return nVisited >= 0 ? 1 : 0;
}

int CProcessCore::ListProcesses9x(const RecordSink& sink) {
    const int nVisited = WalkProcesses([&](const ProcessEntry& entry) {
        MODULEENTRY32 module;
        memset(&module, 0, sizeof module);
        // A process whose module cannot be found is left out.
        if (!FindProcessModule(entry.dwPID, entry.dwModuleID, &module, sizeof module)) return true;
        ProcessRecord record;
        // A process that cannot be opened keeps class 0.
        CToolHelpHandle process(*m_pToolHelp,
                                m_pToolHelp->OpenProcess(kAllAccess9x, FALSE, entry.dwPID));
        if (process.IsValid()) {
            record.dwPriorityClass = m_pToolHelp->GetPriorityClass(process);
            record.bOpened = true;
        }
        record.lBasePriority = entry.lBasePriority;
        record.dwPID = entry.dwPID;
        record.dwThreads = entry.dwThreads;
        record.name = FieldText(module.szModule);
        record.path = FieldText(module.szExePath);
        sink(record);
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
    // "NOTEPAD" stands for NOTEPAD.EXE, never for NOTEPAD.OLD.EXE.
    return fileName == wanted ||
           (fileName.size() > wanted.size() && fileName.compare(0, wanted.size(), wanted) == 0 &&
            fileName[wanted.size()] == '.' &&
            fileName.find('.', wanted.size() + 1) == std::string::npos);
}

bool CProcessCore::IsProcessListed(DWORD pid, const std::string& name, const std::string& path) {
    const std::string wanted = UpperCase(name);
    bool listed = false;
    WalkProcesses([&](const ProcessEntry& entry) {
        if (entry.dwPID != pid) return true;
        // The same name exactly: a listed name, or a favourite's file name.
        listed = ListedName(entry) == wanted || ExeFileName(entry) == wanted;
        std::string now;
        if (listed && !path.empty() && ReadProcessPath(entry, &now))
            listed = UpperCase(now) == UpperCase(path);
        return false;
    });
    return listed;
}

bool CProcessCore::ReadProcessPath(const ProcessEntry& entry, std::string* pPath) {
    pPath->clear();
    if (!m_bNT) {
        MODULEENTRY32 module;
        memset(&module, 0, sizeof module);
        if (FindProcessModule(entry.dwPID, entry.dwModuleID, &module, sizeof module))
            *pPath = FieldText(module.szExePath);
        return true;
    }
    const PFN_VN_GETPIW pfnGetPiW = m_pfnGetPiW;
    if (!pfnGetPiW) return false;
    VN_PROCINFOW info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.dwPID = entry.dwPID;
    pfnGetPiW(&info);
    *pPath = FieldText(info.szFullPath);
    return true;
}

std::string CProcessCore::ListedName(const ProcessEntry& entry) {
    if (m_bNT) return ExeFileName(entry);
    // The 95/98/Me family lists a process by the name of its own module.
    MODULEENTRY32 module;
    memset(&module, 0, sizeof module);
    if (!FindProcessModule(entry.dwPID, entry.dwModuleID, &module, sizeof module))
        return ExeFileName(entry);
    return UpperCase(FieldText(module.szModule));
}

namespace {
// The program's own file: its full path in upper case, and its company and product names.
struct OwnFile {
    std::string path;
    std::string identity;
    unsigned long long size = ~0ULL;
};
const OwnFile& Own() {
    static const OwnFile s_own = [] {
        std::vector<wchar_t> path(32768, L'\0');
        const DWORD cch = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        OwnFile own;
        own.path = UpperCase(Utf8FromWide(path.data(), cch < path.size() ? int(cch) : 0));
        if (!own.path.empty()) {
            ReadProductIdentity(own.path, &own.identity);
            own.size = FileSizeOf(own.path);
        }
        return own;
    }();
    return s_own;
}
} // namespace

const std::string& CProcessCore::OwnFileName() {
    static const std::string s_name = FileNameOf(Own().path);
    return s_name;
}

bool CProcessCore::IsOwnProgram(DWORD pid, const std::string& name, const std::string& path) {
    // Every instance of the program counts as the program itself: another Vantrel window, or
    // a "/kill" run beside this one, is never ended by a pass.
    if (pid == GetCurrentProcessId()) return true;
    const std::string& own = OwnFileName();
    const bool bOwnName =
        !own.empty() && !name.empty() && IsNameOf(own, UpperCase(FileNameOf(name)));
    if (path.empty()) return bOwnName;
    if (UpperCase(path) == Own().path) return true;
    // Another file: a copy of the program says so in its version resource; another program
    // that happens to have the same name does not. Reading the resource takes a while, and
    // only a file of the program's name, or of its size (a renamed copy), can be one.
    if (!bOwnName && FileSizeOf(path) != Own().size) return false;
    std::string identity;
    if (!ReadProductIdentity(path, &identity)) return bOwnName; // the file says nothing
    return !identity.empty() && identity == Own().identity;
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
    // VN_GETPI is not called (VN_GETPIW gives the path as it is), but it belongs to the
    // library's contract: a library without it is not the program's.
    PFN_VN_GETPI pfnGetPi = ProcAddress<PFN_VN_GETPI>(m_library, "VN_GETPI");
    PFN_VN_GETPIW pfnGetPiW = ProcAddress<PFN_VN_GETPIW>(m_library, "VN_GETPIW");
    // VN_KILL is part of the contract too; VN_KILLEX is the kill that says what it did.
    PFN_VN_KILL pfnKill = ProcAddress<PFN_VN_KILL>(m_library, "VN_KILL");
    PFN_VN_KILLEX pfnKillEx = ProcAddress<PFN_VN_KILLEX>(m_library, "VN_KILLEX");
    PFN_VN_HWND pfnHwnd = ProcAddress<PFN_VN_HWND>(m_library, "VN_HWND");
    if (!pfnGetPi || !pfnGetPiW || !pfnKill || !pfnKillEx || !pfnHwnd) return EntryMissing;
    m_pfnQxt = pfnQxt;
    m_pfnGetPiW = pfnGetPiW;
    m_pfnKill = pfnKill;
    m_pfnKillEx = pfnKillEx;
    m_pfnHwnd = pfnHwnd;
    return Bound;
}

void CProcessCore::ReleaseLibrary() {
    ClearEntryPoints();
    m_library.Close();
}

void CProcessCore::ClearEntryPoints() {
    m_pfnQxt = nullptr;
    m_pfnGetPiW = nullptr;
    m_pfnKill = nullptr;
    m_pfnKillEx = nullptr;
    m_pfnHwnd = nullptr;
}

int CProcessCore::Kill(DWORD pid, int bGentle, int bWait, VN_KILLRESULT* pResult) {
    if (!m_bNT) return ForceKill9x(pid, pResult); // 95/98/Me: every kill is forced
    // Never call into a library that is not bound.
    const PFN_VN_KILLEX pfnKill = KillEntry();
    if (pfnKill) return pfnKill(pid, bGentle, bWait, pResult);
    pResult->dwOutcome = VN_KILL_DENIED;
    pResult->dwError = ERROR_MOD_NOT_FOUND;
    return 0;
}

bool CProcessCore::HasVisibleWindow(DWORD pid) const {
    return m_pfnHwnd && m_pfnHwnd(pid) != nullptr;
}

int CProcessCore::ForceKill9x(DWORD pid, VN_KILLRESULT* pResult) {
    // SYNCHRONIZE besides the terminate right, so that the wait below really waits for the
    // end where the system checks access rights.
    CToolHelpHandle process(*m_pToolHelp,
                            m_pToolHelp->OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    const BOOL ok = process.IsValid() && m_pToolHelp->TerminateProcess(process, 0xFFFFFFFF);
    pResult->dwOutcome = ok ? VN_KILL_ENDED : VN_KILL_DENIED;
    pResult->dwError = ok ? 0 : GetLastError();
    if (ok) WaitForSingleObject(process, INFINITE);
    return ok;
}
