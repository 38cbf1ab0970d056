// CProcessCore: the running processes and how they end. It walks the processes (Tool Help),
// binds VN.DLL, which completes the records and ends processes on the NT family, ends processes
// on the 95/98/Me family itself, and tells whether a process id still belongs to a process of
// a name. No window code: the list view has one and shows what it reports.
#pragma once

#include "procs/ToolHelp.h"
#include "vn/vn.h"
#include "win/Handles.h"

#include <functional>
#include <memory>
#include <string>

class CProcessRows;

// One process as a walk of the processes meets it. Texts are UTF-8, exactly as the system
// has them (the NT family's walk is wide; the 95/98/Me family's is in the ANSI code page).
struct ProcessEntry {
    DWORD dwPID = 0;
    DWORD dwModuleID = 0; // 95/98/Me: the id of the process's own module
    DWORD dwThreads = 0;
    LONG lBasePriority = 0;
    std::string exe; // the executable's file name (on some systems its full path)
};

// One process as the list shows it: the walk's entry completed by VN.DLL.
struct ProcessRecord {
    DWORD dwPID = 0;
    std::string name; // UTF-8
    std::string path; // UTF-8; empty when it could not be learnt
    DWORD dwPriorityClass = 0;
    LONG lBasePriority = 0;
    DWORD dwThreads = 0;
    bool bOpened = false; // whether the process could be opened to learn its details
};

// The message shown when VN.DLL cannot be loaded.
extern const char kLoadFailureText[];
// The library the core binds.
extern const char kLibraryFileName[];

class CProcessCore {
  public:
    // What a binding of the library came to.
    enum BindResult {
        Bound,        // every entry point is there
        LoadFailed,   // the library could not be loaded at all
        EntryMissing, // loaded, but an entry point is missing: nothing is bound
    };

    // Fixes the platform family (m_bNT) once. pToolHelp, when given, must outlive the object;
    // pszLibraryFile replaces VN.DLL as the file the binding loads.
    explicit CProcessCore(CToolHelp* pToolHelp = nullptr,
                          const char* pszLibraryFile = kLibraryFileName);
    CProcessCore(const CProcessCore&) = delete;
    CProcessCore& operator=(const CProcessCore&) = delete;

    // A core of its own for other work (a kill pass on its thread), set up as this one is -
    // the same system calls, platform family, library file, critical-process query and kill
    // stand-in - but not bound: nothing this one does later can change it.
    std::unique_ptr<CProcessCore> Twin() const;

    // 0 on the Windows 95/98/Me family, 1 on every other platform.
    int IsWinNT();
    int m_bNT;

    // Walks the processes once and hands each completed record to sink. On the NT family the
    // library is bound first; *pBind (when given) tells how that went. Non-zero when the
    // processes were walked.
    typedef std::function<void(const ProcessRecord&)> RecordSink;
    int ListProcesses(const RecordSink& sink, BindResult* pBind = nullptr);
    // The rows the list shows, from one walk: *pRows is emptied and filled.
    int ListRows(CProcessRows* pRows, BindResult* pBind = nullptr);
    int ListProcessesNT(const RecordSink& sink, BindResult* pBind);
    int ListProcesses9x(const RecordSink& sink);
    // Copies up to dwSize bytes of the module entry of process dwPID whose module id is
    // dwModuleID to pDest. Returns 1 when such a module exists, 0 otherwise.
    int FindProcessModule(DWORD dwPID, DWORD dwModuleID, void* pDest, DWORD dwSize);

    // Visits each process entry of one snapshot until visit returns false. Returns the number
    // of entries visited, or -1 when no snapshot could be taken.
    int WalkProcesses(const std::function<bool(const ProcessEntry&)>& visit);
    // The executable's file name of a process entry, upper case.
    static std::string ExeFileName(const ProcessEntry& entry);
    // The name the list shows for a process entry: the executable's file name on the NT
    // family, the name of the process's own module (no extension) on 95/98/Me.
    std::string ListedName(const ProcessEntry& entry);
    // Whether process pid is still the one listed: it has the name the list shows for it, or
    // that file name; and, when the path is given, the executable at that path. A path that
    // can no longer be read does not count as the same (no library bound: not checked).
    bool IsProcessListed(DWORD pid, const std::string& name, const std::string& path);
    // Whether an upper-case file name is the one a listed name (a file name, or a module
    // name, which on 95/98/Me lacks the last extension) stands for.
    static bool IsNameOf(const std::string& fileName, const std::string& wanted);
    // The executable's full path of a process entry ("" when it cannot be read); false when
    // there is no library to ask.
    bool ReadProcessPath(const ProcessEntry& entry, std::string* pPath);
    // Whether a process is this program: its own process, or another instance of it - one
    // run from the program's own file, or from a file whose version resource names the same
    // company and product (a copy, renamed or not). A file that says nothing either way (no
    // path known, or not to be read) is judged by its name.
    static bool IsOwnProgram(DWORD pid, const std::string& name, const std::string& path = "");

    // Loads the library, resolves VN_QXT and runs it, then resolves VN_GETPI, VN_KILL and
    // VN_HWND. Bound only when all four are there; otherwise no entry point is bound. Every
    // binding loads the library again; one reference is held.
    BindResult BindLibrary();
    // Frees the library if it is held; afterwards no entry point is bound.
    void ReleaseLibrary();
    bool IsBound() const { return m_pfnKill != nullptr; }
    HMODULE LibraryHandle() const { return m_library; }

    // Whether the system cannot live without process pid: ending it would stop Windows. The
    // system is asked where it can tell; where it cannot, the ids 0 and 4 and the session,
    // logon and service processes of the system folder (name and path as listed; an unknown
    // path counts as the system folder) are critical.
    bool IsCritical(DWORD pid, const std::string& name, const std::string& path);
    // The system's answer for one process: 1 critical, 0 not, -1 cannot tell. Tests stand in
    // for the system, which marks nothing critical under Wine.
    typedef std::function<int(DWORD pid)> CriticalQuery;
    void SetCriticalQuery(CriticalQuery query) { m_queryCritical = std::move(query); }
    static int QueryCriticalFromSystem(DWORD pid);

    // Ends process pid as the library's VN_KILLEX does, and says what became of it in
    // *pResult (cbSize set by the caller): on the NT family through the library (gently: its
    // windows are asked to close; without bWait it returns once they are asked), on 95/98/Me
    // by TerminateProcess, every kill forced. Non-zero when the process was terminated or
    // has ended. Without a bound library nothing is done: the outcome is VN_KILL_DENIED.
    int Kill(DWORD pid, int bGentle, int bWait, VN_KILLRESULT* pResult);
    // Whether the process still shows a window (VN_HWND): a process asked to close that runs
    // on without one has hidden itself rather than refused.
    bool HasVisibleWindow(DWORD pid) const;
    // Another library file for the next binding (tests).
    void SetLibraryFile(const std::string& strFile) { m_strLibraryFile = strFile; }
    // A stand-in for the library's kill entry, for tests: used in its place, over every
    // binding, until it is taken away again (null).
    void SetKillEntry(PFN_VN_KILLEX pfnKill) { m_pfnKillStandIn = pfnKill; }
    bool HasKillStandIn() const { return m_pfnKillStandIn != nullptr; }

    // The system calls, real or a test's stand-in.
    CToolHelp& ToolHelp() const { return *m_pToolHelp; }

  private:
    void ClearEntryPoints();
    // This program's file name, upper case.
    static const std::string& OwnFileName();
    // The kill entry in use: the stand-in, else the library's; null when neither is there.
    PFN_VN_KILLEX KillEntry() const { return m_pfnKillStandIn ? m_pfnKillStandIn : m_pfnKillEx; }
    // The 95/98/Me family's kill.
    int ForceKill9x(DWORD pid, VN_KILLRESULT* pResult);

    CToolHelp* m_pToolHelp;
    CriticalQuery m_queryCritical;
    std::string m_strLibraryFile;
    CLibrary m_library;
    PFN_VN_QXT m_pfnQxt;
    PFN_VN_GETPIW m_pfnGetPiW;
    PFN_VN_KILL m_pfnKill;
    PFN_VN_KILLEX m_pfnKillEx = nullptr;
    PFN_VN_HWND m_pfnHwnd;
    PFN_VN_KILLEX m_pfnKillStandIn = nullptr;
};
