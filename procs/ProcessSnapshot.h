// CProcessSnapshot: walks the running processes into VN_PROCINFO records for the list view,
// and binds the companion library VN.DLL that completes them on the NT family.
#pragma once

#include "vn/vn.h"

#include <windows.h>
#include <tlhelp32.h>

// The message shown when VN.DLL cannot be loaded.
extern const char kLoadFailureText[];

// The system calls the snapshot makes, behind one seam so that tests can stand in for the
// Windows 95/98/Me family. This base class calls the real functions.
class CToolHelp {
  public:
    virtual ~CToolHelp() {}
    virtual HANDLE CreateToolhelp32Snapshot(DWORD dwFlags, DWORD dwPID);
    virtual BOOL Process32First(HANDLE hSnapshot, PROCESSENTRY32* pEntry);
    virtual BOOL Process32Next(HANDLE hSnapshot, PROCESSENTRY32* pEntry);
    virtual BOOL Module32First(HANDLE hSnapshot, MODULEENTRY32* pEntry);
    virtual BOOL Module32Next(HANDLE hSnapshot, MODULEENTRY32* pEntry);
    virtual HANDLE OpenProcess(DWORD dwAccess, BOOL bInherit, DWORD dwPID);
    virtual DWORD GetPriorityClass(HANDLE hProcess);
    virtual BOOL CloseHandle(HANDLE hObject);
    virtual BOOL GetVersionExA(OSVERSIONINFOA* pInfo);

    // The instance that calls the system.
    static CToolHelp& System();
};

// The snapshot half of the process list view. The view derives from it and supplies the list
// operations and the two reactions to a failed binding.
class CProcessSnapshot {
  public:
    // Fixes the platform family (m_bNT) once. pToolHelp, when given, must outlive the object.
    explicit CProcessSnapshot(CToolHelp* pToolHelp = nullptr);
    virtual ~CProcessSnapshot();
    CProcessSnapshot(const CProcessSnapshot&) = delete;
    CProcessSnapshot& operator=(const CProcessSnapshot&) = delete;

    // 0 on the Windows 95/98/Me family, 1 on every other platform.
    int IsWinNT();
    // Empties the list and walks the processes once. Non-zero when the snapshot was walked.
    virtual int RefreshList();
    int ListProcessesNT();
    int ListProcesses9x();
    void AddProcess9x(PROCESSENTRY32 entry);
    // Copies up to dwSize bytes of the module entry of process dwPID whose module id is
    // dwModuleID to pDest. Returns 1 when such a module exists, 0 otherwise.
    int FindProcessModule(DWORD dwPID, DWORD dwModuleID, void* pDest, DWORD dwSize);

    // Loads the library, resolves VN_QXT and runs it, then resolves VN_GETPI, VN_KILL and
    // VN_HWND. Returns 1 when all four are bound; otherwise 0 with no entry point bound.
    int BindLibrary();
    // Frees the library if it is held; afterwards no entry point is bound.
    void ReleaseLibrary();

  protected:
    // The list operations of the view.
    virtual void DeleteAllRows() = 0;
    virtual int AddProcessRow(VN_PROCINFO& info) = 0;
    // Reactions to a failed binding: show kLoadFailureText, and ask the main window to close.
    virtual void ShowLoadFailure() = 0;
    virtual void PostCloseRequest() = 0;
    // The file the binding loads.
    virtual const char* LibraryFileName() const { return "VN.DLL"; }

    // The system calls, real or a test's stand-in.
    CToolHelp& ToolHelp() const { return *m_pToolHelp; }

    PFN_VN_QXT m_pfnQxt;
    PFN_VN_GETPI m_pfnGetPi;
    PFN_VN_KILL m_pfnKill;
    PFN_VN_HWND m_pfnHwnd;
    HMODULE m_hLibrary;
    int m_bNT;

  private:
    void ClearEntryPoints();

    CToolHelp* m_pToolHelp;
};
