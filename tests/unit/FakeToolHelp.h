// A made-up system behind the Tool Help seam: the processes and modules a test declares, with
// the failures it asks for, and a record of what the snapshot did with them.
#pragma once

#include "procs/ToolHelp.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

class FakeToolHelp : public CToolHelp {
  public:
    struct Process {
        DWORD dwPID;
        DWORD dwModuleID;
        LONG lBasePriority;
        DWORD dwThreads;
        std::string strExe;    // UTF-8; the ANSI walk hands it over in the code page
        DWORD dwPriorityClass; // what GetPriorityClass answers once the process is open
        bool bOpenable;
    };
    struct Module {
        DWORD dwPID;
        DWORD dwModuleID;
        std::string strModule;
        std::string strPath;
    };

    // The made-up system.
    std::vector<Process> processes;
    std::vector<Module> modules;
    bool bProcessSnapshotFails = false;
    std::set<DWORD> moduleSnapshotFails; // processes whose module snapshot cannot be taken
    DWORD dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    bool bVersionFails = false;
    // Called as a process is opened, before the handle is made: the system may change there.
    std::function<void(DWORD dwPID)> onOpenProcess;

    // What the snapshot did.
    std::vector<DWORD> openAccess;
    std::vector<BOOL> openInherit;
    int nWrongSizes = 0;  // entries handed in without their full size in the size field
    int nBadCloses = 0;   // CloseHandle of a handle the fake never gave out, or twice
    int nModuleSteps = 0; // Module32First and Module32Next calls
    DWORD dwVersionSize = 0;
    bool bVersionCleared = false;
    std::vector<DWORD> terminated; // processes ended by TerminateProcess, which leave the list
    size_t OpenHandles() const { return m_handles.size(); }

    HANDLE CreateToolhelp32Snapshot(DWORD dwFlags, DWORD dwPID) override;
    BOOL Process32First(HANDLE hSnapshot, PROCESSENTRY32* pEntry) override;
    BOOL Process32Next(HANDLE hSnapshot, PROCESSENTRY32* pEntry) override;
    BOOL Process32FirstW(HANDLE hSnapshot, PROCESSENTRY32W* pEntry) override;
    BOOL Process32NextW(HANDLE hSnapshot, PROCESSENTRY32W* pEntry) override;
    BOOL Module32First(HANDLE hSnapshot, MODULEENTRY32* pEntry) override;
    BOOL Module32Next(HANDLE hSnapshot, MODULEENTRY32* pEntry) override;
    HANDLE OpenProcess(DWORD dwAccess, BOOL bInherit, DWORD dwPID) override;
    DWORD GetPriorityClass(HANDLE hProcess) override;
    BOOL TerminateProcess(HANDLE hProcess, UINT uExitCode) override;
    BOOL CloseHandle(HANDLE hObject) override;
    BOOL GetVersionExA(OSVERSIONINFOA* pInfo) override;

  private:
    enum Kind { ProcessSnapshot, ModuleSnapshot, ProcessHandle };
    struct Handle {
        Kind kind;
        DWORD dwPID;
        size_t nNext;
    };
    HANDLE NewHandle(Kind kind, DWORD dwPID);
    void Rewind(HANDLE hSnapshot);
    template <class Entry>
    static const Process* NextEntry(FakeToolHelp* pFake, HANDLE hSnapshot, Entry* pEntry);
    template <class Entry> static void FillEntry(const Process& p, Entry* pEntry);
    // The next process of a snapshot, or null at the end.
    const Process* NextProcess(HANDLE hSnapshot, DWORD dwSize, DWORD dwExpectedSize);
    BOOL NextModule(HANDLE hSnapshot, MODULEENTRY32* pEntry);

    std::map<HANDLE, Handle> m_handles;
    ULONG_PTR m_nNextHandle = 0x1000;
};
