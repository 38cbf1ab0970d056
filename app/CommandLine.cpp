#include "app/CommandLine.h"
#include "favorites/Favorites.h"
#include "fw/App.h"
#include "procs/KillPass.h"
#include "procs/KillReport.h"
#include "procs/ProcessText.h"
#include "settings/RegSettings.h"
#include "settings/SettingNames.h"
#include "win/Handles.h"
#include "win/Utf8.h"

#include <shellapi.h>

#include <cstring>
#include <vector>

const char kUsageText[] = "Vantrel [/kill [/gentle | /force] [/quiet]]\n\n"
                          "Without arguments, Vantrel opens its window.\n\n"
                          "/kill\tends every running favourite\n"
                          "\tprocess without a window.\n"
                          "/gentle\tasks each program to close.\n"
                          "/force\tterminates each process.\n"
                          "/quiet\tshows no message box.\n\n"
                          "Exit codes:\n"
                          "0\tall ended, or none was running\n"
                          "1\tsome are still running\n"
                          "2\tthe favourites list is empty\n"
                          "3\tVN.DLL could not be loaded\n"
                          "64\tthe command line was not understood";

const char kEmptyListText[] = "The favourites list is empty: there is nothing to end.\n\n"
                              "Open Vantrel and press F2 to choose the favourites.";
const char kNotListedText[] = "The running processes could not be listed.";
const char kNotEndedText[] = "Not every favourite was ended:\n";

namespace {

// The switch's name in upper case, or "" when the argument is not a switch.
std::string SwitchName(const std::string& arg) {
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) return std::string();
    // Switches are ASCII words: only those letters are folded, so that no other letter (nor
    // a character the code page lacks) can come out as one of them.
    std::string name = arg.substr(1);
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return name;
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// Where the program's own name ends in a command line. A quoted name ends at its closing
// quote. An unquoted one ends at the first blank - unless a longer run up to a blank is the
// program's own file (with or without ".exe"): the system starts "C:\Program Files\X.exe"
// from an unquoted line too, and no part of the program's path may be read as an argument.
size_t ProgramNameEnd(const std::wstring& line, const std::wstring& module) {
    size_t begin = 0;
    while (begin < line.size() && IsBlank(line[begin]))
        ++begin;
    if (begin < line.size() && line[begin] == L'"') {
        const size_t close = line.find(L'"', begin + 1);
        return close == std::wstring::npos ? line.size() : close + 1;
    }
    size_t end = begin;
    while (end < line.size() && !IsBlank(line[end]))
        ++end;
    if (module.empty()) return end;
    for (size_t i = end; i <= line.size(); ++i) {
        if (i < line.size() && !IsBlank(line[i])) continue;
        const std::wstring name = line.substr(begin, i - begin);
        if (lstrcmpiW(name.c_str(), module.c_str()) == 0 ||
            lstrcmpiW((name + L".exe").c_str(), module.c_str()) == 0)
            end = i;
    }
    return end;
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
        // Read access too: GetConsoleMode needs it to tell the console apart.
        m_console.Attach(CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                     nullptr));
        if (m_console.IsValid()) m_hOut = m_console;
    }
    // Writes a text (UTF-8) and ends its line: to a console as UTF-16, which shows every
    // script; to a file or pipe as UTF-8, which keeps every name whatever the console's code
    // page. A text of several lines gets the line ends a batch file's tools expect.
    void Line(const std::string& text) {
        if (!m_hOut) return;
        std::string line;
        for (char c : text) {
            if (c == '\n') line += '\r';
            line += c;
        }
        line += "\r\n";
        DWORD written = 0, mode = 0;
        if (GetConsoleMode(m_hOut, &mode)) {
            const std::wstring wide = WideFromUtf8(line);
            WriteConsoleW(m_hOut, wide.c_str(), DWORD(wide.size()), &written, nullptr);
        } else {
            WriteFile(m_hOut, line.data(), DWORD(line.size()), &written, nullptr);
        }
    }

    bool HasOutput() const { return m_hOut != nullptr; }

  private:
    HANDLE m_hOut = nullptr;
    CHandle m_console;
};

// Says in a box what the lines would have said, for a run that has no console and no output
// (a shortcut) and was not asked to be quiet.
void Tell(const CReport& report, bool bQuiet, const std::string& text) {
    if (!report.HasOutput() && !bQuiet) AfxMessageBox(text, MB_OK | MB_ICONINFORMATION);
}

// Says why the run ended nothing: as lines where they are read, else in the box.
void Say(CReport& report, bool bQuiet, const std::string& text) {
    report.Line(text);
    Tell(report, bQuiet, text);
}

} // namespace

std::vector<std::string> ProgramArguments(const wchar_t* pszCommandLine,
                                          const wchar_t* pszModulePath) {
    std::vector<std::string> args;
    if (!pszCommandLine) return args;
    const std::wstring line = pszCommandLine;
    const std::wstring rest =
        line.substr(ProgramNameEnd(line, pszModulePath ? pszModulePath : L""));
    size_t first = 0;
    while (first < rest.size() && IsBlank(rest[first]))
        ++first;
    if (first == rest.size()) return args;
    // The system's own rules for quotes and backslashes; its first word is always taken for
    // the program's name, so a stand-in name goes first.
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW((L"x " + rest.substr(first)).c_str(), &argc);
    if (!argv) return args;
    for (int i = 1; i < argc; ++i)
        args.push_back(Utf8FromWide(argv[i]));
    LocalFree(argv);
    return args;
}

std::vector<std::string> ProgramArguments() {
    // Long enough for any path the system can start a program from.
    std::vector<wchar_t> module(32768, L'\0');
    const DWORD cch = GetModuleFileNameW(nullptr, module.data(), DWORD(module.size()));
    if (cch == 0 || cch >= module.size()) module[0] = L'\0';
    return ProgramArguments(GetCommandLineW(), module.data());
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine result;
    if (args.empty()) return result;
    const std::string first = SwitchName(args[0]);
    if (first == "?" && args.size() == 1) {
        result.action = CommandLine::Usage;
    } else if (first == "KILL") {
        result.action = CommandLine::Kill;
        // Then the mode and /quiet, in either order, each at most once.
        for (size_t i = 1; i < args.size(); ++i) {
            const std::string option = SwitchName(args[i]);
            if ((option == "GENTLE" || option == "FORCE") && result.nGentle < 0)
                result.nGentle = option == "GENTLE" ? 1 : 0;
            else if (option == "QUIET" && !result.bQuiet)
                result.bQuiet = true;
            else
                result.action = CommandLine::Invalid;
        }
    } else {
        result.action = CommandLine::Invalid;
    }
    return result;
}

int KillFavoritesFromCommandLine(int nGentle, bool bQuiet, CToolHelp* pToolHelp) {
    const CRegSettings& settings = ProgramSettings();
    const std::vector<std::string> names = LoadFavorites(settings);
    CReport report;
    if (names.empty()) {
        Say(report, bQuiet, kEmptyListText);
        return kKillNoFavorites;
    }
    if (nGentle < 0) nGentle = LoadKillMode(settings);
    CProcessCore core(pToolHelp);
    CKillPass pass = CKillPass::ForFavorites(core, names, nGentle);
    pass.Run(nullptr);
    if (pass.Binding() != CProcessCore::Bound) {
        Say(report, bQuiet, kLoadFailureText);
        return kKillNoLibrary;
    }
    if (pass.ListFailed()) {
        // Nothing could be looked at, so nothing is known to have ended.
        Say(report, bQuiet, kNotListedText);
        return kKillSomeRunning;
    }
    for (const CKillPass::Outcome& outcome : pass.Outcomes())
        report.Line(outcome.strName + " " + FormatPid(outcome.dwPID) + " " + ReasonText(outcome));
    if (pass.AllEnded()) return kKillAllEnded;
    int cyScreen = 0, cyLine = 0;
    AfxMessageBoxMetrics(&cyScreen, &cyLine);
    Tell(report, bQuiet,
         kNotEndedText + NotEndedLines(pass.Outcomes(), ProcessLinesThatFit(cyScreen, cyLine)));
    return kKillSomeRunning;
}
