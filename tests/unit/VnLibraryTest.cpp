// VN.DLL itself, loaded as the program loads it, against processes the tests start.
#include "unit/Victim.h"
#include "vn/vn.h"
#include "vn/WindowLookup.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A process id that no process has (ids are multiples of 4 and far smaller).
const DWORD kNoSuchPid = 0x7FFFFFF0;
// Slack for the scheduler on top of the library's own bounded waits.
const DWORD kSlackMs = 3000;

class VnLibraryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_hLibrary = LoadLibraryA((TestProgramDir() + "VN.DLL").c_str());
        ASSERT_NE(nullptr, m_hLibrary);
        pfnQxt = Entry<PFN_VN_QXT>("VN_QXT");
        pfnGetPi = Entry<PFN_VN_GETPI>("VN_GETPI");
        pfnKill = Entry<PFN_VN_KILL>("VN_KILL");
        pfnHwnd = Entry<PFN_VN_HWND>("VN_HWND");
        pfnGetPiW = Entry<PFN_VN_GETPIW>("VN_GETPIW");
        pfnKillEx = Entry<PFN_VN_KILLEX>("VN_KILLEX");
        ASSERT_TRUE(pfnQxt && pfnGetPi && pfnKill && pfnHwnd && pfnGetPiW && pfnKillEx);
        ASSERT_FALSE(ProcessExists(kNoSuchPid));
    }
    void TearDown() override {
        if (m_hLibrary) FreeLibrary(m_hLibrary);
    }
    template <typename T> T Entry(const char* pszName) {
        return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(m_hLibrary, pszName)));
    }
    static bool ProcessExists(DWORD dwPID) {
        HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, dwPID);
        if (h) CloseHandle(h);
        return h != nullptr;
    }
    // Runs VN_KILL and measures how long it took.
    int Kill(DWORD dwPID, int bGentle, DWORD* pdwElapsed) {
        DWORD dwStart = GetTickCount();
        int nResult = pfnKill(dwPID, bGentle, 1);
        *pdwElapsed = GetTickCount() - dwStart;
        return nResult;
    }
    // Runs VN_KILLEX, measures it, and checks that it returned what VN_KILL would.
    VN_KILLRESULT KillEx(DWORD dwPID, int bGentle, int bWait, DWORD* pdwElapsed = nullptr) {
        VN_KILLRESULT result;
        memset(&result, 0x5A, sizeof result);
        result.cbSize = sizeof result;
        DWORD dwStart = GetTickCount();
        nKillExReturn = pfnKillEx(dwPID, bGentle, bWait, &result);
        if (pdwElapsed) *pdwElapsed = GetTickCount() - dwStart;
        if (result.dwOutcome != VN_KILL_GONE) {
            EXPECT_EQ(nKillExReturn != 0, result.dwOutcome == VN_KILL_ENDED) << result.dwOutcome;
        }
        EXPECT_EQ(sizeof result, result.cbSize);
        return result;
    }

    PFN_VN_QXT pfnQxt = nullptr;
    PFN_VN_GETPI pfnGetPi = nullptr;
    PFN_VN_KILL pfnKill = nullptr;
    PFN_VN_HWND pfnHwnd = nullptr;
    PFN_VN_GETPIW pfnGetPiW = nullptr;
    PFN_VN_KILLEX pfnKillEx = nullptr;
    int nKillExReturn = 0; // what the last KillEx returned

  private:
    HMODULE m_hLibrary = nullptr;
};

TEST_F(VnLibraryTest, StartUpWritesAShortTextAndEnablesTheDebugPrivilegeWhereHeld) {
    char buffer[VN_QXT_BUFFER_SIZE + 8];
    memset(buffer, 0x7F, sizeof buffer);
    int bEnabled = pfnQxt(buffer);
    EXPECT_LT(strnlen(buffer, VN_QXT_BUFFER_SIZE), size_t(VN_QXT_BUFFER_SIZE));
    EXPECT_EQ(0x7F, buffer[VN_QXT_BUFFER_SIZE]);
    pfnQxt(nullptr);

    HANDLE hToken;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken));
    PRIVILEGE_SET set = {};
    set.PrivilegeCount = 1;
    ASSERT_TRUE(LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &set.Privilege[0].Luid));
    BOOL bHeldEnabled = FALSE;
    ASSERT_TRUE(PrivilegeCheck(hToken, &set, &bHeldEnabled));
    CloseHandle(hToken);
    EXPECT_EQ(bEnabled != 0, bHeldEnabled != FALSE);
}

TEST_F(VnLibraryTest, GetPiFillsClassBasePriorityAndPathOnly) {
    VN_PROCINFO info;
    memset(&info, 0x5A, sizeof info);
    info.dwPID = GetCurrentProcessId();
    VN_PROCINFO before = info;
    EXPECT_NE(0, pfnGetPi(&info));

    char szSelf[MAX_PATH];
    GetModuleFileNameA(nullptr, szSelf, MAX_PATH);
    EXPECT_EQ(0, lstrcmpiA(szSelf, info.szFullPath)) << info.szFullPath;
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), info.dwPriorityClass);
    EXPECT_NE(0x5A5A5A5A, info.lBasePriority);
    // Name, process id and thread count belong to the caller.
    EXPECT_EQ(0, memcmp(before.szName, info.szName, sizeof info.szName));
    EXPECT_EQ(before.dwPID, info.dwPID);
    EXPECT_EQ(before.dwThreadCount, info.dwThreadCount);
}

TEST_F(VnLibraryTest, GetPiLeavesEverythingItCannotLearn) {
    for (DWORD dwPID : {DWORD(0), kNoSuchPid}) {
        SCOPED_TRACE(dwPID);
        VN_PROCINFO info;
        memset(&info, 0x5A, sizeof info); // not even terminated
        info.dwPID = dwPID;
        VN_PROCINFO before = info;
        EXPECT_EQ(0, pfnGetPi(&info));
        EXPECT_EQ(0, memcmp(&before, &info, sizeof info));
    }
    EXPECT_EQ(0, pfnGetPi(nullptr));
}

TEST_F(VnLibraryTest, ForcedKillEndsConsoleAndWindowedVictims) {
    Victim console, windowed;
    ASSERT_TRUE(console.StartConsole(2));
    ASSERT_TRUE(windowed.StartWindow(false)); // would ignore a close request
    for (Victim* victim : {&console, &windowed}) {
        DWORD dwElapsed = 0;
        EXPECT_NE(0, Kill(victim->Pid(), 0, &dwElapsed));
        // The call waited for the end.
        EXPECT_TRUE(victim->WaitForExit(0));
        EXPECT_EQ(0xFFFFFFFFu, victim->ExitCode());
        EXPECT_LE(dwElapsed, VN_FORCED_WAIT_MS + kSlackMs);
    }
}

TEST_F(VnLibraryTest, GentleKillEndsAVictimThatHonoursTheCloseRequest) {
    Victim victim;
    ASSERT_TRUE(victim.StartWindow(true));
    EXPECT_EQ(victim.Window(), pfnHwnd(victim.Pid()));
    DWORD dwElapsed = 0;
    EXPECT_NE(0, Kill(victim.Pid(), 1, &dwElapsed));
    EXPECT_TRUE(victim.WaitForExit(0));
    EXPECT_EQ(0u, victim.ExitCode()); // it closed itself: no termination behind its back
}

TEST_F(VnLibraryTest, GentleKillGivesUpOnAVictimThatIgnoresItOrHasNoWindow) {
    Victim stubborn, console;
    ASSERT_TRUE(stubborn.StartWindow(false));
    ASSERT_TRUE(console.StartConsole(0));
    EXPECT_EQ(nullptr, pfnHwnd(console.Pid()));

    DWORD dwElapsed = 0;
    EXPECT_EQ(0, Kill(stubborn.Pid(), 1, &dwElapsed));
    EXPECT_TRUE(stubborn.WaitForCloseRequest(0)); // it was asked
    EXPECT_LE(dwElapsed, VN_GENTLE_WAIT_MS + kSlackMs);
    EXPECT_TRUE(stubborn.Running());

    EXPECT_EQ(0, Kill(console.Pid(), 1, &dwElapsed));
    EXPECT_LT(dwElapsed, VN_GENTLE_WAIT_MS); // nothing to ask, nothing to wait for
    EXPECT_TRUE(console.Running());
}

TEST_F(VnLibraryTest, KillOfAProcessThatDoesNotExistReturnsZero) {
    DWORD dwElapsed = 0;
    for (int bGentle : {0, 1}) {
        EXPECT_EQ(0, Kill(kNoSuchPid, bGentle, &dwElapsed));
        EXPECT_EQ(0, Kill(0, bGentle, &dwElapsed));
    }
    EXPECT_EQ(nullptr, pfnHwnd(kNoSuchPid));
}

// What the system itself says a process's path is: QueryFullProcessImageNameA or W.
template <typename Char> std::basic_string<Char> SystemPath(HANDLE hProcess, const char* pszEntry) {
    typedef BOOL(WINAPI * PFN_QUERY)(HANDLE, DWORD, Char*, PDWORD);
    PFN_QUERY pfnQuery = reinterpret_cast<PFN_QUERY>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), pszEntry)));
    Char szPath[VN_PATH_CCH];
    DWORD cch = VN_PATH_CCH;
    return pfnQuery && pfnQuery(hProcess, 0, szPath, &cch) ? std::basic_string<Char>(szPath, cch)
                                                           : std::basic_string<Char>();
}

VN_PROCINFOW Garbled(DWORD cbSize, DWORD dwPID) {
    VN_PROCINFOW info;
    memset(&info, 0x5A, sizeof info);
    info.cbSize = cbSize;
    info.dwPID = dwPID;
    return info;
}

TEST_F(VnLibraryTest, EveryEntryIsExportedByItsUndecoratedNameOnly) {
    // Each name with the argument bytes a 32-bit __stdcall decoration would carry.
    for (const char* pszName :
         {"VN_QXT@4", "VN_GETPI@4", "VN_KILL@12", "VN_HWND@4", "VN_GETPIW@4", "VN_KILLEX@16"}) {
        const std::string decorated = pszName;
        EXPECT_NE(nullptr, Entry<void*>(decorated.substr(0, decorated.find('@')).c_str()));
        EXPECT_EQ(nullptr, Entry<void*>(pszName));
        EXPECT_EQ(nullptr, Entry<void*>(("_" + decorated).c_str()));
    }
}

TEST_F(VnLibraryTest, GetPiWGivesAPathOutsideTheAnsiCodePageExactly) {
    Victim victim;
    ASSERT_TRUE(victim.StartWideName());
    const std::wstring expected =
        SystemPath<wchar_t>(victim.Process(), "QueryFullProcessImageNameW");
    ASSERT_EQ(0, lstrcmpiW(victim.ExePathW().c_str(), expected.c_str()));
    VN_PROCINFOW info = Garbled(sizeof info, victim.Pid());
    EXPECT_NE(0, pfnGetPiW(&info));
    EXPECT_EQ(VN_PI_OPENED | VN_PI_PATH, info.dwFlags);
    EXPECT_TRUE(expected == info.szFullPath);
    EXPECT_EQ(GetPriorityClass(victim.Process()), info.dwPriorityClass);
    EXPECT_NE(0, info.lBasePriority);
    EXPECT_TRUE(sizeof info == info.cbSize && victim.Pid() == info.dwPID);

    // The ANSI entry keeps giving the system's ANSI form of the path.
    VN_PROCINFO ansi = {};
    ansi.dwPID = victim.Pid();
    EXPECT_NE(0, pfnGetPi(&ansi));
    EXPECT_EQ(SystemPath<char>(victim.Process(), "QueryFullProcessImageNameA"), ansi.szFullPath);

    wchar_t szSelf[VN_PATH_CCH];
    GetModuleFileNameW(nullptr, szSelf, VN_PATH_CCH);
    info.dwPID = GetCurrentProcessId();
    EXPECT_NE(0, pfnGetPiW(&info));
    EXPECT_EQ(0, lstrcmpiW(szSelf, info.szFullPath));
}

TEST_F(VnLibraryTest, GetPiWChecksTheRecordSizeAndClearsWhatItCannotLearn) {
    for (DWORD cbSize : {DWORD(0), DWORD(sizeof(VN_PROCINFOW) - 2)}) {
        VN_PROCINFOW info = Garbled(cbSize, GetCurrentProcessId()), before = info;
        SetLastError(0);
        EXPECT_EQ(0, pfnGetPiW(&info));
        EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
        EXPECT_EQ(0, memcmp(&before, &info, sizeof info));
    }
    EXPECT_EQ(0, pfnGetPiW(nullptr));

    Victim locked;
    ASSERT_TRUE(locked.StartUnopenable());
    for (DWORD dwPID : {kNoSuchPid, locked.Pid()}) {
        VN_PROCINFOW info = Garbled(sizeof info, dwPID), expected = {};
        expected.cbSize = sizeof info;
        expected.dwPID = dwPID;
        SetLastError(0);
        EXPECT_EQ(0, pfnGetPiW(&info));
        EXPECT_EQ(dwPID == kNoSuchPid ? ERROR_INVALID_PARAMETER : ERROR_ACCESS_DENIED,
                  int(GetLastError()));
        EXPECT_EQ(0, memcmp(&expected, &info, sizeof info));
    }
}

TEST_F(VnLibraryTest, KillExSaysWhyAProcessWasNotEnded) {
    Victim console, unterminable, locked;
    ASSERT_TRUE(console.StartConsole(0));
    ASSERT_TRUE(unterminable.StartUnterminable());
    ASSERT_TRUE(locked.StartUnopenable());

    VN_KILLRESULT result = {};
    result.cbSize = sizeof result - 4; // a bad record: nothing is done
    EXPECT_EQ(0, pfnKillEx(console.Pid(), 0, 1, &result));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    EXPECT_EQ(0, pfnKillEx(console.Pid(), 0, 1, nullptr));
    EXPECT_TRUE(console.Running());

    // Wine lets anybody wait for the locked one, so only a forced kill is refused there.
    for (Victim* victim : {&unterminable, &locked}) {
        result = KillEx(victim->Pid(), 0, 1);
        EXPECT_EQ(VN_KILL_DENIED, result.dwOutcome);
        EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), result.dwError);
        EXPECT_TRUE(victim->Running());
    }
    for (int bGentle : {0, 1}) {
        EXPECT_EQ(VN_KILL_DENIED, KillEx(0, bGentle, 1).dwOutcome); // the idle process
        EXPECT_EQ(VN_KILL_GONE, KillEx(kNoSuchPid, bGentle, 1).dwOutcome);
    }

    // Ended, and gone from then on, though the test's handle still holds its id.
    result = KillEx(console.Pid(), 0, 1);
    EXPECT_EQ(VN_KILL_ENDED, result.dwOutcome);
    EXPECT_TRUE(console.WaitForExit(0));
    for (int bGentle : {0, 1}) {
        result = KillEx(console.Pid(), bGentle, 1);
        EXPECT_EQ(VN_KILL_GONE, result.dwOutcome);
        EXPECT_EQ(0u, result.dwError);
        EXPECT_EQ(pfnKill(console.Pid(), bGentle, 1) != 0, nKillExReturn != 0);
    }
}

TEST_F(VnLibraryTest, GentleKillExSaysWhatBecameOfTheProcess) {
    Victim console, honours, ignores, hides;
    ASSERT_TRUE(console.StartConsole(0));
    ASSERT_TRUE(honours.StartWindow(true));
    ASSERT_TRUE(ignores.StartWindow(false));
    ASSERT_TRUE(hides.StartHidingWindow());

    DWORD dwElapsed = 0;
    VN_KILLRESULT result = KillEx(console.Pid(), 1, 1, &dwElapsed);
    EXPECT_EQ(VN_KILL_NO_WINDOW, result.dwOutcome);
    EXPECT_EQ(0u, result.nWindowsAsked);
    EXPECT_LT(dwElapsed, 1000u);

    EXPECT_EQ(VN_KILL_ASKED, KillEx(ignores.Pid(), 1, 0, &dwElapsed).dwOutcome);
    EXPECT_LT(dwElapsed, 1000u);
    EXPECT_TRUE(ignores.WaitForCloseRequest(kSlackMs));

    result = KillEx(honours.Pid(), 1, 1);
    EXPECT_EQ(VN_KILL_ENDED, result.dwOutcome);
    EXPECT_LE(1u, result.nWindowsAsked);
    EXPECT_EQ(0u, result.nPostsRefused + result.dwError);
    EXPECT_EQ(0u, honours.ExitCode());

    EXPECT_EQ(VN_KILL_TIMED_OUT, KillEx(ignores.Pid(), 1, 1, &dwElapsed).dwOutcome);
    EXPECT_GE(dwElapsed + 100, VN_GENTLE_WAIT_MS);
    EXPECT_EQ(VN_KILL_HIDDEN, KillEx(hides.Pid(), 1, 1).dwOutcome);
    EXPECT_TRUE(hides.WaitForCloseRequest(0) && !IsWindowVisible(hides.Window()));
    EXPECT_TRUE(console.Running() && ignores.Running() && hides.Running());
}

// A store app's windows on Windows 8 and later: the app's window inside a frame window of
// ApplicationFrameHost.exe. Window n is kTree[n - 1], parent 0 a top-level window.
struct FakeWindow {
    UINT_PTR parent;
    DWORD dwPID;
    BOOL bVisible;
    const char* pszClass;
};
const DWORD kApp = 100, kHost = 200, kOtherApp = 300;
const FakeWindow kTree[] = {
    {0, kHost, TRUE, "ApplicationFrameWindow"}, // 1: the app's frame
    {1, kHost, TRUE, "ApplicationFrameTitleBarWindow"},
    {1, kApp, TRUE, "Windows.UI.Core.CoreWindow"},
    {0, kHost, TRUE, "ApplicationFrameWindow"}, // 4: another app's frame
    {4, kOtherApp, TRUE, "Windows.UI.Core.CoreWindow"},
    {0, kApp, FALSE, "Hidden"},                   // 6
    {0, kHost, TRUE, "ApplicationFrameWindowEx"}, // 7: not a frame, though it hosts the app
    {7, kApp, TRUE, "Windows.UI.Core.CoreWindow"},
    {0, kHost, FALSE, "ApplicationFrameWindow"}, // 9: hidden, the app's window deeper down
    {9, kHost, TRUE, "Container"},
    {10, kApp, TRUE, "Windows.UI.Core.CoreWindow"},
};
const FakeWindow& Fake(HWND hWnd) {
    return kTree[reinterpret_cast<UINT_PTR>(hWnd) - 1];
}
bool IsInside(UINT_PTR id, UINT_PTR ancestor) {
    while ((id = kTree[id - 1].parent) != 0)
        if (id == ancestor) return true;
    return false;
}
// Top-level windows (hParent null), or every descendant as EnumChildWindows walks them.
BOOL WINAPI FakeEnumChildWindows(HWND hParent, WNDENUMPROC pfnVisit, LPARAM lParam) {
    const UINT_PTR parent = reinterpret_cast<UINT_PTR>(hParent);
    for (UINT_PTR id = 1; id <= sizeof kTree / sizeof kTree[0]; ++id)
        if ((parent ? IsInside(id, parent) : !kTree[id - 1].parent) &&
            !pfnVisit(reinterpret_cast<HWND>(id), lParam))
            break;
    return TRUE;
}
BOOL WINAPI FakeEnumWindows(WNDENUMPROC pfnVisit, LPARAM lParam) {
    return FakeEnumChildWindows(nullptr, pfnVisit, lParam);
}
DWORD WINAPI FakeThreadProcessId(HWND hWnd, LPDWORD pdwPID) {
    *pdwPID = Fake(hWnd).dwPID;
    return 1;
}
BOOL WINAPI FakeIsVisible(HWND hWnd) {
    return Fake(hWnd).bVisible;
}
int WINAPI FakeClassName(HWND hWnd, LPSTR pszClass, int cchMax) {
    lstrcpynA(pszClass, Fake(hWnd).pszClass, cchMax); // cut short as the system does
    return lstrlenA(pszClass);
}

// The frames' host runs at a higher level: the system refuses a close request to its windows.
BOOL WINAPI FakePost(HWND hWnd, UINT msg, WPARAM, LPARAM) {
    EXPECT_EQ(UINT(WM_CLOSE), msg);
    if (Fake(hWnd).dwPID != kHost) return TRUE;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}
const VnWindowTree kFakeTree = {FakeEnumWindows, FakeEnumChildWindows, FakeThreadProcessId,
                                FakeIsVisible,   FakeClassName,        FakePost};

std::vector<UINT_PTR> WindowsOf(DWORD dwPID, unsigned fWhich) {
    const VnWindowTree& fake = kFakeTree;
    std::vector<UINT_PTR> found;
    auto collect = [](HWND hWnd, void* pFound) {
        static_cast<std::vector<UINT_PTR>*>(pFound)->push_back(reinterpret_cast<UINT_PTR>(hWnd));
        return static_cast<std::vector<UINT_PTR>*>(pFound)->size() < 3; // it stops the look-up
    };
    const int nVisited = ForEachWindowOf(fake, dwPID, fWhich, collect, &found);
    EXPECT_EQ(nVisited, int(found.size()));
    return found;
}

TEST(WindowLookupTest, AStoreAppIsReachedThroughTheFrameThatHostsIt) {
    typedef std::vector<UINT_PTR> Ids;
    EXPECT_EQ(Ids({1, 6, 9}), WindowsOf(kApp, VN_WINDOWS_FRAMES));
    EXPECT_EQ(Ids({1}), WindowsOf(kApp, VN_WINDOWS_FRAMES | VN_WINDOWS_VISIBLE));
    EXPECT_EQ(Ids({6}), WindowsOf(kApp, 0));
    EXPECT_EQ(Ids({}), WindowsOf(kApp, VN_WINDOWS_VISIBLE));
    EXPECT_EQ(Ids({4}), WindowsOf(kOtherApp, VN_WINDOWS_FRAMES));
    EXPECT_EQ(Ids({1, 4, 7}), WindowsOf(kHost, VN_WINDOWS_FRAMES)); // the fourth is not asked
    EXPECT_EQ(Ids({}), WindowsOf(400, VN_WINDOWS_FRAMES));
}

TEST(WindowLookupTest, CloseRequestsTheSystemRefusesAreCounted) {
    struct Case {
        DWORD dwPID;
        DWORD dwOutcome;
        DWORD nAsked, nRefused;
    };
    const Case cases[] = {
        {kApp, VN_KILL_ASKED, 3, 2},             // its own hidden window took the request
        {kOtherApp, VN_KILL_POST_REFUSED, 1, 1}, // only its frame, which refused
        {400, VN_KILL_NO_WINDOW, 0, 0},
    };
    for (const Case& c : cases) {
        VN_KILLRESULT result = {};
        EXPECT_EQ(c.dwOutcome, AskWindowsToClose(kFakeTree, c.dwPID, &result)) << c.dwPID;
        EXPECT_EQ(c.nAsked, result.nWindowsAsked) << c.dwPID;
        EXPECT_EQ(c.nRefused, result.nPostsRefused) << c.dwPID;
        EXPECT_EQ(c.nRefused ? DWORD(ERROR_ACCESS_DENIED) : 0, result.dwError) << c.dwPID;
    }
}

} // namespace
