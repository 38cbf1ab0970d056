// A Vantrel.exe that the benchmark starts and reads from outside: when its window is shown,
// when its list first holds rows, and what it holds of the system's resources.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// What a process holds, as the system reports it from outside.
struct ResourceCounts {
    // The handle count: from GetProcessHandleCount, or, where that reports 0 (as Wine does),
    // counted by duplicating every handle value of the process. bHandles is false when neither
    // gave a count; bCounted tells that the count was made by duplication.
    bool bHandles = false;
    bool bCounted = false;
    DWORD dwHandles = 0;
    DWORD dwGdiObjects = 0;  // GetGuiResources(GR_GDIOBJECTS)
    DWORD dwUserObjects = 0; // GetGuiResources(GR_USEROBJECTS)
    int nWindows = 0;        // top-level and child windows of the process
    bool bMemory = false;    // whether the memory counters could be read
    uint64_t peakWorkingSet = 0;
};

ResourceCounts ReadResourceCounts(HANDLE hProcess, DWORD dwPid);

// The handles a process holds, counted by duplicating each handle value from 4 to nMaxValue
// (steps of 4) into this process; the process handle needs PROCESS_DUP_HANDLE.
DWORD CountHandlesByDuplication(HANDLE hProcess, DWORD nMaxValue = 65536);

// The windows of a process: its top-level windows and all their children.
int CountWindows(DWORD dwPid);

class ExternalVantrel {
  public:
    ExternalVantrel() {}
    // Closes the program if it still runs (and ends it when it does not close).
    ~ExternalVantrel();
    ExternalVantrel(const ExternalVantrel&) = delete;
    ExternalVantrel& operator=(const ExternalVantrel&) = delete;

    // Starts the program from its own folder and waits until its list holds rows. False when
    // it did not start, or its window or rows did not come within dwTimeoutMs.
    bool Launch(const std::string& exePath, DWORD dwTimeoutMs);
    // From the start of the launch to the main window being visible, and to the first rows.
    double MsToShown() const { return m_msShown; }
    double MsToRows() const { return m_msRows; }

    int Rows() const;
    // Runs the Refresh command in the program; returns once the program has handled it.
    bool Refresh();
    ResourceCounts Counts() const { return ReadResourceCounts(m_hProcess, m_dwPid); }
    HANDLE Process() const { return m_hProcess; }
    // Asks the main window to close and waits for the end; ends the process after the time.
    bool Close(DWORD dwTimeoutMs);

  private:
    HWND FindMain() const;

    HANDLE m_hProcess = nullptr;
    DWORD m_dwPid = 0;
    HWND m_hMain = nullptr;
    HWND m_hList = nullptr;
    double m_msShown = -1;
    double m_msRows = -1;
};
