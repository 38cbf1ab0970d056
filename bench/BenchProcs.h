// Processes the benchmark starts: commands whose output goes to a file, and victims to list
// and kill. Nothing here ends a process the benchmark did not start.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The folder of the running program, with a trailing backslash.
std::string ProgramDir();

// Handles the messages waiting for this thread (the benchmark hosts windows of its own).
void PumpMessages();

// Waits until every handle is signalled or the time is up, handling messages meanwhile. Any
// number of handles. True when all are signalled.
bool WaitAllSignalled(const std::vector<HANDLE>& handles, DWORD dwMilliseconds);

// Starts a command line with its standard output and error written to the file outPath
// (created anew), in folder cwd when one is given. Returns the process handle, or null.
HANDLE StartCommand(const std::string& commandLine, const std::string& outPath,
                    const std::string& cwd = "", DWORD* pdwPid = nullptr);

// Runs a command to its end; returns the time from its start to its end in milliseconds, or
// NaN when it could not be started or did not end within dwTimeoutMs (it is ended then).
double TimeCommand(const std::string& commandLine, const std::string& outPath, DWORD dwTimeoutMs,
                   DWORD* pdwExitCode = nullptr);

// taskkill's command line that ends every process of each name: "taskkill.exe [/F] /IM a.exe
// /IM b.exe ...".
std::string TaskkillCommandLine(const std::vector<std::string>& names, bool forced);

// How often text occurs in a file written as ANSI or as UTF-16 (as wmic writes), compared
// without regard to case. -1 when the file cannot be read.
int CountInFile(const std::string& path, const std::string& text);

struct VictimProcess {
    std::string name; // the executable's file name, unique to this run
    DWORD pid;
    HANDLE hProcess;
};

// Victims: copies of a victim program (tests/helpers) under unique names in a folder of the
// benchmark, started with this process as their parent so that they never outlive it.
class VictimSet {
  public:
    explicit VictimSet(std::string folder);
    // Ends the victims still running.
    ~VictimSet();
    VictimSet(const VictimSet&) = delete;
    VictimSet& operator=(const VictimSet&) = delete;

    // Starts one victim per name from program (victim_console.exe: arg is the number of extra
    // threads; victim_window.exe: honour or ignore), a batch at a time, and waits until each
    // has said it is ready. False when one did not start or get ready in time; those that did
    // stay in the set.
    bool Start(const std::string& program, const std::vector<std::string>& names,
               const std::string& arg, DWORD dwTimeoutMs);

    const std::vector<VictimProcess>& Processes() const { return m_procs; }
    std::vector<HANDLE> Handles() const;
    int Running() const;
    // Waits until every victim has ended, handling messages meanwhile.
    bool WaitAllGone(DWORD dwMilliseconds) const;
    // Ends the victims still running, waits for them, and forgets all of them.
    void EndAll();

  private:
    std::string m_folder;
    std::vector<VictimProcess> m_procs;
};

// A folder of its own for this run's victims and output files, under the temporary folder.
std::string BenchFolder();
// Removes the folder's files (victim copies no longer running, output files) and the folder.
void RemoveBenchFolder(const std::string& folder);
