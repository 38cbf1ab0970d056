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
    // A process with one visible top-level window that closes on WM_CLOSE when bHonourClose
    // is set (exit code 0) and ignores it otherwise.
    bool StartWindow(bool bHonourClose);
    // Another console process under the same file name as console victim `other`: the same
    // file, or (bOtherFolder) a copy of it in a folder of its own.
    bool StartSameName(const Victim& other, bool bOtherFolder);

    DWORD Pid() const { return m_dwPid; }
    HANDLE Process() const { return m_hProcess; }
    // The unique executable file name, e.g. "vwin_1234_5_678.exe", and its full path.
    const std::string& ExeName() const { return m_strExeName; }
    const std::string& ExePath() const { return m_strExePath; }

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
               bool bUnopenable = false, const std::string& strExePath = "");

    DWORD m_dwPid = 0;
    HANDLE m_hProcess = nullptr;
    HANDLE m_hReady = nullptr;
    HANDLE m_hCloseSeen = nullptr;
    std::string m_strEvent;
    std::string m_strExeName;
    std::string m_strExePath;
    bool m_bOwnsFile = false; // the file was copied for this victim and goes with it
};

// The folder of the running test program, with a trailing backslash.
std::string TestProgramDir();
