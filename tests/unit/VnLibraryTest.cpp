// VN.DLL itself, loaded as the program loads it, against processes the tests start.
#include "unit/Victim.h"
#include "vn/vn.h"

#include <gtest/gtest.h>
#include <cstring>

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
        ASSERT_TRUE(pfnQxt && pfnGetPi && pfnKill && pfnHwnd);
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

    PFN_VN_QXT pfnQxt = nullptr;
    PFN_VN_GETPI pfnGetPi = nullptr;
    PFN_VN_KILL pfnKill = nullptr;
    PFN_VN_HWND pfnHwnd = nullptr;

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

} // namespace
