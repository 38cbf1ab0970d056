// vbench: how fast Vantrel lists and kills processes and how soon it shows its first list,
// each figure measured side by side with its reference in the same run, printed as one
// Markdown table on stdout (progress goes to stderr).
//
// It hosts the program's own window (application object, frame and list view, as Vantrel.exe
// has them) to time a refresh and the Kill Favorites command from the inside, and starts the
// real Vantrel.exe to time its start-up and read its footprint from the outside.
//
//   vbench [--quick] [--phases startup,refresh,kills,profile] [--vantrel PATH]
//          [--sizes EXE_BYTES DLL_BYTES LABEL]
//
// --quick runs a third of the repeats. The phases run by default are startup, refresh and
// kills; profile takes one refresh of 200 processes apart into the calls it makes.
// --vantrel names the program to launch (default: the one of this build), --sizes the sizes
// of the shipping files, for the footprint.
#include "app/Vantrel.h"
#include "bench/BenchProbe.h"
#include "bench/BenchProcs.h"
#include "bench/BenchStats.h"
#include "favorites/Favorites.h"
#include "frame/MainFrm.h"
#include "view/VantrelView.h"
#include "res/resource.h"
#include "settings/SettingNames.h"

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

CVantrelApp theApp;

namespace {

const int kStartupTimerMs = 200; // the program's start-up timer
const int kLeakRefreshes = 1000;
const DWORD kVictimStartMs = 180000;
const DWORD kGoneMs = 60000;

struct Options {
    bool bQuick = false;
    std::set<std::string> phases = {"startup", "refresh", "kills"};
    std::string vantrel = ProgramDir() + "..\\Vantrel.exe";
    std::string victimConsole = ProgramDir() + "..\\tests\\victim_console.exe";
    std::string victimWindow = ProgramDir() + "..\\tests\\victim_window.exe";
    uint64_t exeBytes = 0, dllBytes = 0;
    std::string sizesLabel;
};

void Progress(const char* format, ...) {
    static const double s_start = NowMs();
    va_list args;
    va_start(args, format);
    fprintf(stderr, "[%7.1f s] ", (NowMs() - s_start) / 1000);
    vfprintf(stderr, format, args);
    fprintf(stderr, "\n");
    fflush(stderr);
    va_end(args);
}

std::vector<std::string> g_boxes;
int RecordMessageBox(const std::string& text, UINT) {
    g_boxes.push_back(text);
    return IDOK;
}

// The Tool Help walk with the same per-process queries a refresh makes, read the same way
// (the wide walk and VN_GETPIW), and no list: what any listing of these processes has to pay.
double FloorWalk(PFN_VN_GETPIW pfnGetPiW, int* pnProcesses) {
    const double start = NowMs();
    int n = 0;
    HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE) return NAN;
    PROCESSENTRY32W entry;
    memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    VN_PROCINFOW info;
    for (BOOL bMore = Process32FirstW(hSnapshot, &entry); bMore;
         bMore = Process32NextW(hSnapshot, &entry)) {
        memset(&info, 0, sizeof info);
        info.cbSize = sizeof info;
        info.dwPID = entry.th32ProcessID;
        pfnGetPiW(&info);
        ++n;
    }
    CloseHandle(hSnapshot);
    *pnProcesses = n;
    return NowMs() - start;
}

std::vector<std::string> VictimNames(const char* kind, int first, int last) {
    std::vector<std::string> names;
    for (int i = first; i < last; ++i) {
        char name[64];
        snprintf(name, sizeof name, "vb%lu%s%03d.exe", GetCurrentProcessId(), kind, i);
        names.push_back(name);
    }
    return names;
}

std::string NamePrefix(const char* kind) {
    char prefix[32];
    snprintf(prefix, sizeof prefix, "vb%lu%s", GetCurrentProcessId(), kind);
    return prefix;
}

class Bench {
  public:
    explicit Bench(const Options& options)
        : m_opt(options), m_folder(BenchFolder()),
          m_table({"Figure", "Vantrel", "Reference", "Reference figure", "Ratio", "Goal"}) {}
    ~Bench() { RemoveBenchFolder(m_folder); }

    bool OpenWindow();
    void CloseWindow();
    void Startup();
    void Refresh();
    void Kills();
    void WaitForKillPass();
    // Programs a gentle pass cannot end: the victim program, its argument, and how the table
    // names them.
    struct Survivors {
        std::string exe;
        const char* arg;
        const char* reason; // what the report says of each of them
        const char* what;
        const char* prefix;
        double goalMs; // the pass must end within this, or one wait when 0
    };
    double TimeSurvivorPass(bool bVantrel, const Survivors& kind,
                            const std::vector<std::string>& names);
    void Profile();
    void Sizes();
    void Print() const;

  private:
    int Repeats(int normal) const { return m_opt.bQuick ? (normal + 2) / 3 : normal; }
    void Note(const std::string& text) { m_notes.push_back(text); }
    void LeakCheck();
    void PeakWorkingSet(int nVictims);
    double TimeKill(bool bVantrel, bool bGentle, const std::vector<std::string>& names);

    Options m_opt;
    std::string m_folder;
    Table m_table;
    std::vector<std::string> m_notes;
    CMainFrame* m_pFrame = nullptr;
    CVantrelView* m_pView = nullptr;
    // The minimal windowed program's peak working set, from the start-up phase.
    uint64_t m_minimalPeak = 0;
};

bool Bench::OpenWindow() {
    if (m_pFrame) return true;
    if (!theApp.InitInstance()) return false;
    m_pFrame = static_cast<CMainFrame*>(AfxGetMainWnd());
    m_pView = m_pFrame ? m_pFrame->GetVantrelView() : nullptr;
    if (!m_pView) return false;
    // The start-up listing comes from the program's timer; let it pass before timing anything.
    const double deadline = NowMs() + 20000;
    while (m_pView->GetListCtrl().GetItemCount() == 0 && NowMs() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpMessages();
    }
    return m_pView->GetListCtrl().GetItemCount() > 0;
}

void Bench::CloseWindow() {
    if (!m_pFrame) return;
    m_pFrame->SendMessage(WM_CLOSE);
    PumpMessages();
    m_pFrame = nullptr;
    m_pView = nullptr;
}

void Bench::Startup() {
    Progress("start-up: launching %s", m_opt.vantrel.c_str());
    const std::vector<std::string> minimalName = VictimNames("s", 0, 1);
    {
        // Not counted: the first start of each loads what later starts find cached.
        ExternalVantrel warm;
        if (!warm.Launch(m_opt.vantrel, 30000)) {
            Note("Start-up: Vantrel.exe did not show a populated list within 30 s.");
            return;
        }
        VictimSet minimal(m_folder);
        minimal.Start(m_opt.victimWindow, minimalName, "honour", 30000);
    }
    std::vector<double> toRows, toShown, shownToRows, minimal, timer;
    const int repeats = Repeats(9);
    for (int r = 0; r < repeats; ++r) {
        for (int k = 0; k < 2; ++k) {
            if ((r + k) % 2 == 0) {
                ExternalVantrel app;
                if (!app.Launch(m_opt.vantrel, 30000)) {
                    toRows.push_back(NAN);
                    continue;
                }
                toRows.push_back(app.MsToRows());
                toShown.push_back(app.MsToShown());
                shownToRows.push_back(app.MsToRows() - app.MsToShown());
                timer.push_back(kStartupTimerMs);
                app.Close(10000);
            } else {
                VictimSet set(m_folder);
                const double start = NowMs();
                const bool ok = set.Start(m_opt.victimWindow, minimalName, "honour", 30000);
                minimal.push_back(ok ? NowMs() - start : NAN);
                if (ok) {
                    const ResourceCounts c =
                        ReadResourceCounts(set.Processes()[0].hProcess, set.Processes()[0].pid);
                    if (c.bMemory && c.peakWorkingSet > m_minimalPeak)
                        m_minimalPeak = c.peakWorkingSet;
                }
            }
        }
        Progress("start-up %d/%d: launch to rows %s", r + 1, repeats,
                 FormatMs(toRows.empty() ? NAN : toRows.back()).c_str());
    }
    const double rows = Median(toRows);
    m_table.AddRow({"Start-up: launch to first populated list (second start)", FormatMs(rows),
                    "the start-up timer", FormatMs(kStartupTimerMs),
                    FormatRatio(rows / kStartupTimerMs),
                    "<= 400 ms: " + GoalVerdict(!std::isnan(rows), rows <= 400)});
    m_table.AddRow({"Start-up: launch to window shown", FormatMs(Median(toShown)),
                    "minimal windowed program: launch to window shown", FormatMs(Median(minimal)),
                    FormatRatio(Median(toShown) / Median(minimal)), ""});
    m_table.AddRow({"Start-up: window shown to first populated list", FormatMs(Median(shownToRows)),
                    "the start-up timer", FormatMs(kStartupTimerMs),
                    FormatRatio(MedianRatio(shownToRows, timer)), ""});
}

void Bench::Refresh() {
    if (!OpenWindow()) {
        Note("Refresh: the program's window could not be opened.");
        return;
    }
    HMODULE hVn = LoadLibraryA("VN.DLL");
    const PFN_VN_GETPIW pfnGetPiW = ProcAddress<PFN_VN_GETPIW>(hVn, "VN_GETPIW");
    if (!pfnGetPiW) {
        Note("Refresh: VN.DLL could not be loaded beside the benchmark.");
        return;
    }
    const std::string wmicOut = m_folder + "wmic.txt";
    const std::string wmic = "wmic.exe process get name,processid,threadcount";
    const std::string prefix = NamePrefix("r");
    VictimSet victims(m_folder);
    std::vector<double> at25, floorAt25;
    int started = 0;
    for (int n : {25, 100, 200, 400}) {
        Progress("refresh: starting victims up to N = %d", n);
        if (!victims.Start(m_opt.victimConsole, VictimNames("r", started, n), "0",
                           kVictimStartMs)) {
            Note("Refresh: not every victim started for N = " + std::to_string(n) + ".");
        }
        started = n;
        // Not counted: one of each, so that every measured run finds the same state.
        int nFloor = 0;
        m_pView->RefreshList();
        PumpMessages();
        FloorWalk(pfnGetPiW, &nFloor);
        TimeCommand(wmic, wmicOut, 60000);
        const int nRows = m_pView->GetListCtrl().GetItemCount();
        const int nWmic = CountInFile(wmicOut, prefix);
        if (nWmic != n)
            Note("Refresh: wmic listed " + std::to_string(nWmic) + " of the " + std::to_string(n) +
                 " victims.");

        std::vector<double> refresh, floor, byWmic;
        const int repeats = Repeats(n >= 200 ? 11 : 7);
        for (int r = 0; r < repeats; ++r) {
            // The refresh and its floor one right after the other, in turns first; then wmic.
            for (int k = 0; k < 2; ++k) {
                if ((r + k) % 2 == 0) {
                    const double start = NowMs();
                    m_pView->RefreshList();
                    refresh.push_back(NowMs() - start);
                    PumpMessages(); // the list draws itself afterwards, outside the timing
                } else {
                    floor.push_back(FloorWalk(pfnGetPiW, &nFloor));
                }
            }
            byWmic.push_back(TimeCommand(wmic, wmicOut, 60000));
            Progress("refresh N = %d, %d/%d: %s, floor %s, wmic %s", n, r + 1, repeats,
                     FormatMs(refresh.back()).c_str(), FormatMs(floor.back()).c_str(),
                     FormatMs(byWmic.back()).c_str());
        }
        const double mRefresh = Median(refresh), mFloor = Median(floor);
        const double ratio = MedianRatio(refresh, floor);
        Progress("refresh N = %d: %d rows, refresh %s, floor %s (%d processes), wmic %s", n, nRows,
                 FormatMs(mRefresh).c_str(), FormatMs(mFloor).c_str(), nFloor,
                 FormatMs(Median(byWmic)).c_str());
        const std::string what =
            "Refresh, N = " + std::to_string(n) + " (" + std::to_string(nRows) + " rows)";
        m_table.AddRow(
            {what, FormatMs(mRefresh),
             "data floor: Tool Help walk + VN_GETPIW per process, no list", FormatMs(mFloor),
             FormatRatio(ratio),
             n >= 200 ? "<= 1.25: " + GoalVerdict(!std::isnan(ratio), ratio <= 1.25) : ""});
        m_table.AddRow({what, FormatMs(mRefresh), "wmic process get name,processid,threadcount",
                        FormatMs(Median(byWmic)), FormatRatio(MedianRatio(refresh, byWmic)), ""});
        if (n == 25) {
            at25 = refresh;
            floorAt25 = floor;
            LeakCheck();
        }
        if (n >= 200) {
            const double growth = (mRefresh / Median(at25)) / (mFloor / Median(floorAt25));
            m_table.AddRow(
                {"Refresh growth, N = 25 to " + std::to_string(n),
                 FormatRatio(mRefresh / Median(at25)) + "x", "data floor growth",
                 FormatRatio(mFloor / Median(floorAt25)) + "x", FormatRatio(growth),
                 n == 400 ? "<= 1.1: " + GoalVerdict(!std::isnan(growth), growth <= 1.1) : ""});
        }
        if (n == 200) PeakWorkingSet(n);
    }
    victims.EndAll();
    m_pView->RefreshList();
}

void Bench::LeakCheck() {
    Progress("footprint: %d refreshes in Vantrel.exe", kLeakRefreshes);
    ExternalVantrel app;
    if (!app.Launch(m_opt.vantrel, 60000) || !app.Refresh()) {
        Note("Footprint: Vantrel.exe did not start for the refresh count.");
        return;
    }
    const ResourceCounts before = app.Counts();
    const double start = NowMs();
    int done = 0;
    for (; done < kLeakRefreshes; ++done)
        if (!app.Refresh()) break;
    const double elapsed = NowMs() - start;
    const ResourceCounts after = app.Counts();
    app.Close(10000);
    if (done < kLeakRefreshes) Note("Footprint: only " + std::to_string(done) + " refreshes ran.");
    const std::string what = " before and after " + std::to_string(done) + " refreshes (N = 25, " +
                             FormatMs(elapsed / std::max(done, 1)) + " each)";
    auto pair = [](DWORD a, DWORD b) { return std::to_string(a) + " -> " + std::to_string(b); };
    m_table.AddRow({"Handles" + what,
                    before.bHandles ? pair(before.dwHandles, after.dwHandles) : "not reported", "",
                    "", "",
                    "no growth: " + GoalVerdict(before.bHandles && after.bHandles,
                                                after.dwHandles <= before.dwHandles)});
    const bool gdiReported = before.dwGdiObjects || after.dwGdiObjects;
    const bool userReported = before.dwUserObjects || after.dwUserObjects;
    m_table.AddRow(
        {"GDI objects" + what,
         gdiReported ? pair(before.dwGdiObjects, after.dwGdiObjects)
                     : "not reported: GetGuiResources returns 0 under Wine",
         "", "", "",
         "no growth: " + GoalVerdict(gdiReported, after.dwGdiObjects <= before.dwGdiObjects)});
    m_table.AddRow(
        {"USER objects" + what,
         userReported ? pair(before.dwUserObjects, after.dwUserObjects)
                      : "not reported: GetGuiResources returns 0 under Wine",
         "", "", "",
         "no growth: " + GoalVerdict(userReported, after.dwUserObjects <= before.dwUserObjects)});
    m_table.AddRow({"Windows of the process" + what,
                    pair(DWORD(before.nWindows), DWORD(after.nWindows)), "", "", "",
                    "no growth: " + GoalVerdict(true, after.nWindows <= before.nWindows)});
}

void Bench::PeakWorkingSet(int nVictims) {
    Progress("footprint: peak working set with %d victims", nVictims);
    ExternalVantrel app;
    if (!app.Launch(m_opt.vantrel, 60000) || !app.Refresh()) {
        Note("Footprint: Vantrel.exe did not start for the working set.");
        return;
    }
    const ResourceCounts c = app.Counts();
    const int rows = app.Rows();
    app.Close(10000);
    m_table.AddRow({"Peak working set after a refresh, N = " + std::to_string(nVictims) + " (" +
                        std::to_string(rows) + " rows)",
                    c.bMemory ? FormatMB(c.peakWorkingSet) : "not reported",
                    "minimal windowed program", m_minimalPeak ? FormatMB(m_minimalPeak) : "n/a",
                    c.bMemory && m_minimalPeak
                        ? FormatRatio(double(c.peakWorkingSet) / double(m_minimalPeak))
                        : "n/a",
                    ""});
}

// One trial: K fresh victims, then the kill, timed until every victim has ended.
double Bench::TimeKill(bool bVantrel, bool bGentle, const std::vector<std::string>& names) {
    VictimSet victims(m_folder);
    if (!victims.Start(bGentle ? m_opt.victimWindow : m_opt.victimConsole, names,
                       bGentle ? "honour" : "0", kVictimStartMs))
        return NAN;
    if (bVantrel) {
        SaveFavorites(theApp.m_settings, names);
        SaveKillMode(theApp.m_settings, bGentle ? 1 : 0);
    }
    const std::string out = m_folder + "taskkill.txt";
    HANDLE hTaskkill = nullptr;
    const double start = NowMs();
    if (bVantrel)
        m_pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_KILL_FAVORITES, 0));
    else
        hTaskkill = StartCommand(TaskkillCommandLine(names, !bGentle), out);
    const bool gone = (bVantrel || hTaskkill) && victims.WaitAllGone(kGoneMs);
    const double elapsed = NowMs() - start;
    if (hTaskkill) {
        WaitAllSignalled({hTaskkill}, 30000);
        CloseHandle(hTaskkill);
    }
    WaitForKillPass();
    if (!gone) {
        Note(std::string("Kills: ") + (bVantrel ? "Vantrel" : "taskkill") + " left " +
             std::to_string(victims.Running()) + " of " + std::to_string(names.size()) +
             (bGentle ? " gentle" : " forced") + " victims running.");
        return NAN;
    }
    return elapsed;
}

// Handles messages until the program's kill pass (which runs on a thread of its own) has ended
// and the list was refreshed, so that the next command finds the program ready.
void Bench::WaitForKillPass() {
    const double start = NowMs();
    PumpMessages();
    while (m_pView->IsKillPassRunning() && NowMs() - start < 30000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpMessages();
    }
}

// One gentle pass over programs that cannot be ended gently (they ignore the close request, or
// have no window to ask): Vantrel's F9 to the end of its pass, or taskkill /IM to its end.
// NaN when something went wrong.
double Bench::TimeSurvivorPass(bool bVantrel, const Survivors& kind,
                               const std::vector<std::string>& names) {
    VictimSet victims(m_folder);
    if (!victims.Start(kind.exe, names, kind.arg, kVictimStartMs)) return NAN;
    const std::string out = m_folder + "taskkill.txt";
    double elapsed = NAN;
    if (bVantrel) {
        SaveFavorites(theApp.m_settings, names);
        SaveKillMode(theApp.m_settings, 1);
        const size_t boxes = g_boxes.size();
        const double start = NowMs();
        m_pFrame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_KILL_FAVORITES, 0));
        WaitForKillPass();
        if (!m_pView->IsKillPassRunning()) elapsed = NowMs() - start;
        // The pass reports its survivors in one box, with their reason: expected, so not
        // listed with the run's unexpected boxes.
        if (g_boxes.size() == boxes + 1 && g_boxes.back().find(kind.reason) != std::string::npos)
            g_boxes.pop_back();
    } else {
        elapsed = TimeCommand(TaskkillCommandLine(names, false), out, 30000);
    }
    if (victims.Running() != int(names.size())) {
        Note(std::string("Gentle passes: one of the ") + kind.what + " ended.");
        return NAN;
    }
    return elapsed;
}

void Bench::Kills() {
    if (!OpenWindow()) {
        Note("Kills: the program's window could not be opened.");
        return;
    }
    for (int k : {10, 50}) {
        const std::vector<std::string> forcedNames = VictimNames("f", 0, k);
        const std::vector<std::string> gentleNames = VictimNames("g", 0, k);
        std::vector<double> vForced, tForced, vGentle, tGentle;
        const int repeats = Repeats(k == 10 ? 7 : 5);
        for (int r = 0; r < repeats; ++r) {
            for (int order = 0; order < 2; ++order) {
                const bool bVantrel = (r + order) % 2 == 0;
                (bVantrel ? vForced : tForced).push_back(TimeKill(bVantrel, false, forcedNames));
            }
            for (int order = 0; order < 2; ++order) {
                const bool bVantrel = (r + order) % 2 == 1;
                (bVantrel ? vGentle : tGentle).push_back(TimeKill(bVantrel, true, gentleNames));
            }
            Progress("kills K = %d, %d/%d: forced %s vs %s, gentle %s vs %s", k, r + 1, repeats,
                     FormatMs(vForced.back()).c_str(), FormatMs(tForced.back()).c_str(),
                     FormatMs(vGentle.back()).c_str(), FormatMs(tGentle.back()).c_str());
        }
        const std::string K = std::to_string(k);
        const double forced = MedianRatio(vForced, tForced);
        m_table.AddRow({"Kill Favorites (F9) to all gone, forced, K = " + K,
                        FormatMs(Median(vForced)), "taskkill /F /IM name (" + K + " names)",
                        FormatMs(Median(tForced)), FormatRatio(forced),
                        k == 50 ? "< 1: " + GoalVerdict(!std::isnan(forced), forced < 1) : ""});
        m_table.AddRow({"Kill Favorites (F9) to all gone, gentle, K = " + K,
                        FormatMs(Median(vGentle)), "taskkill /IM name (" + K + " names)",
                        FormatMs(Median(tGentle)), FormatRatio(MedianRatio(vGentle, tGentle)), ""});
    }
    // Gentle, ten programs that ignore the close request (each waited for five seconds, side by
    // side), and ten without a window (nothing to ask, so nothing to wait for). taskkill only
    // asks and returns.
    const Survivors kinds[] = {
        {m_opt.victimWindow, "ignore", "did not within 5 seconds",
         "programs that ignore the close request", "s", 0},
        {m_opt.victimConsole, "0", "it has no window", "programs without a window", "w", 1000}};
    for (const Survivors& kind : kinds) {
        const std::vector<std::string> names = VictimNames(kind.prefix, 0, 10);
        std::vector<double> v, t;
        const int repeats = Repeats(3);
        for (int r = 0; r < repeats; ++r) {
            for (int order = 0; order < 2; ++order) {
                const bool bVantrel = (r + order) % 2 == 0;
                (bVantrel ? v : t).push_back(TimeSurvivorPass(bVantrel, kind, names));
            }
            Progress("%s, K = 10, %d/%d: %s vs %s", kind.what, r + 1, repeats,
                     FormatMs(v.back()).c_str(), FormatMs(t.back()).c_str());
        }
        const double m = Median(v);
        m_table.AddRow({std::string("Kill Favorites (F9) pass, gentle, K = 10 ") + kind.what,
                        FormatMs(m), "taskkill /IM name (10 names)", FormatMs(Median(t)),
                        FormatRatio(MedianRatio(v, t)),
                        kind.goalMs ? "< " + FormatMs(kind.goalMs) + ": " +
                                          GoalVerdict(!std::isnan(m), m < kind.goalMs)
                                    : "one wait, not ten"});
    }
    SaveFavorites(theApp.m_settings, {});
    SaveKillMode(theApp.m_settings, 0);
}

// Where the time of one refresh goes: the refresh taken apart into the calls it makes, each
// timed on its own over the same processes, with the list's drawing off (as a refresh has it)
// and on.
void Bench::Profile() {
    if (!OpenWindow()) return;
    HMODULE hVn = LoadLibraryA("VN.DLL");
    if (!ProcAddress<PFN_VN_GETPIW>(hVn, "VN_GETPIW")) return;
    const int n = m_opt.bQuick ? 100 : 200;
    Progress("profile: starting %d victims", n);
    VictimSet victims(m_folder);
    victims.Start(m_opt.victimConsole, VictimNames("p", 0, n), "0", kVictimStartMs);
    CListCtrl& list = m_pView->GetListCtrl();
    m_pView->RefreshList();
    PumpMessages();
    Table t({"Step", "Total", "Calls", "Per call"});
    auto row = [&](const std::string& what, double ms, int calls) {
        t.AddRow({what, FormatMs(ms), std::to_string(calls), FormatMs(calls ? ms / calls : NAN)});
    };
    double start = NowMs();
    m_pView->RefreshList();
    row("RefreshList", NowMs() - start, 1);
    PumpMessages();
    start = NowMs();
    CProcessRows listed;
    m_pView->Core().ListRows(&listed);
    row("the rows listed into the model, no window", NowMs() - start, int(listed.Count()));
    start = NowMs();
    m_pView->ShowRows();
    row("ShowRows: the model put into the list", NowMs() - start, 1);
    PumpMessages();

    // The records, as the walk makes them.
    std::vector<ProcessRecord> records;
    start = NowMs();
    m_pView->Core().ListProcesses([&](const ProcessRecord& record) { records.push_back(record); });
    row("Tool Help walk + VN_GETPIW (the core's listing)", NowMs() - start, int(records.size()));
    start = NowMs();
    m_pView->BindLibrary();
    row("BindLibrary", NowMs() - start, 1);

    // The rows, put in call by call.
    for (bool bDrawn : {false, true}) {
        const char* how = bDrawn ? ", list drawn" : ", drawing off";
        if (!bDrawn) list.SendMessage(WM_SETREDRAW, FALSE);
        start = NowMs();
        list.DeleteAllItems();
        row(std::string("delete all rows") + how, NowMs() - start, 1);
        double tListed = 0, tInsert = 0, tTexts = 0, tFormat = 0;
        int nTexts = 0;
        CProcessRows model;
        for (const ProcessRecord& info : records) {
            start = NowMs();
            const std::string name = UpperCase(info.name), path = UpperCase(info.path);
            const std::string texts[] = {
                FormatPid(info.dwPID), FormatBasePriority(info.lBasePriority, info.dwPriorityClass),
                std::to_string(info.dwThreads), path};
            tFormat += NowMs() - start;
            start = NowMs();
            const bool bNewRow = model.Add(info);
            tListed += NowMs() - start;
            if (!bNewRow) continue;
            start = NowMs();
            const int r = list.InsertItem(list.GetItemCount(), name, 0);
            tInsert += NowMs() - start;
            start = NowMs();
            for (int col = 1; col <= 4; ++col, ++nTexts)
                list.SetItemText(r, col, texts[col - 1]);
            tTexts += NowMs() - start;
        }
        const int nRecords = int(records.size());
        row(std::string("upper-case and format the texts") + how, tFormat, nRecords);
        row(std::string("model: one row per name and path") + how, tListed, nRecords);
        row(std::string("insert a row, sorted") + how, tInsert, list.GetItemCount());
        row(std::string("set a cell text") + how, tTexts, nTexts);
        if (!bDrawn) {
            list.SendMessage(WM_SETREDRAW, TRUE);
            list.Invalidate();
        }
        PumpMessages();
    }
    const int rows = list.GetItemCount();
    start = NowMs();
    for (int i = 0; i < rows; ++i)
        list.GetItemCount();
    row("one message to the list (LVM_GETITEMCOUNT)", NowMs() - start, rows);
    start = NowMs();
    for (int i = 0; i < rows; ++i)
        GetPropA(m_pView->m_hWnd, "VantrelBenchProperty");
    row("one window property lookup (GetPropA)", NowMs() - start, rows);
    printf("Where the time of one refresh goes, with %d processes (%d rows):\n\n%s\n",
           int(records.size()), rows, t.Markdown().c_str());
    victims.EndAll();
}

void Bench::Sizes() {
    if (!m_opt.exeBytes || !m_opt.dllBytes) return;
    const uint64_t total = m_opt.exeBytes + m_opt.dllBytes;
    const uint64_t goal = 600 * 1024;
    m_table.AddRow(
        {"Vantrel.exe + VN.DLL" + (m_opt.sizesLabel.empty() ? "" : " (" + m_opt.sizesLabel + ")"),
         FormatKB(m_opt.exeBytes) + " + " + FormatKB(m_opt.dllBytes) + " = " + FormatKB(total),
         "size goal", FormatKB(goal), FormatRatio(double(total) / double(goal)),
         "<= 600 KB: " + GoalVerdict(true, total <= goal)});
}

void Bench::Print() const {
    typedef const char*(CDECL * PFN_WINE_VERSION)();
    HMODULE hNtdll = GetModuleHandleA("ntdll.dll");
    PFN_WINE_VERSION pfnWine = hNtdll ? reinterpret_cast<PFN_WINE_VERSION>(reinterpret_cast<void*>(
                                            GetProcAddress(hNtdll, "wine_get_version")))
                                      : nullptr;
    if (m_table.Rows()) {
        printf("Medians over repeats; each ratio is the median of Vantrel's figure over its "
               "reference,\nmeasured as pairs one right after the other in the same run. The "
               "%d-bit build",
               int(sizeof(void*) * 8));
        if (pfnWine) printf(" under Wine %s", pfnWine());
        printf(" on this machine;\nabsolute times are noisy, the ratios are what transfer.\n\n");
        printf("%s", m_table.Markdown().c_str());
    }
    for (const std::string& note : m_notes)
        printf("\n%s", note.c_str());
    if (!m_notes.empty()) printf("\n");
    for (const std::string& box : g_boxes)
        printf("\nA message box was shown: %s\n", box.c_str());
    fflush(stdout);
}

bool ParseOptions(int argc, char** argv, Options* pOpt) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            pOpt->bQuick = true;
        } else if (arg == "--phases" && i + 1 < argc) {
            pOpt->phases.clear();
            std::string list = argv[++i];
            for (size_t at = 0; at <= list.size();) {
                size_t comma = list.find(',', at);
                if (comma == std::string::npos) comma = list.size();
                pOpt->phases.insert(list.substr(at, comma - at));
                at = comma + 1;
            }
        } else if (arg == "--vantrel" && i + 1 < argc) {
            pOpt->vantrel = argv[++i];
        } else if (arg == "--sizes" && i + 3 < argc) {
            pOpt->exeBytes = strtoull(argv[++i], nullptr, 10);
            pOpt->dllBytes = strtoull(argv[++i], nullptr, 10);
            pOpt->sizesLabel = argv[++i];
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options opt;
    if (!ParseOptions(argc, argv, &opt)) {
        fprintf(stderr, "usage: vbench [--quick] [--phases startup,refresh,kills,profile] "
                        "[--vantrel PATH] [--sizes EXE_BYTES DLL_BYTES LABEL]\n");
        return 2;
    }
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    AfxSetMessageBoxHook(RecordMessageBox);
    // A second start for the program in this prefix, hosted or launched: no first-run warning,
    // forced kills, no favourites until the kills set them.
    const RegKeyPlace key = SettingsKey(theApp.m_pszAppName);
    if (!theApp.m_settings.Open(key.hRoot, key.strPath)) {
        fprintf(stderr, "vbench: the settings key cannot be opened\n");
        return 1;
    }
    theApp.m_settings.SetInt(kSectionNewbie, kValueStart, 0);
    SaveKillMode(theApp.m_settings, 0);
    SaveFavorites(theApp.m_settings, {});

    Bench bench(opt);
    bench.Sizes();
    if (opt.phases.count("startup")) bench.Startup();
    if (opt.phases.count("refresh")) bench.Refresh();
    if (opt.phases.count("kills")) bench.Kills();
    if (opt.phases.count("profile")) bench.Profile();
    bench.CloseWindow();
    bench.Print();
    return 0;
}
