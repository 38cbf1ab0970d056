// The program's command line: no arguments start the window; "/kill" ends every running
// favourite process without a window, for shortcuts, scheduled tasks and batch files.
#pragma once

#include <string>
#include <vector>

class CToolHelp;

// What the command line asks for.
struct CommandLine {
    enum Action {
        Window,  // no arguments: the program as usual
        Kill,    // /kill [/gentle | /force] [/quiet]
        Usage,   // /?
        Invalid, // anything else
    };
    Action action = Window;
    int nGentle = -1;    // /kill: 1 gently, 0 by force, -1 as stored
    bool bQuiet = false; // /kill /quiet: no message box, whatever happens
};

// The arguments after the program's own name in a command line as the system holds it
// (UTF-16), each as UTF-8, split by the system's rules for quotes. pszModulePath, the
// program's file, tells where an unquoted name that holds blanks ends.
std::vector<std::string> ProgramArguments(const wchar_t* pszCommandLine,
                                          const wchar_t* pszModulePath);
// The same for the command line this program was started with.
std::vector<std::string> ProgramArguments();

// Reads the arguments. Switches start with / or -, in any case; /gentle or /force and /quiet
// come after /kill, in either order, each at most once.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The exit codes of "/kill".
enum KillExitCode {
    kKillAllEnded = 0,    // every favourite process that ran has ended (or none ran)
    kKillSomeRunning = 1, // at least one is still running (refused, access denied, ignored),
                          // or the running processes could not be listed at all
    kKillNoFavorites = 2, // the favourites list is empty
    kKillNoLibrary = 3,   // VN.DLL could not be loaded or lacks an entry point
    kKillBadCommandLine = 64,
};

// The usage text of the message box that /? and a command line not understood show.
extern const char kUsageText[];

// Runs "/kill": every running favourite process ended with the kill rules of the window
// (every instance, never this program, never a critical process, gentle kills side by side),
// one line per process with what became of it and why, on the console the program was
// started from or its redirected output. Started with neither (a shortcut), a box says what
// was not ended, or that the list is empty, unless bQuiet. Writes nothing to the settings.
// Returns the exit code. pToolHelp: the system's Tool Help when null (tests stand in for it).
int KillFavoritesFromCommandLine(int nGentle, bool bQuiet, CToolHelp* pToolHelp = nullptr);
