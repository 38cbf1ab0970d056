// The benchmark's parts: its statistics and table, the commands and victims it starts, and
// its reading of a running Vantrel.exe from outside, with real processes and windows.
#include "bench/BenchProbe.h"
#include "bench/BenchProcs.h"
#include "bench/BenchStats.h"
#include "settings/SettingNames.h"
#include "unit/ScratchKey.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

std::string TestsBin() {
    return ProgramDir() + "..\\tests\\";
}

// Whether Tool Help lists a running process of this id under this file name.
bool Listed(DWORD pid, const std::string& name) {
    HANDLE h = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 e;
    memset(&e, 0, sizeof e);
    e.dwSize = sizeof e;
    bool found = false;
    for (BOOL more = Process32First(h, &e); more && !found; more = Process32Next(h, &e))
        found = e.th32ProcessID == pid && lstrcmpiA(e.szExeFile, name.c_str()) == 0;
    CloseHandle(h);
    return found;
}

std::vector<std::string> Names(const char* tag, int n) {
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i)
        names.push_back("bt" + std::to_string(GetCurrentProcessId()) + tag + std::to_string(i) +
                        ".exe");
    return names;
}

TEST(BenchStats, MedianOfOddAndEvenCountsIgnoringGaps) {
    EXPECT_EQ(3.0, Median({5, 1, 3}));
    EXPECT_EQ(2.5, Median({4, 1, 3, 2}));
    EXPECT_EQ(2.0, Median({NAN, 2, NAN}));
    EXPECT_TRUE(std::isnan(Median({})));
    EXPECT_TRUE(std::isnan(Median({NAN})));
}

TEST(BenchStats, RatiosArePairedBeforeTheMedian) {
    // The median of the ratios, not the ratio of the medians: 10/5, 30/10, 100/100.
    EXPECT_EQ(2.0, MedianRatio({10, 30, 100}, {5, 10, 100}));
    EXPECT_NE(Median({10, 30, 100}) / Median({5, 10, 100}),
              MedianRatio({10, 30, 100}, {5, 10, 100}));
    // Pairs without a usable reference are left out; extra values have no partner.
    EXPECT_EQ(4.0, MedianRatio({8, 9, 7, 1}, {2, 0, NAN}));
    EXPECT_EQ(4.0, MedianRatio({8, NAN}, {2, 1}));
    EXPECT_TRUE(std::isnan(MedianRatio({1}, {0})));
    EXPECT_TRUE(std::isnan(MedianRatio({}, {})));
}

TEST(BenchStats, FiguresAreFormattedForTheTable) {
    EXPECT_EQ("0.84 ms", FormatMs(0.844));
    EXPECT_EQ("12.3 ms", FormatMs(12.34));
    EXPECT_EQ("456 ms", FormatMs(456.4));
    EXPECT_EQ("1.23 s", FormatMs(1234));
    EXPECT_EQ("n/a", FormatMs(NAN));
    EXPECT_EQ("n/a", FormatMs(-1));
    EXPECT_EQ("1.40", FormatRatio(1.4));
    EXPECT_EQ("12.5", FormatRatio(12.5));
    EXPECT_EQ("n/a", FormatRatio(NAN));
    EXPECT_EQ("411 KB", FormatKB(411 * 1024 + 100));
    EXPECT_EQ("1 KB", FormatKB(600));
    EXPECT_EQ("12.5 MB", FormatMB(12 * 1048576 + 524288));
    EXPECT_EQ("met", GoalVerdict(true, true));
    EXPECT_EQ("missed", GoalVerdict(true, false));
    EXPECT_EQ("n/a", GoalVerdict(false, true));
}

TEST(BenchStats, TableRowsKeepTheirColumns) {
    Table t({"A", "B", "C"});
    t.AddRow({"x|y", "2"});
    t.AddRow({"line\nbreak", "b", "c", "dropped"});
    EXPECT_EQ(2u, t.Rows());
    EXPECT_EQ("| A | B | C |\n"
              "|---|---|---|\n"
              "| x\\|y | 2 |  |\n"
              "| line break | b | c |\n",
              t.Markdown());
}

TEST(BenchProcs, TaskkillNamesEveryProcessAndForcesOnlyWhenAsked) {
    EXPECT_EQ("taskkill.exe /F /IM a.exe /IM b.exe", TaskkillCommandLine({"a.exe", "b.exe"}, true));
    EXPECT_EQ("taskkill.exe /IM a.exe", TaskkillCommandLine({"a.exe"}, false));
}

TEST(BenchProcs, CountsTextInAnsiAndUtf16Files) {
    const std::string folder = BenchFolder();
    const std::string ansi = folder + "ansi.txt", wide = folder + "wide.txt";
    FILE* f = fopen(ansi.c_str(), "wb");
    fputs("VB1r001.exe 12\nvb1r002.EXE 13\nother.exe\nvb1r", f);
    fclose(f);
    EXPECT_EQ(3, CountInFile(ansi, "vb1r"));
    EXPECT_EQ(1, CountInFile(ansi, "VB1R002.exe"));
    f = fopen(wide.c_str(), "wb");
    const wchar_t text[] = L"\xFEFFName  vb1r001.exe\r\nvb1r002.exe \x0414vb1r\r\n";
    fwrite(text, sizeof(wchar_t), wcslen(text), f);
    fclose(f);
    EXPECT_EQ(3, CountInFile(wide, "vb1r"));
    EXPECT_EQ(0, CountInFile(wide, "name  vb1r003"));
    EXPECT_EQ(-1, CountInFile(folder + "missing.txt", "vb"));
    RemoveBenchFolder(folder);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.c_str()));
}

TEST(BenchProcs, WaitsForMoreThanSixtyFourHandles) {
    std::vector<HANDLE> events;
    for (int i = 0; i < 70; ++i)
        events.push_back(CreateEventA(nullptr, TRUE, TRUE, nullptr));
    EXPECT_TRUE(WaitAllSignalled(events, 1000));
    ResetEvent(events[67]);
    const double start = NowMs();
    EXPECT_FALSE(WaitAllSignalled(events, 300)) << "one of the last handles is not signalled";
    EXPECT_GE(NowMs() - start, 250.0);
    for (HANDLE h : events)
        CloseHandle(h);
}

TEST(BenchProcs, CommandsWriteToTheirFileAndAreEndedAfterTheirTime) {
    const std::string folder = BenchFolder();
    const std::string out = folder + "echo.txt";
    DWORD code = 99;
    const double ms = TimeCommand("cmd.exe /c echo bench-output-42", out, 30000, &code);
    EXPECT_FALSE(std::isnan(ms));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(1, CountInFile(out, "bench-output-42"));

    // A victim waits for its parent, this test: it never ends by itself.
    HANDLE hReady = CreateEventA(nullptr, TRUE, FALSE, "VantrelBenchTestNeverEnds");
    const std::string line = "\"" + TestsBin() + "victim_console.exe\" VantrelBenchTestNeverEnds " +
                             std::to_string(GetCurrentProcessId()) + " 0";
    EXPECT_TRUE(std::isnan(TimeCommand(line, folder + "never.txt", 1500, &code)));
    EXPECT_EQ(1u, code) << "ended by the time-out";
    CloseHandle(hReady);
    EXPECT_TRUE(std::isnan(TimeCommand("no-such-program-here.exe", out, 1000)));
    RemoveBenchFolder(folder);
}

TEST(BenchProcs, VictimsRunUnderTheirNamesUntilEnded) {
    const std::string folder = BenchFolder();
    {
        VictimSet set(folder);
        const std::vector<std::string> names = Names("c", 23); // more than one batch
        ASSERT_TRUE(set.Start(TestsBin() + "victim_console.exe", names, "2", 60000));
        ASSERT_EQ(23u, set.Processes().size());
        EXPECT_EQ(23, set.Running());
        for (size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(names[i], set.Processes()[i].name);
            EXPECT_TRUE(Listed(set.Processes()[i].pid, names[i])) << names[i];
        }
        EXPECT_FALSE(set.WaitAllGone(200));
        set.EndAll();
        EXPECT_EQ(0u, set.Processes().size());
        EXPECT_TRUE(set.WaitAllGone(0));

        // The same names again: their copies are reused.
        ASSERT_TRUE(set.Start(TestsBin() + "victim_console.exe", Names("c", 2), "0", 30000));
        EXPECT_EQ(2, set.Running());
        EXPECT_FALSE(set.Start(TestsBin() + "no_such_victim.exe", Names("m", 1), "0", 5000));
        EXPECT_EQ(2u, set.Processes().size());
    }
    // The set ended its victims when it went away; their copies can be removed.
    RemoveBenchFolder(folder);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.c_str()));
}

TEST(BenchProcs, WindowedVictimsCloseOnRequest) {
    const std::string folder = BenchFolder();
    VictimSet set(folder);
    ASSERT_TRUE(set.Start(TestsBin() + "victim_window.exe", Names("w", 3), "honour", 60000));
    // Its own window (and whatever windows the system keeps for the thread, such as Wine's
    // input-method window), never the windows of other processes.
    for (const VictimProcess& p : set.Processes()) {
        EXPECT_GE(CountWindows(p.pid), 1);
        EXPECT_LE(CountWindows(p.pid), 3);
    }
    const std::string out = folder + "taskkill.txt";
    HANDLE h = StartCommand(TaskkillCommandLine(Names("w", 3), false), out);
    ASSERT_TRUE(h);
    EXPECT_TRUE(set.WaitAllGone(20000)) << "taskkill without /F closes their windows";
    WaitAllSignalled({h}, 20000);
    CloseHandle(h);
    for (const VictimProcess& p : set.Processes())
        EXPECT_EQ(0, CountWindows(p.pid));
    set.EndAll();
    RemoveBenchFolder(folder);
}

TEST(BenchProbe, HandleCountsFollowTheHandlesAProcessOpens) {
    const DWORD before = CountHandlesByDuplication(GetCurrentProcess());
    EXPECT_GT(before, 0u);
    std::vector<HANDLE> events;
    for (int i = 0; i < 50; ++i)
        events.push_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const DWORD during = CountHandlesByDuplication(GetCurrentProcess());
    EXPECT_GE(during, before + 50);
    EXPECT_LE(during, before + 52);
    for (HANDLE h : events)
        CloseHandle(h);
    const ResourceCounts c = ReadResourceCounts(GetCurrentProcess(), GetCurrentProcessId());
    ASSERT_TRUE(c.bHandles);
    EXPECT_LE(c.dwHandles, before + 2) << "closed handles are not counted";
    EXPECT_GE(c.dwHandles + 2, before);
}

// A settings key state for the launched program, put back afterwards.
class NewbieKey {
  public:
    NewbieKey() : m_key(SettingsKey("Vantrel")) {
        HKEY hKey = nullptr;
        m_existed =
            RegOpenKeyExA(m_key.hRoot, m_key.strPath.c_str(), 0, KEY_READ, &hKey) == ERROR_SUCCESS;
        if (hKey) RegCloseKey(hKey);
        hKey = nullptr;
        const std::string path = m_key.strPath + "\\" + kSectionNewbie;
        RegCreateKeyExA(m_key.hRoot, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                        nullptr);
        RegSetValueExA(hKey, kValueStart, 0, REG_SZ, reinterpret_cast<const BYTE*>("0"), 2);
        RegCloseKey(hKey);
    }
    ~NewbieKey() {
        if (!m_existed) DeleteKeyTree(m_key.hRoot, m_key.strPath);
    }

  private:
    RegKeyPlace m_key;
    bool m_existed = false;
};

LRESULT CALLBACK DecoyProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcA(h, m, w, l);
}

TEST(BenchProbe, ReadsTheLaunchedProgramNotAnotherFrame) {
    NewbieKey newbie;
    // A decoy of the same window class in this process, with one row in its list.
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DecoyProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VantrelFrame";
    RegisterClassA(&wc);
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    HWND hDecoy = CreateWindowA("VantrelFrame", "Vantrel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    HWND hList = CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 300, 200,
                               hDecoy, nullptr, wc.hInstance, nullptr);
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<char*>("DECOY.EXE");
    SendMessageA(hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    ASSERT_EQ(1, int(SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0)));

    {
        ExternalVantrel app;
        ASSERT_TRUE(app.Launch(ProgramDir() + "..\\Vantrel.exe", 30000));
        EXPECT_GT(app.Rows(), 3) << "Wine's own processes, this test and the program";
        EXPECT_GT(app.MsToShown(), 0.0);
        EXPECT_GE(app.MsToRows(), app.MsToShown());
        EXPECT_TRUE(app.Refresh());
        const ResourceCounts c = app.Counts();
        EXPECT_TRUE(c.bHandles);
        EXPECT_GT(c.dwHandles, 0u);
        EXPECT_GE(c.nWindows, 4) << "frame, list, toolbar, status bar";
        EXPECT_TRUE(app.Close(20000)) << "closed by its window, not ended";
        EXPECT_EQ(nullptr, app.Process());
    }
    EXPECT_TRUE(IsWindow(hDecoy)) << "the decoy was not closed";
    DestroyWindow(hDecoy);
}

TEST(BenchProbe, ALaunchThatCannotStartFails) {
    ExternalVantrel app;
    EXPECT_FALSE(app.Launch(ProgramDir() + "no-such-Vantrel.exe", 2000));
    EXPECT_LT(app.MsToRows(), 0.0);
}

} // namespace
