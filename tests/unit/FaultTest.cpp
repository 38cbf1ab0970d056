// Faults a real machine can throw at the process list and the settings: a companion library
// that writes garbage, a victim that ends or cannot be opened, a thousand favourites, and a
// settings key that cannot be written. Each must end soundly, with nothing lost.
#include "favorites/Favorites.h"
#include "frame/MainFrm.h"
#include "view/VantrelView.h"
#include "res/resource.h"
#include "unit/ViewHost.h"
#include "unit/SnapshotRecorder.h"
#include "unit/Victim.h"
#include "settings/SettingNames.h"
#include "win/Utf8.h"

#include <commctrl.h>
#include <map>

namespace {

// The view with the calls a stand-in library counted within the test's reach.
class FaultView : public CVantrelView {
  public:
    int FakeCalls(const char* pszEntry) {
        return SnapshotRecorder::FakeVnCalls(Core().LibraryHandle(), pszEntry);
    }
};

class FaultTest : public ViewHostTest {
  protected:
    void SetUp() override {
        ViewHostTest::SetUp();
        view = AddView(new FaultView);
    }
    void TearDown() override {
        view->ReleaseLibrary();
        ViewHostTest::TearDown();
    }
    int Rows() { return view->GetListCtrl().GetItemCount(); }
    std::string Cell(int row, int col) { return view->GetListCtrl().GetItemText(row, col); }

    FaultView* view = nullptr;
};

TEST_F(FaultTest, GarbageFromTheLibraryIsNeverReadPastItsFieldNorTakenForAProcess) {
    Victim victim;
    ASSERT_TRUE(victim.StartConsole(0));
    view->Core().SetLibraryFile(TestProgramDir() + "fake_vn_garbage.dll");
    ASSERT_EQ(1, view->RefreshList());
    ASSERT_GT(Rows(), 0);
    EXPECT_GT(view->FakeCalls("VN_GETPIW"), 0);
    // The whole record came back as garbage without a NUL: the path ends inside its field,
    // and a row's id and name are the walk's, never the library's.
    for (int row = 0; row < Rows(); ++row) {
        EXPECT_LE(WideFromUtf8(Cell(row, 4)).size(), size_t(VN_PATH_CCH)) << row;
        ASSERT_NE(nullptr, view->RowAt(row));
        EXPECT_EQ(FormatPid(view->RowAt(row)->dwPID), Cell(row, 1));
    }
    const int item = ItemOf(view, victim.ExeName());
    ASSERT_NE(-1, item);
    EXPECT_EQ(victim.Pid(), view->RowAt(item)->dwPID);
    EXPECT_TRUE(s_messages.empty());
}

TEST_F(FaultTest, AVictimThatEndsBetweenListingAndKillIsLeftAloneAndNothingElseIsKilled) {
    Victim goes, stays;
    ASSERT_TRUE(goes.StartConsole(0));
    ASSERT_TRUE(stays.StartConsole(0));
    ASSERT_EQ(1, view->RefreshList()); // the real VN.DLL
    ASSERT_NE(-1, ItemOf(view, goes.ExeName()));
    const DWORD goesPid = goes.Pid();
    goes.Kill();
    ASSERT_FALSE(goes.Running());

    for (int bNT : {1, 0}) {
        view->m_bNT = bNT;
        int row = ItemOf(view, goes.ExeName());
        if (row == -1) { // the refresh after the previous pass dropped it: list it again
            ProcessRecord info = Record(goes.ExeName(), goesPid);
            AddRow(view, info);
            row = ItemOf(view, goes.ExeName());
        }
        view->GetListCtrl().SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
        view->OnKillSelected();
        EXPECT_TRUE(WaitForKillPass(view));
        EXPECT_EQ(-1, ItemOf(view, goes.ExeName())) << "the refresh after the pass";
        EXPECT_TRUE(stays.Running());
    }
    view->m_bNT = 1;
    theApp.m_settings.SetString(kSectionFavorites, FavoriteValueName(0).c_str(), goes.ExeName());
    EXPECT_EQ(1, view->KillFavorites());
    EXPECT_TRUE(WaitForKillPass(view));
    EXPECT_EQ(-1, ItemOf(view, goes.ExeName())) << "the favourites' refresh drops it";
    EXPECT_TRUE(stays.Running());
    EXPECT_TRUE(s_messages.empty());
}

TEST_F(FaultTest, AProcessThatCannotBeOpenedKeepsItsRowSaysSoAndRunsOn) {
    Victim locked;
    ASSERT_TRUE(locked.StartUnopenable());
    HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, locked.Pid());
    if (h) {
        CloseHandle(h);
        GTEST_SKIP() << "this system lets the tests open a process that grants nothing";
    }
    // Run as administrator, the path says no more than that it is not accessible.
    view->SetElevationQuery([] { return 1; });
    ASSERT_EQ(1, view->RefreshList());
    EXPECT_EQ(kNotAccessibleText, Cell(ItemOf(view, locked.ExeName()), 4));
    view->SetElevationQuery([] { return 0; });
    ASSERT_EQ(1, view->RefreshList());
    const int row = ItemOf(view, locked.ExeName());
    ASSERT_NE(-1, row) << "listed from the snapshot even though it cannot be opened";
    EXPECT_NE("0", Cell(row, 2)) << "no class, but the base priority Tool Help reports";
    EXPECT_EQ(kNotAccessibleAsUserText, Cell(row, 4));
    const int rows = Rows();

    for (int bNT : {1, 0}) {
        view->m_bNT = bNT;
        view->GetListCtrl().SetItemState(-1, 0, LVIS_SELECTED);
        view->GetListCtrl().SetItemState(ItemOf(view, locked.ExeName()), LVIS_SELECTED,
                                         LVIS_SELECTED);
        KillSelected(view);
        view->m_bNT = 1;
        ASSERT_EQ(1, view->RefreshList());
        EXPECT_EQ(rows, Rows());
        EXPECT_EQ(row, ItemOf(view, locked.ExeName()));
    }
    theApp.m_settings.SetString(kSectionFavorites, FavoriteValueName(0).c_str(), locked.ExeName());
    EXPECT_EQ(1, view->KillFavorites());
    EXPECT_TRUE(WaitForKillPass(view));
    EXPECT_NE(-1, ItemOf(view, locked.ExeName()));
    EXPECT_TRUE(locked.Running());
    // Every kill said what became of it.
    ASSERT_EQ(3u, s_messages.size());
    for (const std::string& message : s_messages)
        EXPECT_NE(std::string::npos,
                  message.find(UpperCase(locked.ExeName()) + " (PID " + FormatPid(locked.Pid()) +
                               "): refused: access denied"))
            << message;
}

TEST_F(FaultTest, AThousandFavouritesAreStoredReadAndKilledInOrder) {
    Victim last;
    ASSERT_TRUE(last.StartConsole(0));
    std::vector<std::string> names;
    for (int i = 0; i < 999; ++i)
        names.push_back("NOT_RUNNING_" + std::to_string(i) + ".EXE");
    names.push_back(UpperCase(last.ExeName()));
    SaveFavorites(theApp.m_settings, names);
    ASSERT_EQ(names, LoadFavorites(theApp.m_settings));

    CMainFrame* frame = new CMainFrame;
    ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME, nullptr));
    theApp.m_pMainWnd = frame;
    const DWORD start = GetTickCount();
    EXPECT_EQ(1, view->KillFavorites());
    EXPECT_TRUE(WaitForKillPass(view, 60000));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_TRUE(last.WaitForExit(5000)) << "the thousandth name was reached";
    EXPECT_LT(elapsed, 60000u);
    char pane[16] = "";
    frame->m_wndStatusBar.SendMessage(SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(pane));
    EXPECT_STREQ("1 ended", pane);
    theApp.m_pMainWnd = nullptr;
    frame->DestroyWindow();

    // Two names over the thousand: the rest is blanked, and the two are what is read back.
    SaveFavorites(theApp.m_settings, {"A.EXE", "B.EXE"});
    EXPECT_EQ((std::vector<std::string>{"A.EXE", "B.EXE"}), LoadFavorites(theApp.m_settings));
    EXPECT_EQ(
        "", theApp.m_settings.GetString(kSectionFavorites, FavoriteValueName(999).c_str(), "gone"));
    EXPECT_TRUE(s_messages.empty());
}

TEST_F(FaultTest, ASettingsKeyThatCannotBeWrittenIsReadAndLeftAsItWas) {
    CRegSettings& s = theApp.m_settings;
    SaveFavorites(s, {"A.EXE", "B.EXE"});
    s.SetInt(kSectionSetting, kValueGentle, 1);
    s.SetInt(kSectionScreen, kValueX, 5);
    s.SetInt(kSectionNewbie, kValueStart, 0);
    const std::map<std::string, std::string> before = scratch.Values();
    const char* sections[] = {"", kSectionFavorites, kSectionSetting, kSectionScreen,
                              kSectionNewbie};
    const DWORD kReadOnly = KEY_READ | WRITE_DAC | DELETE;
    for (const char* section : sections) {
        const std::string path = *section ? scratch.Path() + "\\" + section : scratch.Path();
        ASSERT_TRUE(SetKeyAccess(scratch.Root(), path, kReadOnly)) << section;
    }
    HKEY key;
    const bool enforced =
        RegOpenKeyExA(scratch.Root(), scratch.Path().c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS;
    if (enforced) {
        EXPECT_EQ(0, s.Open(scratch.Root(), scratch.Path()));
        // Everything stored reads as stored; every write fails quietly and changes nothing.
        EXPECT_EQ(1, s.GetInt(kSectionSetting, kValueGentle, 0));
        EXPECT_EQ((std::vector<std::string>{"A.EXE", "B.EXE"}), LoadFavorites(s));
        LONG lError = ERROR_SUCCESS;
        EXPECT_EQ(0, s.SetInt(kSectionSetting, kValueGentle, 0, &lError));
        EXPECT_EQ(ERROR_ACCESS_DENIED, lError) << "the system's reason is handed on";
        EXPECT_EQ(0, s.SetInt(kSectionScreen, kValueX, 9));
        EXPECT_EQ(ERROR_ACCESS_DENIED, SaveFavorites(s, {"C.EXE"}));
        EXPECT_EQ((std::vector<std::string>{"A.EXE", "B.EXE"}), LoadFavorites(s));
        EXPECT_EQ(before, scratch.Values());
    } else {
        RegCloseKey(key);
    }
    for (const char* section : sections) {
        const std::string path = *section ? scratch.Path() + "\\" + section : scratch.Path();
        EXPECT_TRUE(SetKeyAccess(scratch.Root(), path, KEY_ALL_ACCESS)) << section;
    }
    if (!enforced) GTEST_SKIP() << "this registry does not enforce key access lists";
}

TEST_F(FaultTest, ASettingsKeyThatCannotBeCreatedReadsDefaultsAndCreatesNothing) {
    // Below a volatile key no lasting key can be created: Open and every write fail there.
    HKEY hVolatile;
    const std::string parent = scratch.Path() + "\\Volatile";
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(scratch.Root(), parent.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &hVolatile, nullptr));
    RegCloseKey(hVolatile);
    CRegSettings s;
    EXPECT_EQ(0, s.Open(scratch.Root(), parent + "\\Vantrel"));
    EXPECT_EQ(1, s.GetInt(kSectionNewbie, kValueStart, 1));
    EXPECT_EQ(0, s.SetInt(kSectionNewbie, kValueStart, 0));
    EXPECT_NE(ERROR_SUCCESS, SaveFavorites(s, {"A.EXE"}));
    EXPECT_TRUE(LoadFavorites(s).empty());
    EXPECT_FALSE(scratch.Exists("Volatile\\Vantrel"));
}

} // namespace
