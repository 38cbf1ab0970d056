// The rules every kill pass follows, and a main window that keeps answering while one runs:
// never the program itself, never a process the system cannot live without, gentle kills side
// by side, and a close request that waits for the end of the pass.
#include "favorites/Favorites.h"
#include "res/resource.h"
#include "settings/SettingNames.h"
#include "unit/DialogDriver.h"
#include "unit/Victim.h"
#include "unit/ViewHost.h"

#include <commctrl.h>
#include <cstring>

namespace {

TEST(CriticalProcess, TheSystemsAnswerHoldsAndWithoutOneTheKnownProcessesAreCritical) {
    CProcessCore core;
    char szSystem[MAX_PATH];
    GetSystemDirectoryA(szSystem, MAX_PATH);
    const std::string system = std::string(szSystem) + "\\";

    core.SetCriticalQuery([](DWORD) { return -1; }); // the system cannot tell
    EXPECT_TRUE(core.IsCritical(0, "[System Process]", ""));
    EXPECT_TRUE(core.IsCritical(4, "System", ""));
    for (const char* name :
         {"csrss.exe", "WININIT.EXE", "smss.exe", "lsass.exe", "services.exe", "winlogon.exe"}) {
        EXPECT_TRUE(core.IsCritical(1000, name, system + name)) << name;
        EXPECT_TRUE(core.IsCritical(1000, name, "")) << name << ": an unknown path counts";
        EXPECT_FALSE(core.IsCritical(1000, name, "C:\\Games\\" + std::string(name))) << name;
    }
    EXPECT_FALSE(core.IsCritical(1000, "notepad.exe", system + "notepad.exe"));

    core.SetCriticalQuery([](DWORD pid) { return pid == 1234 ? 1 : 0; }); // the system tells
    EXPECT_TRUE(core.IsCritical(1234, "MINE.EXE", "C:\\MINE.EXE"));
    EXPECT_FALSE(core.IsCritical(4, "System", "")) << "the system's own answer holds";
    EXPECT_FALSE(core.IsCritical(1000, "csrss.exe", system + "csrss.exe"));
}

TEST(CriticalProcess, AProcessTheSystemMarksCriticalIsReportedSo) {
    // Wine lets nothing be marked critical; where a process can be marked, the system's own
    // answer must reach the check.
    Victim victim;
    ASSERT_TRUE(victim.StartConsole(0));
    typedef LONG(WINAPI * PFN_SET)(HANDLE, int, PVOID, ULONG);
    PFN_SET pfnSet = reinterpret_cast<PFN_SET>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtSetInformationProcess")));
    ULONG ulOn = 1, ulOff = 0;
    const int kBreakOnTermination = 29;
    if (!pfnSet || pfnSet(victim.Process(), kBreakOnTermination, &ulOn, sizeof ulOn) != 0 ||
        CProcessCore::QueryCriticalFromSystem(victim.Pid()) != 1) {
        EXPECT_NE(1, CProcessCore::QueryCriticalFromSystem(victim.Pid()));
        GTEST_SKIP() << "this system does not let a test mark a process critical";
    }
    CProcessCore core;
    EXPECT_TRUE(core.IsCritical(victim.Pid(), victim.ExeName(), victim.ExePath()));
    pfnSet(victim.Process(), kBreakOnTermination, &ulOff, sizeof ulOff);
}

// Passes of their own over real victims, outside any window.
TEST(KillPassRules, AGentlePassOverAWindowlessProcessLeavesItRunningWithoutAWait) {
    Victim console;
    ASSERT_TRUE(console.StartConsole(0));
    CProcessCore core;
    ASSERT_EQ(CProcessCore::Bound, core.BindLibrary());
    CKillPass pass = CKillPass::ForTargets(core, {{console.Pid(), console.ExeName(), ""}}, 1);
    const DWORD start = GetTickCount();
    pass.Run(nullptr);
    EXPECT_LT(GetTickCount() - start, 2500u) << "nothing could be asked: nothing to wait for";
    ASSERT_EQ(1u, pass.Outcomes().size());
    EXPECT_EQ(CKillPass::NoWindow, pass.Outcomes()[0].result);
    EXPECT_FALSE(pass.AllEnded());
    EXPECT_TRUE(console.Running());
}

TEST(KillPassRules, AFavouriteListedTwiceIsWorkedOnceAndOnePassedOverAsCriticalIsNotEnded) {
    Victim victim;
    ASSERT_TRUE(victim.StartConsole(0));
    CProcessCore core;
    const DWORD critical = victim.Pid();
    core.SetCriticalQuery([critical](DWORD pid) { return pid == critical ? 1 : 0; });
    CKillPass pass = CKillPass::ForFavorites(core, {victim.ExeName(), victim.ExeName()}, 0);
    pass.Run(nullptr);
    ASSERT_EQ(1u, pass.Outcomes().size()) << "one process, one outcome";
    EXPECT_EQ(CKillPass::SkippedCritical, pass.Outcomes()[0].result) << "the system's answer";
    EXPECT_FALSE(pass.AllEnded()) << "a critical favourite is not an ended one";
    EXPECT_TRUE(victim.Running());
}

// A question to the list from another thread, one second after it starts.
struct Ask {
    HWND hList;
    DWORD_PTR nRows;
    DWORD dwAnswerMs;
};
DWORD WINAPI AskOneSecondIn(void* pParam) {
    Ask* pAsk = static_cast<Ask*>(pParam);
    Sleep(1000);
    const DWORD t0 = GetTickCount();
    SendMessageTimeoutA(pAsk->hList, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 5000, &pAsk->nRows);
    pAsk->dwAnswerMs = GetTickCount() - t0;
    return 0;
}

// The main window with its list, as the program has them.
int WINAPI PostRefusedKill(DWORD, int, int, VN_KILLRESULT* pResult) {
    pResult->dwOutcome = VN_KILL_POST_REFUSED;
    return 0;
}

class KillPassTest : public MainWindowTest {
  protected:
    void TearDown() override {
        theApp.m_pMainWnd = nullptr;
        if (IsWindow(hFrame)) WaitForKillPass(view);
        MainWindowTest::TearDown();
    }
    void Favourites(const std::vector<std::string>& names) {
        for (size_t i = 0; i < names.size(); ++i)
            theApp.m_settings.SetString(kSectionFavorites, FavoriteValueName(i).c_str(), names[i]);
    }
    void SelectOnly(const std::vector<std::string>& names) {
        view->GetListCtrl().SetItemState(-1, 0, LVIS_SELECTED);
        for (const std::string& name : names) {
            const int row = ItemOf(view, name);
            ASSERT_NE(-1, row) << name;
            view->GetListCtrl().SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
        }
    }
    static std::string ThisProgram() {
        char path[MAX_PATH];
        const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
        const std::string full(path, n);
        return full.substr(full.find_last_of("\\/") + 1);
    }
    // Whether a command is enabled as the frame sees it (menu, key and toolbar alike).
    bool Enabled(UINT nID) {
        CCmdUI probe;
        probe.m_nID = nID;
        frame->UpdateCmdUI(&probe);
        return probe.m_bEnabled != FALSE;
    }
};

TEST_F(KillPassTest, KillFavoritesLeavesTheProgramItselfAndEndsTheRest) {
    Victim other;
    ASSERT_TRUE(other.StartConsole(0));
    Favourites({ThisProgram(), other.ExeName()});
    frame->SendCommand(ID_KILL_FAVORITES);
    ASSERT_TRUE(WaitForKillPass(view));
    EXPECT_TRUE(other.WaitForExit(0)) << "the favourite after the program's own name";
    EXPECT_TRUE(IsWindow(hFrame));
    EXPECT_NE(-1, ItemOf(view, ThisProgram()));
}

TEST_F(KillPassTest, KillSelectedOnTheProgramsOwnRowClosesItAsExitDoes) {
    // Alone; among other rows, which end first; beside a row that is refused, which is said
    // before the program closes.
    Victim other, refuses;
    ASSERT_TRUE(other.StartConsole(0));
    ASSERT_TRUE(refuses.StartUnterminable());
    const std::vector<std::vector<std::string>> selections = {
        {ThisProgram()}, {ThisProgram(), other.ExeName()}, {ThisProgram(), refuses.ExeName()}};
    for (size_t i = 0; i < selections.size(); ++i) {
        if (i > 0) {
            ASSERT_NO_FATAL_FAILURE(CreateMainWindow());
            view->BuildColumns();
        }
        view->SetElevationQuery([] { return 1; }); // no restart to offer
        s_messages.clear();
        view->RefreshList();
        SelectOnly(selections[i]);
        frame->SendCommand(ID_KILL_SELECTED);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hFrame); })) << i;
        EXPECT_TRUE(scratch.Exists(kSectionGrid)) << "the column widths were saved";
        EXPECT_EQ(i >= 1, !other.Running()) << "ended with the own row, and stays so";
        ASSERT_EQ(i == 2 ? 1u : 0u, s_messages.size()) << i;
        if (i == 2) {
            EXPECT_NE(std::string::npos, s_messages[0].find("refused: access denied"));
        }
    }
}

TEST_F(KillPassTest, KillSelectedOnACriticalRowSaysSoAndEndsNothing) {
    Victim victim, other;
    ASSERT_TRUE(victim.StartConsole(0));
    ASSERT_TRUE(other.StartConsole(0));
    const DWORD critical = victim.Pid();
    view->Core().SetCriticalQuery([critical](DWORD pid) { return pid == critical ? 1 : 0; });
    view->RefreshList();
    SelectOnly({other.ExeName(), victim.ExeName()});
    frame->SendCommand(ID_KILL_SELECTED);
    EXPECT_FALSE(view->IsKillPassRunning());
    ASSERT_EQ(1u, s_messages.size());
    EXPECT_EQ(UpperCase(victim.ExeName()) +
                  " is a critical system process. Ending it would stop Windows.",
              s_messages[0]);
    EXPECT_TRUE(victim.Running());
    EXPECT_TRUE(other.Running()) << "nothing of the selection was ended";

    // Kill Favorites passes over it and goes on with the rest.
    Favourites({victim.ExeName(), other.ExeName()});
    frame->SendCommand(ID_KILL_FAVORITES);
    ASSERT_TRUE(WaitForKillPass(view));
    EXPECT_TRUE(victim.Running());
    EXPECT_TRUE(other.WaitForExit(0));
}

TEST_F(KillPassTest, ARefusedKillIsSaidAndTheRestartIsOfferedOnlyWhereElevationCouldHelp) {
    Victim refuses;
    ASSERT_TRUE(refuses.StartUnterminable());
    const std::string line = UpperCase(refuses.ExeName()) + " (PID " + FormatPid(refuses.Pid()) +
                             "): refused: access denied";
    // 0: not elevated, 1: elevated, -1: no elevation on this system. Declined each time.
    for (int nElevated : {0, 1, -1}) {
        view->SetElevationQuery([nElevated] { return nElevated; });
        s_messages.clear();
        s_answer = IDNO;
        view->RefreshList();
        SelectOnly({refuses.ExeName()});
        frame->SendCommand(ID_KILL_SELECTED);
        ASSERT_TRUE(WaitForKillPass(view));
        ASSERT_EQ(1u, s_messages.size()) << nElevated;
        EXPECT_NE(std::string::npos, s_messages[0].find(line)) << s_messages[0];
        EXPECT_EQ(nElevated == 0, s_messages[0].find(kRestartElevatedQuestion) != std::string::npos)
            << nElevated;
        EXPECT_TRUE(refuses.Running());
        EXPECT_NE(-1, ItemOf(view, refuses.ExeName())) << "the row stays";
        EXPECT_TRUE(IsWindow(hFrame)) << "declined: nothing changes";
    }
    // A close request the system refused (the program runs as administrator) is offered too.
    Victim asked;
    ASSERT_TRUE(asked.StartConsole(0));
    view->SetElevationQuery([] { return 0; });
    view->Core().SetKillEntry(PostRefusedKill);
    s_messages.clear();
    view->RefreshList();
    SelectOnly({asked.ExeName()});
    frame->SendCommand(ID_KILL_SELECTED);
    ASSERT_TRUE(WaitForKillPass(view));
    ASSERT_EQ(1u, s_messages.size());
    EXPECT_NE(std::string::npos, s_messages[0].find(kRestartElevatedQuestion)) << s_messages[0];
}

TEST_F(KillPassTest, GentleKillsWaitSideBySideWhileTheWindowAnswersAndHoldsItsCommands) {
    Victim stubborn[3];
    std::vector<std::string> names;
    for (Victim& victim : stubborn) {
        ASSERT_TRUE(victim.StartWindow(false));
        names.push_back(victim.ExeName());
    }
    Favourites(names);
    SaveKillMode(theApp.m_settings, 1);
    const DWORD start = GetTickCount();
    frame->SendCommand(ID_KILL_FAVORITES);
    ASSERT_TRUE(view->IsKillPassRunning());
    SelectOnly({ThisProgram()}); // Kill Selected would be enabled but for the pass
    for (UINT nID : {ID_VIEW_REFRESH, ID_KILL_SELECTED, ID_KILL_FAVORITES, ID_KILL_FAVORITES_EXIT,
                     ID_EDIT_FAVORITES})
        EXPECT_FALSE(Enabled(nID)) << nID << " during the pass";

    // A command that reaches the view itself during the pass, past the disabled keys and
    // menus, is refused there: no second pass, no wait, no new listing, no dialog.
    Victim late;
    ASSERT_TRUE(late.StartConsole(0));
    const DWORD dwSent = GetTickCount();
    for (UINT nID : {ID_KILL_FAVORITES, ID_KILL_FAVORITES_EXIT, ID_KILL_SELECTED, ID_VIEW_REFRESH})
        view->SendMessage(WM_COMMAND, nID);
    EXPECT_LT(GetTickCount() - dwSent, 1000u) << "a command during the pass started another";
    EXPECT_EQ(-1, ItemOf(view, late.ExeName())) << "the list was refreshed during the pass";
    DialogDriver noDialog(1000); // fails the test if it has to cancel one
    noDialog.Run([&] { return INT_PTR(view->SendMessage(WM_COMMAND, ID_EDIT_FAVORITES)); });
    // While it waits, the status line says so rather than naming the last favourite.
    char pane[128] = "";
    EXPECT_TRUE(PumpUntil([&] {
        frame->m_wndStatusBar.SendMessage(SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(pane));
        return strcmp(pane, kWaitingForCloseText) == 0;
    })) << pane;

    // Another thread asks the list for its rows while the pass waits: the answer comes.
    Ask ask = {view->m_hWnd, 0, 0};
    HANDLE hThread = CreateThread(nullptr, 0, AskOneSecondIn, &ask, 0, nullptr);
    // A close request during the pass waits for its end.
    PostMessageA(hFrame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitForKillPass(view, 20000));
    const DWORD elapsed = GetTickCount() - start;
    WaitForSingleObject(hThread, 10000);
    CloseHandle(hThread);
    EXPECT_LT(elapsed, 8000u) << "three stubborn programs, one wait";
    EXPECT_LT(ask.dwAnswerMs, 1000u);
    EXPECT_GT(ask.nRows, 0u);
    for (Victim& victim : stubborn) {
        EXPECT_TRUE(victim.WaitForCloseRequest(0)) << "asked to close";
        EXPECT_TRUE(victim.Running()) << "never forced";
    }
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hFrame); })) << "closed after the pass";
}

// F9 pressed the moment the window exists: the start-up listing and every refresh come while
// the pass runs, and rebind the window's library; the pass works on its own.
class KillAtStartTest : public MainFrameTest {};

TEST_F(KillAtStartTest, F9BeforeTheFirstListingEndsEveryFavouriteWhileTheListRefreshes) {
    theApp.m_settings.SetInt(kSectionNewbie, kValueStart, 0);
    for (int round = 0; round < 8; ++round) {
        Victim victims[3];
        for (size_t i = 0; i < 3; ++i) {
            ASSERT_TRUE(victims[i].StartWindow(true));
            theApp.m_settings.SetString(kSectionFavorites, FavoriteValueName(i).c_str(),
                                        victims[i].ExeName());
        }
        ASSERT_NO_FATAL_FAILURE(CreateMainWindow());
        frame->InitialUpdateFrame(); // the columns, and the start-up timer
        // Gentle passes ask each window while the list rebinds.
        SaveKillMode(theApp.m_settings, round % 2);
        frame->SendCommand(ID_KILL_FAVORITES);
        frame->SendMessage(WM_TIMER, kStartupTimerId); // the start-up listing, during the pass
        while (view->IsKillPassRunning()) {
            view->RefreshList();
            PumpMessages();
        }
        for (Victim& victim : victims)
            EXPECT_TRUE(victim.WaitForExit(5000)) << "round " << round;
        frame->DestroyWindow();
    }
}

} // namespace
