// CToolHelp: the system calls the process core makes to walk the processes, behind one seam so
// that tests can stand in for the Windows 95/98/Me family and for a system whose processes
// change at a chosen moment.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

class CToolHelp {
  public:
    virtual ~CToolHelp() {}
    virtual HANDLE CreateToolhelp32Snapshot(DWORD dwFlags, DWORD dwPID);
    virtual BOOL Process32First(HANDLE hSnapshot, PROCESSENTRY32* pEntry);
    virtual BOOL Process32Next(HANDLE hSnapshot, PROCESSENTRY32* pEntry);
    // The wide walk (the NT family): names as they are, whatever the code page.
    virtual BOOL Process32FirstW(HANDLE hSnapshot, PROCESSENTRY32W* pEntry);
    virtual BOOL Process32NextW(HANDLE hSnapshot, PROCESSENTRY32W* pEntry);
    virtual BOOL Module32First(HANDLE hSnapshot, MODULEENTRY32* pEntry);
    virtual BOOL Module32Next(HANDLE hSnapshot, MODULEENTRY32* pEntry);
    virtual HANDLE OpenProcess(DWORD dwAccess, BOOL bInherit, DWORD dwPID);
    virtual DWORD GetPriorityClass(HANDLE hProcess);
    virtual BOOL TerminateProcess(HANDLE hProcess, UINT uExitCode);
    virtual BOOL CloseHandle(HANDLE hObject);
    virtual BOOL GetVersionExA(OSVERSIONINFOA* pInfo);

    // The instance that calls the system.
    static CToolHelp& System();
};

// A handle from the seam, closed through it when it goes.
class CToolHelpHandle {
  public:
    CToolHelpHandle(CToolHelp& th, HANDLE h) : m_pth(&th), m_h(h) {}
    ~CToolHelpHandle() {
        if (IsValid()) m_pth->CloseHandle(m_h);
    }
    CToolHelpHandle(const CToolHelpHandle&) = delete;
    CToolHelpHandle& operator=(const CToolHelpHandle&) = delete;
    CToolHelpHandle(CToolHelpHandle&& other) noexcept : m_pth(other.m_pth), m_h(other.m_h) {
        other.m_h = nullptr;
    }
    CToolHelpHandle& operator=(CToolHelpHandle&& other) noexcept {
        if (this != &other) {
            if (IsValid()) m_pth->CloseHandle(m_h);
            m_pth = other.m_pth;
            m_h = other.m_h;
            other.m_h = nullptr;
        }
        return *this;
    }
    // Process handles fail as null, snapshots as INVALID_HANDLE_VALUE.
    bool IsValid() const { return m_h != nullptr && m_h != INVALID_HANDLE_VALUE; }
    operator HANDLE() const { return m_h; }

  private:
    CToolHelp* m_pth;
    HANDLE m_h;
};
