// The Favorites dialog as a real dialog over a real main window and process list: which
// names are offered, how they move, when the arrows may be used, what OK and Cancel store.
#include "app/Vantrel.h"
#include "favorites/Favorites.h"
#include "favorites/FavoritesDlg.h"
#include "res/resource.h"
#include "unit/DialogDriver.h"
#include "unit/ViewHost.h"
#include "settings/SettingNames.h"

#include <algorithm>
#include <cstring>

namespace {

typedef std::vector<std::string> Names;
const char kCaption[] = "Favorites";
const char kAddCaption[] = "Add Process Name";

class FavoritesDlgTest : public MainWindowTest {
  protected:
    // Adds a row to the process list as a snapshot would.
    void AddRow(const char* name, const char* path) {
        ProcessRecord info = Record(name, DWORD(100 + view->GetListCtrl().GetItemCount()), path);
        ASSERT_EQ(1, ::AddRow(view, info));
    }
    void Store(const Names& favourites) {
        for (size_t i = 0; i < favourites.size(); ++i)
            theApp.m_settings.SetString(kSectionFavorites, FavoriteValueName(i).c_str(),
                                        favourites[i]);
    }
    // The names the process list shows, as the list hands them to the dialog.
    Names Listed() {
        Names names;
        for (int row = 0; row < view->GetListCtrl().GetItemCount(); ++row)
            names.push_back(view->GetListCtrl().GetItemText(row, 0));
        return names;
    }
    static Names Candidates(HWND hDlg) { return ListItems(hDlg, IDC_CANDIDATES); }
    static Names Favourites(HWND hDlg) { return ListItems(hDlg, IDC_FAVORITES); }
    static void ExpectArrows(HWND hDlg, bool add, bool remove, const char* when) {
        EXPECT_EQ(add, IsItemEnabled(hDlg, IDC_ADD)) << "--> " << when;
        EXPECT_EQ(remove, IsItemEnabled(hDlg, IDC_REMOVE)) << "<-- " << when;
    }
    // Selects the entry with this text, as a click on it would.
    static void Select(HWND hDlg, int nID, const char* text) {
        const int index = FindListItem(hDlg, nID, text);
        ASSERT_NE(LB_ERR, index) << text;
        SelectListItem(hDlg, nID, index);
    }
    // Moves a name with an arrow button: select, check that the arrow may be used, click.
    static void Move(HWND hDlg, int nFrom, int nArrow, const char* text) {
        Select(hDlg, nFrom, text);
        ASSERT_TRUE(IsItemEnabled(hDlg, nArrow)) << "arrow after selecting " << text;
        ClickButton(hDlg, nArrow);
    }
};

TEST_F(FavoritesDlgTest, OpensWithTheStoredFavouritesAndTheOtherRowsAsCandidates) {
    AddRow("alpha.exe", "C:\\A\\ALPHA.EXE");
    AddRow("twin.exe", "C:\\ONE\\TWIN.EXE");
    AddRow("twin.exe", "C:\\TWO\\TWIN.EXE");
    AddRow("Beta.exe", "C:\\BETA.EXE");
    AddRow("gamma.exe", "C:\\GAMMA.EXE");
    Store({"beta.EXE", "GHOST.EXE", "gamma.exe", "gamma.exe"});
    CFavoritesDlg dlg(Listed());
    dlg.m_bGentle = 1;
    DialogDriver driver;
    driver.Until([] { return FindDialog(kCaption) != nullptr; }).Then([] {
        HWND hDlg = FindDialog(kCaption);
        // Favourites in any case are no candidates; a name on two rows is offered twice.
        EXPECT_EQ((Names{"BETA.EXE", "GAMMA.EXE", "GAMMA.EXE", "GHOST.EXE"}), Favourites(hDlg));
        EXPECT_EQ((Names{"ALPHA.EXE", "TWIN.EXE", "TWIN.EXE"}), Candidates(hDlg));
        EXPECT_EQ(LB_ERR, ListSelection(hDlg, IDC_CANDIDATES));
        EXPECT_EQ(LB_ERR, ListSelection(hDlg, IDC_FAVORITES));
        ExpectArrows(hDlg, false, false, "at open");
        EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(hDlg, IDC_KILL_GENTLY));
    });
    driver.Picture(kCaption, "favorites-dialog.bmp").Then([] {
        ClickButton(FindDialog(kCaption), IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, driver.Run(dlg));
    EXPECT_TRUE(s_messages.empty());
}

TEST_F(FavoritesDlgTest, WithNothingStoredEveryRowIsACandidateAndNoArrowIsUsable) {
    AddRow("zeta.exe", "C:\\ZETA.EXE");
    AddRow("eta.exe", "C:\\ETA.EXE");
    CFavoritesDlg dlg(Listed());
    DialogDriver driver;
    driver.Until([] { return FindDialog(kCaption) != nullptr; }).Then([] {
        HWND hDlg = FindDialog(kCaption);
        EXPECT_EQ(Names{}, Favourites(hDlg));
        EXPECT_EQ((Names{"ETA.EXE", "ZETA.EXE"}), Candidates(hDlg));
        ExpectArrows(hDlg, false, false, "at open");
        EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(hDlg, IDC_KILL_GENTLY));
        ClickButton(hDlg, IDOK);
    });
    EXPECT_EQ(IDOK, driver.Run(dlg));
    EXPECT_EQ(0, dlg.m_bGentle);
    EXPECT_EQ(Names{}, LoadFavorites(theApp.m_settings));
}

TEST_F(FavoritesDlgTest, EachMoveClearsTheSelectionAndOkStoresTheSortedFavourites) {
    AddRow("twin.exe", "C:\\ONE\\TWIN.EXE");
    AddRow("twin.exe", "C:\\TWO\\TWIN.EXE");
    AddRow("alpha.exe", "C:\\ALPHA.EXE");
    AddRow("kept.exe", "C:\\KEPT.EXE");
    Store({"KEPT.EXE", "GHOST.EXE", "OLD2", "OLD3"});
    CFavoritesDlg dlg(Listed());
    DialogDriver driver;
    driver.Until([] { return FindDialog(kCaption) != nullptr; }).Then([] {
        HWND hDlg = FindDialog(kCaption);
        Select(hDlg, IDC_CANDIDATES, "TWIN.EXE");
        ExpectArrows(hDlg, true, false, "with a candidate selected");
        Select(hDlg, IDC_FAVORITES, "GHOST.EXE");
        ExpectArrows(hDlg, true, true, "with an entry selected in each list");
    });
    driver.Picture(kCaption, "favorites-dialog-selected.bmp").Then([] {
        HWND hDlg = FindDialog(kCaption);

        ClickButton(hDlg, IDC_ADD);
        EXPECT_EQ((Names{"ALPHA.EXE", "TWIN.EXE"}), Candidates(hDlg));
        EXPECT_EQ((Names{"GHOST.EXE", "KEPT.EXE", "OLD2", "OLD3", "TWIN.EXE"}), Favourites(hDlg));
        EXPECT_EQ(LB_ERR, ListSelection(hDlg, IDC_CANDIDATES));
        EXPECT_FALSE(IsItemEnabled(hDlg, IDC_ADD)) << "--> after a move";

        // The second copy of the name becomes a favourite too.
        Move(hDlg, IDC_CANDIDATES, IDC_ADD, "TWIN.EXE");
        EXPECT_FALSE(IsItemEnabled(hDlg, IDC_ADD)) << "--> after the second move";
        EXPECT_EQ(Names{"ALPHA.EXE"}, Candidates(hDlg));

        // A favourite that is on no row leaves both lists.
        Move(hDlg, IDC_FAVORITES, IDC_REMOVE, "GHOST.EXE");
        EXPECT_EQ(Names{"ALPHA.EXE"}, Candidates(hDlg));
        ExpectArrows(hDlg, false, false, "after removing");
        Move(hDlg, IDC_FAVORITES, IDC_REMOVE, "OLD2");
        Move(hDlg, IDC_FAVORITES, IDC_REMOVE, "OLD3");
        // A favourite that is on a row goes back among the candidates.
        Move(hDlg, IDC_FAVORITES, IDC_REMOVE, "KEPT.EXE");
        EXPECT_EQ((Names{"ALPHA.EXE", "KEPT.EXE"}), Candidates(hDlg));
        EXPECT_EQ((Names{"TWIN.EXE", "TWIN.EXE"}), Favourites(hDlg));
        ExpectArrows(hDlg, false, false, "after removing");

        Move(hDlg, IDC_CANDIDATES, IDC_ADD, "KEPT.EXE");
        Move(hDlg, IDC_CANDIDATES, IDC_ADD, "ALPHA.EXE");
        EXPECT_EQ(Names{}, Candidates(hDlg));
        ExpectArrows(hDlg, false, false, "with no candidates left");
        ClickButton(hDlg, IDOK);
    });
    EXPECT_EQ(IDOK, driver.Run(dlg));
    EXPECT_TRUE(s_messages.empty()) << "only VSMON.EXE is asked about";
    EXPECT_EQ((Names{"ALPHA.EXE", "KEPT.EXE", "TWIN.EXE", "TWIN.EXE"}),
              LoadFavorites(theApp.m_settings));
}

TEST_F(FavoritesDlgTest, AClickedArrowThatBecomesDisabledHandsTheFocusToItsList) {
    AddRow("alpha.exe", "C:\\ALPHA.EXE");
    Store({"KEPT.EXE"});
    CFavoritesDlg dlg(Listed());
    DialogDriver driver;
    driver.Until([] { return FindDialog(kCaption) != nullptr; }).Then([] {
        HWND hDlg = FindDialog(kCaption);
        Move(hDlg, IDC_CANDIDATES, IDC_ADD, "ALPHA.EXE");
        EXPECT_EQ(GetDlgItem(hDlg, IDC_CANDIDATES), GetFocus());
        Move(hDlg, IDC_FAVORITES, IDC_REMOVE, "KEPT.EXE");
        EXPECT_EQ(GetDlgItem(hDlg, IDC_FAVORITES), GetFocus());
        // The keyboard still reaches the dialog: Escape cancels it.
        PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_EQ(IDCANCEL, driver.Run(dlg));
}

TEST_F(FavoritesDlgTest, VsmonIsMovedOnlyAfterAYes) {
    AddRow("vsmon.exe", "C:\\VSMON.EXE");
    AddRow("other.exe", "C:\\OTHER.EXE");
    const char question[] = "The application VSMON.EXE does not shut down gracefully.\n\nAre you "
                            "sure you want to add it to your Favorites?";
    CFavoritesDlg dlg(Listed());
    DialogDriver driver;
    driver.Until([] { return FindDialog(kCaption) != nullptr; }).Then([&] {
        HWND hDlg = FindDialog(kCaption);
        s_answer = IDNO;
        Move(hDlg, IDC_CANDIDATES, IDC_ADD, "VSMON.EXE");
        ASSERT_EQ(1u, s_messages.size());
        EXPECT_EQ(question, s_messages[0]);
        EXPECT_EQ((Names{"OTHER.EXE", "VSMON.EXE"}), Candidates(hDlg)) << "No changes nothing";
        EXPECT_EQ(Names{}, Favourites(hDlg));

        s_answer = IDYES;
        Move(hDlg, IDC_CANDIDATES, IDC_ADD, "VSMON.EXE");
        ASSERT_EQ(2u, s_messages.size());
        EXPECT_EQ(question, s_messages[1]);
        EXPECT_EQ(Names{"OTHER.EXE"}, Candidates(hDlg));
        EXPECT_EQ(Names{"VSMON.EXE"}, Favourites(hDlg));
        ExpectArrows(hDlg, false, false, "after the move");
        ClickButton(hDlg, IDOK);
    });
    EXPECT_EQ(IDOK, driver.Run(dlg));
    EXPECT_EQ(Names{"VSMON.EXE"}, LoadFavorites(theApp.m_settings));
}

// Queues: open the Add Process Name dialog from the Favorites dialog, type text, end it with
// the button given, and check that it was modal over the Favorites dialog.
void ManualAdd(DialogDriver& driver, const std::string& text, int nButton) {
    driver.Then([] { PostClick(FindDialog(kCaption), IDC_MANUAL_ADD); })
        .Until([] { return FindDialog(kAddCaption) != nullptr; })
        .Then([text, nButton] {
            HWND hAdd = FindDialog(kAddCaption);
            HWND hFav = FindDialog(kCaption);
            EXPECT_EQ(hFav, OwnerOf(hAdd)) << "owned by the Favorites dialog";
            RECT add, fav;
            GetWindowRect(hAdd, &add);
            GetWindowRect(hFav, &fav);
            EXPECT_NEAR(fav.left + fav.right, add.left + add.right, 2) << "centred over it";
            EXPECT_NEAR(fav.top + fav.bottom, add.top + add.bottom, 2) << "centred over it";
            EXPECT_FALSE(IsWindowEnabled(hFav)) << "the Favorites dialog waits meanwhile";
            TypeText(hAdd, IDC_PROCESS_NAME, text);
            ClickButton(hAdd, nButton);
        })
        .Until([] { return FindDialog(kAddCaption) == nullptr; });
}

TEST_F(FavoritesDlgTest, ManualAddTakesNewNamesOnlyAndLeavesTheCandidates) {
    AddRow("alpha.exe", "C:\\ALPHA.EXE");
    Store({"BETA.EXE"});
    CFavoritesDlg dlg(Listed());
    DialogDriver driver;
    driver.Until([] { return FindDialog(kCaption) != nullptr; });
    // A favourite typed in another case changes nothing.
    ManualAdd(driver, "beta.Exe", IDOK);
    driver.Then([] {
        HWND hDlg = FindDialog(kCaption);
        EXPECT_EQ(Names{"BETA.EXE"}, Favourites(hDlg));
        Select(hDlg, IDC_CANDIDATES, "ALPHA.EXE");
    });
    // A candidate's name becomes a favourite and stays a candidate.
    ManualAdd(driver, "alpha.exe", IDOK);
    driver.Then([] {
        HWND hDlg = FindDialog(kCaption);
        EXPECT_EQ((Names{"ALPHA.EXE", "BETA.EXE"}), Favourites(hDlg));
        EXPECT_EQ(Names{"ALPHA.EXE"}, Candidates(hDlg));
        EXPECT_TRUE(IsItemEnabled(hDlg, IDC_ADD)) << "the arrows are left as they were";
    });
    // Cancel adds nothing; a new name loses the blanks around it.
    ManualAdd(driver, "never.exe", IDCANCEL);
    ManualAdd(driver, " new.exe  ", IDOK);
    driver.Then([] {
        HWND hDlg = FindDialog(kCaption);
        EXPECT_EQ((Names{"ALPHA.EXE", "BETA.EXE", "NEW.EXE"}), Favourites(hDlg));
        ClickButton(hDlg, IDOK);
    });
    EXPECT_EQ(IDOK, driver.Run(dlg));
    EXPECT_TRUE(s_messages.empty());
    EXPECT_EQ((Names{"ALPHA.EXE", "BETA.EXE", "NEW.EXE"}), LoadFavorites(theApp.m_settings));
}

TEST_F(FavoritesDlgTest, AnEmptyManualNameNeverReachesTheStore) {
    Store({"B.EXE", "C.EXE"});
    CFavoritesDlg dlg(Listed());
    DialogDriver driver;
    driver.Until([] { return FindDialog(kCaption) != nullptr; });
    ManualAdd(driver, "", IDOK);
    ManualAdd(driver, "   ", IDOK);
    ManualAdd(driver, "a.exe", IDOK);
    driver.Then([] {
        HWND hDlg = FindDialog(kCaption);
        EXPECT_EQ((Names{"A.EXE", "B.EXE", "C.EXE"}), Favourites(hDlg)) << "no empty entry";
        ClickButton(hDlg, IDOK);
    });
    EXPECT_EQ(IDOK, driver.Run(dlg));
    EXPECT_EQ((Names{"A.EXE", "B.EXE", "C.EXE"}), LoadFavorites(theApp.m_settings))
        << "an empty entry must not hide the names after it";
}

TEST_F(FavoritesDlgTest, KillGentlyWarnsEachTimeItIsCheckedAndOkReturnsTheChoice) {
    const char warning[] = "While this is gentle it does not guarantee the process will be killed.";
    CFavoritesDlg dlg(Listed());
    DialogDriver driver;
    driver.Until([] { return FindDialog(kCaption) != nullptr; }).Then([&] {
        HWND hDlg = FindDialog(kCaption);
        ClickButton(hDlg, IDC_KILL_GENTLY);
        EXPECT_EQ(Names{warning}, s_messages);
        ClickButton(hDlg, IDC_KILL_GENTLY);
        EXPECT_EQ(1u, s_messages.size()) << "clearing the box says nothing";
        ClickButton(hDlg, IDC_KILL_GENTLY);
        EXPECT_EQ((Names{warning, warning}), s_messages);
        ClickButton(hDlg, IDOK);
    });
    EXPECT_EQ(IDOK, driver.Run(dlg));
    EXPECT_EQ(1, dlg.m_bGentle);
    EXPECT_EQ(1, theApp.m_settings.GetInt(kSectionSetting, kValueGentle, 0)) << "OK stores it";
}

TEST_F(FavoritesDlgTest, OkThatCannotSaveSaysWhyAndStaysOpenUntilItCan) {
    Store({"OLD.EXE"});
    SaveKillMode(theApp.m_settings, 0);
    const std::string settings = scratch.Path() + "\\" + kSectionFavorites;
    const std::string setting = scratch.Path() + "\\" + kSectionSetting;
    ASSERT_TRUE(SetKeyAccess(scratch.Root(), settings, KEY_READ | WRITE_DAC | DELETE));
    CFavoritesDlg dlg(Listed());
    DialogDriver driver;
    driver.Until([] { return FindDialog(kCaption) != nullptr; });
    ManualAdd(driver, "new.exe", IDOK);
    driver.Then([&] {
        HWND hDlg = FindDialog(kCaption);
        ClickButton(hDlg, IDC_KILL_GENTLY);
        s_messages.clear();
        ClickButton(hDlg, IDOK);
        ASSERT_EQ(1u, s_messages.size());
        EXPECT_EQ(SaveFailureText(true, ERROR_ACCESS_DENIED), s_messages[0]);
        EXPECT_EQ(0u, s_messages[0].find("Your Favorites could not be saved.\n\n"));
        EXPECT_GT(s_messages[0].size(), 40u) << "the system's reason follows";
        EXPECT_EQ(hDlg, FindDialog(kCaption)) << "the dialog stays open";
        ASSERT_TRUE(SetKeyAccess(scratch.Root(), settings, KEY_ALL_ACCESS));
        // Then the kill mode alone cannot be saved: said the same way.
        ASSERT_TRUE(SetKeyAccess(scratch.Root(), setting, KEY_READ | WRITE_DAC | DELETE));
        s_messages.clear();
        ClickButton(hDlg, IDOK);
        ASSERT_EQ(1u, s_messages.size());
        EXPECT_EQ(SaveFailureText(false, ERROR_ACCESS_DENIED), s_messages[0]);
        EXPECT_EQ(hDlg, FindDialog(kCaption)) << "the dialog stays open";
        ASSERT_TRUE(SetKeyAccess(scratch.Root(), setting, KEY_ALL_ACCESS));
        ClickButton(hDlg, IDOK);
    });
    EXPECT_EQ(IDOK, driver.Run(dlg));
    EXPECT_EQ(1u, s_messages.size()) << "the second OK saved";
    EXPECT_EQ((Names{"NEW.EXE", "OLD.EXE"}), LoadFavorites(theApp.m_settings));
    EXPECT_EQ(1, theApp.m_settings.GetInt(kSectionSetting, kValueGentle, 0));
}

TEST_F(FavoritesDlgTest, TheCommandShowsTheKillModeAsStoredNowAndOkKeepsIt) {
    // Stored after the window opened, as another Vantrel window or a script does.
    SaveKillMode(theApp.m_settings, 1);
    Store({"A.EXE"});
    const std::string settings = scratch.Path() + "\\" + kSectionFavorites;
    const std::string setting = scratch.Path() + "\\" + kSectionSetting;
    DialogDriver driver;
    UINT nShown = BST_UNCHECKED;
    driver.Until([] { return FindDialog(kCaption) != nullptr; }).Then([&] {
        HWND hDlg = FindDialog(kCaption);
        nShown = IsDlgButtonChecked(hDlg, IDC_KILL_GENTLY);
        // Nothing changed: OK writes nothing, so even a store it may not write is no matter.
        ASSERT_TRUE(SetKeyAccess(scratch.Root(), settings, KEY_READ | WRITE_DAC | DELETE));
        ASSERT_TRUE(SetKeyAccess(scratch.Root(), setting, KEY_READ | WRITE_DAC | DELETE));
        ClickButton(hDlg, IDOK);
        SetKeyAccess(scratch.Root(), settings, KEY_ALL_ACCESS);
        SetKeyAccess(scratch.Root(), setting, KEY_ALL_ACCESS);
    });
    driver.Run([&] {
        frame->SendCommand(ID_EDIT_FAVORITES);
        return INT_PTR(IDOK);
    });
    EXPECT_EQ(UINT(BST_CHECKED), nShown);
    EXPECT_TRUE(s_messages.empty()) << "no save failed";
    EXPECT_EQ(1, theApp.m_settings.GetInt(kSectionSetting, kValueGentle, 0));
}

BOOL CALLBACK CountFavoritesDialog(HWND hWnd, LPARAM lParam) {
    char title[32] = "";
    GetWindowTextA(hWnd, title, sizeof title);
    *reinterpret_cast<int*>(lParam) += IsWindowVisible(hWnd) && !strcmp(title, kCaption);
    return TRUE;
}
int FavoritesDialogs() {
    int n = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountFavoritesDialog, reinterpret_cast<LPARAM>(&n));
    return n;
}

TEST_F(FavoritesDlgTest, OkChangesTheListAsStoredThenAndASecondDialogNeverOpens) {
    Store({"A.EXE", "B.EXE"});
    DialogDriver driver;
    driver.Until([] { return FindDialog(kCaption) != nullptr; }).Then([&] {
        ::PostMessageA(frame->m_hWnd, WM_COMMAND, ID_EDIT_FAVORITES, 0); // as a script may
        SaveFavorites(theApp.m_settings, {"A.EXE", "B.EXE", "C.EXE"});  // another window's OK
        Move(FindDialog(kCaption), IDC_FAVORITES, IDC_REMOVE, "B.EXE");
    });
    ManualAdd(driver, "d.exe", IDOK);
    driver.Then([&] {
        EXPECT_EQ(1, FavoritesDialogs());
        ClickButton(FindDialog(kCaption), IDOK);
    });
    driver.Run([&] {
        frame->SendCommand(ID_EDIT_FAVORITES);
        return INT_PTR(IDOK);
    });
    EXPECT_EQ((Names{"A.EXE", "C.EXE", "D.EXE"}), LoadFavorites(theApp.m_settings));
}

TEST_F(FavoritesDlgTest, CancelAfterMovesStoresNothing) {
    AddRow("alpha.exe", "C:\\ALPHA.EXE");
    AddRow("beta.exe", "C:\\BETA.EXE");
    Store({"BETA.EXE", "GHOST.EXE"});
    SaveKillMode(theApp.m_settings, 0);
    const auto settingsBefore = scratch.Values(kSectionFavorites);
    const auto settingBefore = scratch.Values(kSectionSetting);
    CFavoritesDlg dlg(Listed());
    DialogDriver driver;
    driver.Until([] { return FindDialog(kCaption) != nullptr; }).Then([] {
        HWND hDlg = FindDialog(kCaption);
        Move(hDlg, IDC_CANDIDATES, IDC_ADD, "ALPHA.EXE");
        Move(hDlg, IDC_FAVORITES, IDC_REMOVE, "GHOST.EXE");
        Move(hDlg, IDC_FAVORITES, IDC_REMOVE, "BETA.EXE");
        ClickButton(hDlg, IDC_KILL_GENTLY);
    });
    ManualAdd(driver, "typed.exe", IDOK);
    driver.Then([] {
        HWND hDlg = FindDialog(kCaption);
        EXPECT_EQ((Names{"ALPHA.EXE", "TYPED.EXE"}), Favourites(hDlg));
        // Escape cancels, as the Cancel button does.
        PostMessageA(GetDlgItem(hDlg, IDC_FAVORITES), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_EQ(IDCANCEL, driver.Run(dlg));
    EXPECT_EQ(settingsBefore, scratch.Values(kSectionFavorites));
    EXPECT_EQ(settingBefore, scratch.Values(kSectionSetting));
}

TEST_F(FavoritesDlgTest, WithoutAMainWindowThereAreNoCandidatesAndRemovedNamesAreDropped) {
    AddRow("alpha.exe", "C:\\ALPHA.EXE");
    Store({"ALPHA.EXE", "BETA.EXE"});
    theApp.m_pMainWnd = nullptr;
    CFavoritesDlg dlg; // opened without the list: no names shown
    DialogDriver driver;
    driver.Until([] { return FindDialog(kCaption) != nullptr; }).Then([] {
        HWND hDlg = FindDialog(kCaption);
        EXPECT_EQ(Names{}, Candidates(hDlg));
        Move(hDlg, IDC_FAVORITES, IDC_REMOVE, "ALPHA.EXE");
        EXPECT_EQ(Names{}, Candidates(hDlg));
        EXPECT_EQ(Names{"BETA.EXE"}, Favourites(hDlg));
        ClickButton(hDlg, IDOK);
    });
    EXPECT_EQ(IDOK, driver.Run(dlg));
    theApp.m_pMainWnd = frame;
    EXPECT_EQ(Names{"BETA.EXE"}, LoadFavorites(theApp.m_settings));
}

TEST_F(FavoritesDlgTest, NamesInAnyScriptAreTypedShownAndStoredExactly) {
    Store({"音乐.exe"});
    CFavoritesDlg dlg({"Ёлка.exe", "游戏.EXE"});
    DialogDriver driver;
    driver.Until([] { return FindDialog(kCaption) != nullptr; }).Then([] {
        HWND hDlg = FindDialog(kCaption);
        EXPECT_EQ(Names{"音乐.EXE"}, Favourites(hDlg));
        Move(hDlg, IDC_CANDIDATES, IDC_ADD, "ЁЛКА.EXE");
    });
    ManualAdd(driver, "游戏.exe", IDOK);
    ManualAdd(driver, "音乐.EXE", IDOK); // a favourite already
    driver.Then([] {
        HWND hDlg = FindDialog(kCaption);
        Names shown = Favourites(hDlg);
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ((Names{"ЁЛКА.EXE", "游戏.EXE", "音乐.EXE"}), shown);
        EXPECT_EQ(Names{"游戏.EXE"}, Candidates(hDlg)) << "typed in, it stays a candidate";
    });
    driver.Picture(kCaption, "favorites-dialog-scripts.bmp").Then([] {
        ClickButton(FindDialog(kCaption), IDOK);
    });
    EXPECT_EQ(IDOK, driver.Run(dlg));
    EXPECT_TRUE(s_messages.empty());
    Names stored = LoadFavorites(theApp.m_settings);
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ((Names{"ЁЛКА.EXE", "游戏.EXE", "音乐.EXE"}), stored);
}

TEST_F(FavoritesDlgTest, ListsScrollSidewaysAsFarAsTheirLongestName) {
    // Names that differ only past what the list shows must still be told apart.
    Store({"CONTOSOCLOUDSYNCBACKGROUNDAGENTUPDATER.EXE"});
    CFavoritesDlg dlg({"CONTOSOCLOUDSYNCBACKGROUNDAGENT.EXE"});
    DialogDriver driver;
    driver.Until([] { return FindDialog(kCaption) != nullptr; }).Then([] {
        HWND hDlg = FindDialog(kCaption);
        for (int nID : {IDC_CANDIDATES, IDC_FAVORITES}) {
            const HWND hList = GetDlgItem(hDlg, nID);
            RECT rc;
            GetClientRect(hList, &rc);
            EXPECT_TRUE(GetWindowLongA(hList, GWL_STYLE) & WS_HSCROLL) << nID;
            EXPECT_GT(SendMessageA(hList, LB_GETHORIZONTALEXTENT, 0, 0), rc.right) << nID;
        }
        Move(hDlg, IDC_FAVORITES, IDC_REMOVE, "CONTOSOCLOUDSYNCBACKGROUNDAGENTUPDATER.EXE");
        EXPECT_EQ(0, SendDlgItemMessageA(hDlg, IDC_FAVORITES, LB_GETHORIZONTALEXTENT, 0, 0))
            << "an empty list does not scroll";
        ClickButton(hDlg, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, driver.Run(dlg));
}

// The 95/98/Me family lists names through the ANSI code page, with '?' for the letters it
// lacks: such a name would stand for every process listed the same way.
TEST_F(FavoritesDlgTest, ANameListedWithQuestionMarksIsRefusedWithItsReason) {
    Store({"?A.EXE", "OK.EXE"}); // as an earlier version saved it
    CFavoritesDlg dlg({"??.EXE"});
    DialogDriver driver;
    driver.Until([] { return FindDialog(kCaption) != nullptr; }).Then([] {
        HWND hDlg = FindDialog(kCaption);
        Move(hDlg, IDC_CANDIDATES, IDC_ADD, "??.EXE");
        EXPECT_EQ(Names{"??.EXE cannot be a favourite: its name holds letters that this version "
                        "of Windows shows as \"?\"."},
                  s_messages);
        EXPECT_EQ(Names{"??.EXE"}, Candidates(hDlg));
        EXPECT_EQ((Names{"?A.EXE", "OK.EXE"}), Favourites(hDlg));
        // OK does not store the old one either: the dialog stays open until it is removed.
        ClickButton(hDlg, IDOK);
        EXPECT_EQ((Names{s_messages[0], LossyNameText("?A.EXE")}), s_messages);
        EXPECT_EQ(hDlg, FindDialog(kCaption));
        Move(hDlg, IDC_FAVORITES, IDC_REMOVE, "?A.EXE");
        ClickButton(hDlg, IDOK);
    });
    EXPECT_EQ(IDOK, driver.Run(dlg));
    EXPECT_EQ(2u, s_messages.size());
    EXPECT_EQ(Names{"OK.EXE"}, LoadFavorites(theApp.m_settings));
}

} // namespace
