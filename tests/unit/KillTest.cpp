// Killing from the list: which process a row's kill reaches, what the library is handed, and
// what happens to the row, with real victims on both kill paths.
#include "favorites/Favorites.h"
#include "frame/MainFrm.h"
#include "res/resource.h"
#include "unit/Victim.h"
#include "unit/ViewHost.h"
#include "settings/SettingNames.h"
#include "win/Utf8.h"

#include <commctrl.h>
#include <algorithm>
#include <vector>

namespace {

struct KillCall {
    DWORD pid;
    int gentle;
    int wait;
};
// Gentle kills run side by side on threads of their own: the record is shared.
CRITICAL_SECTION g_callsLock;
std::vector<KillCall> g_calls;
int g_killResult = 0;

int WINAPI RecordingKill(DWORD pid, int gentle, int wait, VN_KILLRESULT* pResult) {
    EnterCriticalSection(&g_callsLock);
    g_calls.push_back({pid, gentle, wait});
    LeaveCriticalSection(&g_callsLock);
    // A gentle kill without the wait has asked; the pass waits for the process itself.
    pResult->dwOutcome = gentle && !wait ? VN_KILL_ASKED
                         : g_killResult  ? VN_KILL_ENDED
                                         : VN_KILL_DENIED;
    return g_killResult;
}

class KillTest : public ViewHostTest {
  protected:
    void SetUp() override {
        ViewHostTest::SetUp();
        InitializeCriticalSection(&g_callsLock);
        g_calls.clear();
        g_killResult = 0;
        view = AddView(new CVantrelView);
    }
    void TearDown() override {
        ViewHostTest::TearDown();
        DeleteCriticalSection(&g_callsLock);
    }
    void KillOnly(int row) {
        view->GetListCtrl().SetItemState(-1, 0, LVIS_SELECTED);
        Select(row);
        KillSelected(view);
    }
    // A row for a process as the snapshot would list it.
    int AddRow(const std::string& name, DWORD pid) {
        ProcessRecord info = Record(name, pid);
        ::AddRow(view, info);
        return ItemOf(view, name);
    }
    void Select(int row) { view->GetListCtrl().SetItemState(row, LVIS_SELECTED, LVIS_SELECTED); }
    int Rows() { return view->GetListCtrl().GetItemCount(); }

    CVantrelView* view = nullptr;
};

TEST_F(KillTest, EverySelectedRowGoesToTheLibraryWithTheGentleFlagUnchanged) {
    Victim first, second;
    ASSERT_TRUE(first.StartWindow(false));
    ASSERT_TRUE(second.StartWindow(false));
    view->Core().SetKillEntry(RecordingKill);
    SaveKillMode(theApp.m_settings, 7);
    Select(AddRow(first.ExeName(), first.Pid()));
    Select(AddRow(second.ExeName(), second.Pid()));

    // Both asked to close, without the library's own wait: the pass waits for both at once.
    // They ignore the request and keep their rows after the one refresh.
    KillSelected(view);
    ASSERT_EQ(2u, g_calls.size());
    std::vector<DWORD> pids = {g_calls[0].pid, g_calls[1].pid};
    std::sort(pids.begin(), pids.end());
    std::vector<DWORD> expected = {first.Pid(), second.Pid()};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, pids);
    for (const KillCall& call : g_calls) {
        EXPECT_EQ(7, call.gentle);
        EXPECT_EQ(0, call.wait);
    }
    EXPECT_TRUE(first.Running() && second.Running());
    EXPECT_NE(-1, ItemOf(view, first.ExeName())) << "a refused kill leaves its row";

    // Without a bound kill entry nothing is called and nothing changes.
    view->Core().SetKillEntry(nullptr);
    KillOnly(ItemOf(view, first.ExeName()));
    EXPECT_EQ(2u, g_calls.size());
    EXPECT_TRUE(first.Running());
}

TEST_F(KillTest, KillSelectedEndsEverySelectedRowAndRebuildsTheList) {
    Victim first, second, spared;
    ASSERT_TRUE(first.StartConsole(0));
    ASSERT_TRUE(second.StartConsole(0));
    ASSERT_TRUE(spared.StartConsole(0));
    view->m_bNT = 0; // the forced kill of the 95/98 path, on real processes
    SaveKillMode(theApp.m_settings, 1);
    AddRow(first.ExeName(), first.Pid());
    AddRow(second.ExeName(), second.Pid());
    AddRow(spared.ExeName(), spared.Pid());
    AddRow("ZZZ_NOT_A_PROCESS.EXE", 0x7FFFFFF0);
    Select(ItemOf(view, first.ExeName()));
    Select(ItemOf(view, second.ExeName()));
    Select(ItemOf(view, "ZZZ_NOT_A_PROCESS.EXE"));

    KillSelected(view);
    for (Victim* victim : {&first, &second}) {
        EXPECT_TRUE(victim->WaitForExit(0)) << "the pass waits for the end";
        EXPECT_EQ(0xFFFFFFFFu, victim->ExitCode()) << "forced, whatever the gentle flag";
    }
    EXPECT_TRUE(spared.Running());
    // The list was rebuilt from a new snapshot: the made-up row is gone.
    EXPECT_EQ(-1, ItemOf(view, "ZZZ_NOT_A_PROCESS.EXE"));
    EXPECT_TRUE(s_messages.empty());
}

TEST_F(KillTest, AReusedProcessIdIsNeverKilled) {
    Victim victim;
    ASSERT_TRUE(victim.StartConsole(0));
    view->Core().SetKillEntry(RecordingKill);
    g_killResult = 1;
    // A row whose process ended and whose id now belongs to another program, on both paths.
    for (int bNT : {1, 0}) {
        view->m_bNT = bNT;
        KillOnly(AddRow("ENDED_LONG_AGO.EXE", victim.Pid()));
        EXPECT_TRUE(g_calls.empty());
        EXPECT_TRUE(victim.Running());
    }
    view->m_bNT = 1;

    // The id taken over by another program whose name merely begins with the listed one, or
    // by the same program in another folder.
    const std::string stem = victim.ExeName().substr(0, victim.ExeName().rfind('.'));
    KillOnly(AddRow(stem, victim.Pid()));
    auto killAt = [&](const std::string& path) {
        ::AddRow(view, Record(victim.ExeName(), victim.Pid(), path));
        for (int row = 0; row < Rows(); ++row)
            if (!lstrcmpiA(view->GetListCtrl().GetItemText(row, 4).c_str(), path.c_str()))
                KillOnly(row);
    };
    killAt("C:\\ELSEWHERE\\" + victim.ExeName());
    EXPECT_TRUE(g_calls.empty());
    killAt(victim.ExePath());
    EXPECT_EQ(1u, g_calls.size()) << "the listed process, at its listed path, is ended";
    g_calls.clear();

    // An id that no process has any more.
    const DWORD pid = victim.Pid();
    const std::string name = victim.ExeName();
    victim.Kill();
    view->Core().SetKillEntry(RecordingKill);
    KillOnly(AddRow(name, pid));
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(KillTest, KillFavoritesEndsEveryRunningProcessOfEachName) {
    Victim a, b, spare;
    ASSERT_TRUE(a.StartConsole(0));
    ASSERT_TRUE(b.StartConsole(0));
    ASSERT_TRUE(spare.StartConsole(0));
    // Two more of a's name: one from the same file, one from another folder.
    Victim aSame, aElsewhere;
    ASSERT_TRUE(aSame.StartSameName(a, false));
    ASSERT_TRUE(aElsewhere.StartSameName(a, true));
    // Stored in lower case; the list ends at the first empty value.
    CRegSettings& s = theApp.m_settings;
    std::string lowerA = a.ExeName(), lowerB = b.ExeName();
    CharLowerBuffA(&lowerA[0], DWORD(lowerA.size()));
    CharLowerBuffA(&lowerB[0], DWORD(lowerB.size()));
    s.SetString(kSectionFavorites, FavoriteValueName(0).c_str(), lowerA);
    s.SetString(kSectionFavorites, FavoriteValueName(1).c_str(), "not_running_anywhere.exe");
    s.SetString(kSectionFavorites, FavoriteValueName(2).c_str(), lowerB);
    s.SetString(kSectionFavorites, FavoriteValueName(3).c_str(), "");
    s.SetString(kSectionFavorites, FavoriteValueName(4).c_str(), spare.ExeName());
    SaveKillMode(theApp.m_settings, 0);

    EXPECT_EQ(1, view->KillFavorites());
    EXPECT_TRUE(view->IsKillPassRunning());
    EXPECT_NE(-1, ItemOf(view, spare.ExeName())) << "the list was refreshed first";
    ASSERT_TRUE(WaitForKillPass(view));
    for (Victim* victim : {&a, &aSame, &aElsewhere, &b})
        EXPECT_TRUE(victim->WaitForExit(0)) << victim->ExePath();
    EXPECT_TRUE(spare.Running()) << "names after a gap are not favourites";
    EXPECT_EQ(-1, ItemOf(view, a.ExeName())) << "the list was refreshed after";
    EXPECT_TRUE(s_messages.empty());
}

// Every text the status bar's second pane is given, in order.
std::vector<std::string> g_paneTexts;
WNDPROC g_statusProc = nullptr;
LRESULT CALLBACK RecordPaneText(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == SB_SETTEXTW && LOWORD(wp) == 1)
        g_paneTexts.push_back(Utf8FromWide(reinterpret_cast<const wchar_t*>(lp)));
    return CallWindowProcA(g_statusProc, h, msg, wp, lp);
}

TEST_F(KillTest, TheStatusLineNamesEachFavouriteThenTheOutcomeUntilTheNextCommand) {
    CMainFrame* frame = new CMainFrame;
    ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME, nullptr));
    theApp.m_pMainWnd = frame;
    g_paneTexts.clear();
    g_statusProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        frame->m_wndStatusBar.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordPaneText)));
    theApp.m_settings.SetString(kSectionFavorites, FavoriteValueName(0).c_str(), "one.exe");
    theApp.m_settings.SetString(kSectionFavorites, FavoriteValueName(1).c_str(), "Two.EXE");

    EXPECT_EQ(1, view->KillFavorites());
    EXPECT_TRUE(WaitForKillPass(view));
    const std::vector<std::string> expected = {"", "Killing... ONE.EXE", "Killing... TWO.EXE",
                                               "Nothing to end"};
    EXPECT_EQ(expected, g_paneTexts) << "also for names that are not running";
    // A later command that ends nothing leaves no line of the last pass behind.
    g_paneTexts.clear();
    theApp.m_settings.SetString(kSectionFavorites, FavoriteValueName(0).c_str(), "");
    EXPECT_EQ(0, view->KillFavorites());
    EXPECT_EQ(std::vector<std::string>{""}, g_paneTexts);

    theApp.m_pMainWnd = nullptr;
    frame->DestroyWindow();
}

TEST_F(KillTest, AnEmptyFavouritesListSaysSoAndKillsNothing) {
    AddRow("STALE.EXE", 4);
    EXPECT_EQ(0, view->KillFavorites());
    ASSERT_EQ(1u, s_messages.size());
    EXPECT_EQ("Favorites List has no Contents - hit F2 to Edit", s_messages[0]);
    EXPECT_EQ(-1, ItemOf(view, "STALE.EXE")) << "the list was refreshed before";
}

} // namespace
