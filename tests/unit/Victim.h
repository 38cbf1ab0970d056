// A process started for one test from a victim program in tests/helpers, under a file name of
// its own, and ended (and its file removed) when the object goes away.
#pragma once

#include <windows.h>
#include <string>

class Victim {
  public:
    Victim() {}
    ~Victim();
    Victim(const Victim&) = delete;
    Victim& operator=(const Victim&) = delete;

    // A console process with nExtraThreads idle threads besides its main thread.
    bool StartConsole(int nExtraThreads);
    // A console process that no other process may open: its security descriptor grants
    // nothing to anybody. Only the handle its creation returned reaches it.
    bool StartUnopenable();
    // A console process that may be opened for anything but termination: it denies
    // PROCESS_TERMINATE to everybody itself (the handle its creation returned still may).
    bool StartUnterminable();
    // A console process whose file and folder names hold letters outside any ANSI code page:
    // Cyrillic, CJK and an emoji. ExePathW() is its path.
    bool StartWideName();
    // A process with one visible top-level window that closes on WM_CLOSE when bHonourClose
    // is set (exit code 0) and ignores it otherwise.
    bool StartWindow(bool bHonourClose);
    // A process with one visible top-level window that hides on WM_CLOSE and runs on.
    bool StartHidingWindow();
    // Another console process under the same file name as console victim `other`: the same
    // file, or (bOtherFolder) a copy of it in a folder of its own.
    bool StartSameName(const Victim& other, bool bOtherFolder);

    DWORD Pid() const { return m_dwPid; }
    HANDLE Process() const { return m_hProcess; }
    // The unique executable file name, e.g. "vwin_1234_5_678.exe", and its full path.
    const std::string& ExeName() const { return m_strExeName; }
    const std::string& ExePath() const { return m_strExePath; }
    const std::wstring& ExePathW() const { return m_wstrExePath; }

    // True when the process has ended within dwMilliseconds.
    bool WaitForExit(DWORD dwMilliseconds) const;
    bool Running() const { return m_hProcess && !WaitForExit(0); }
    DWORD ExitCode() const;
    // Windowed victims: its window, and whether it has received WM_CLOSE within the time.
    HWND Window() const;
    bool WaitForCloseRequest(DWORD dwMilliseconds) const;
    // Ends the process if it still runs and waits for the end.
    void Kill();

  private:
    bool Start(const char* pszProgram, const char* pszPrefix, const std::string& strArgs,
               bool bUnopenable = false, const std::wstring& wstrExePath = L"");
    // Copies wstrSource as wstrName into a new folder wstrFolder of the victims' folder; the
    // copy and the folder go with this victim.
    bool CopyToOwnFolder(const std::wstring& wstrSource, const std::wstring& wstrFolder,
                         const std::wstring& wstrName);

    DWORD m_dwPid = 0;
    HANDLE m_hProcess = nullptr;
    HANDLE m_hReady = nullptr;
    HANDLE m_hCloseSeen = nullptr;
    std::string m_strEvent;
    std::string m_strExeName;
    std::string m_strExePath;   // ANSI: letters outside the code page read '?'
    std::wstring m_wstrExePath; // exact
    std::wstring m_wstrOwnFolder;
    bool m_bOwnsFile = false; // the file was copied for this victim and goes with it
};

// The folder of the running test program, with a trailing backslash.
std::string TestProgramDir();
