#include "app/CommandLine.h"
#include "favorites/Favorites.h"
#include "procs/KillPass.h"
#include "procs/ProcessText.h"
#include "settings/RegSettings.h"
#include "settings/SettingNames.h"
#include "win/Handles.h"

#include <cstring>
#include <vector>

const char kUsageText[] = "Vantrel [/kill [/gentle | /force]]\n\n"
                          "Without arguments, Vantrel opens its window.\n\n"
                          "/kill\tends every running favourite\n"
                          "\tprocess without a window.\n"
                          "/gentle\tasks each program to close.\n"
                          "/force\tterminates each process.\n\n"
                          "Exit codes:\n"
                          "0\tall ended, or none was running\n"
                          "1\tsome are still running\n"
                          "2\tthe favourites list is empty\n"
                          "3\tVN.DLL could not be loaded\n"
                          "64\tthe command line was not understood";

namespace {

std::vector<std::string> SplitArguments(const std::string& text) {
    std::vector<std::string> args;
    std::string current;
    bool inQuotes = false, inArgument = false;
    for (char c : text) {
        if (c == '"') {
            inQuotes = !inQuotes;
            inArgument = true;
        } else if ((c == ' ' || c == '\t') && !inQuotes) {
            if (inArgument) args.push_back(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) args.push_back(current);
    return args;
}

// The switch's name in upper case, or "" when the argument is not a switch.
std::string SwitchName(const std::string& arg) {
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) return std::string();
    return UpperCase(arg.substr(1));
}

// Where the lines of /kill go: the standard output when it leads somewhere (a file or pipe of a
// batch file), else the console of the program that started this one, if there is one.
class CReport {
  public:
    CReport() {
        m_hOut = GetStdHandle(STD_OUTPUT_HANDLE);
        if (m_hOut && m_hOut != INVALID_HANDLE_VALUE && GetFileType(m_hOut) != FILE_TYPE_UNKNOWN)
            return;
        m_hOut = nullptr;
        typedef BOOL(WINAPI * PFN_ATTACH)(DWORD);
        const PFN_ATTACH pfnAttach =
            ProcAddress<PFN_ATTACH>(GetModuleHandleA("kernel32.dll"), "AttachConsole");
        const DWORD kParentProcess = DWORD(-1); // ATTACH_PARENT_PROCESS
        if (!pfnAttach || !pfnAttach(kParentProcess)) return;
        m_console.Attach(CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
        if (m_console.IsValid()) m_hOut = m_console;
    }
    void Line(const std::string& text) {
        if (!m_hOut) return;
        const std::string line = text + "\r\n";
        DWORD written = 0;
        WriteFile(m_hOut, line.data(), DWORD(line.size()), &written, nullptr);
    }

  private:
    HANDLE m_hOut = nullptr;
    CHandle m_console;
};

const char* ResultText(CKillPass::Result result) {
    switch (result) {
    case CKillPass::StillRunning:
        return "still running";
    case CKillPass::SkippedCritical:
        return "skipped: critical";
    case CKillPass::SkippedSelf:
        return "skipped: Vantrel";
    default:
        return "ended"; // ended, or gone before its kill
    }
}

} // namespace

CommandLine ParseCommandLine(const std::string& text) {
    CommandLine result;
    const std::vector<std::string> args = SplitArguments(text);
    if (args.empty()) return result;
    const std::string first = SwitchName(args[0]);
    if (first == "?" && args.size() == 1) {
        result.action = CommandLine::Usage;
    } else if (first == "KILL" && args.size() <= 2) {
        result.action = CommandLine::Kill;
        if (args.size() == 2) {
            const std::string mode = SwitchName(args[1]);
            if (mode == "GENTLE")
                result.nGentle = 1;
            else if (mode == "FORCE")
                result.nGentle = 0;
            else
                result.action = CommandLine::Invalid;
        }
    } else {
        result.action = CommandLine::Invalid;
    }
    return result;
}

int KillFavoritesFromCommandLine(int nGentle) {
    const CRegSettings& settings = ProgramSettings();
    const std::vector<std::string> names = LoadFavorites(settings);
    if (names.empty()) return kKillNoFavorites;
    if (nGentle < 0) nGentle = settings.GetInt(kSectionSetting, kValueGentle, 0);
    CProcessCore core;
    if (core.m_bNT && core.BindLibrary() != CProcessCore::Bound) return kKillNoLibrary;
    CKillPass pass = CKillPass::ForFavorites(core, names, nGentle);
    pass.Run(nullptr);
    CReport report;
    for (const CKillPass::Outcome& outcome : pass.Outcomes())
        report.Line(outcome.strName + " " + FormatPid(outcome.dwPID) + " " +
                    ResultText(outcome.result));
    return pass.AllEnded() ? kKillAllEnded : kKillSomeRunning;
}
