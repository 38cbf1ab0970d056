// The order of the list and what a refresh keeps: sorting by any column (numbers as numbers),
// and the selection, focus and top row kept over a refresh while their processes live.
#include "res/resource.h"
#include "unit/Victim.h"
#include "unit/ViewHost.h"

#include <commctrl.h>
#include <algorithm>

namespace {

class ListOrderTest : public ViewHostTest {
  protected:
    void SetUp() override {
        ViewHostTest::SetUp();
        view = AddView(new CVantrelView);
    }
    void Add(const char* name, DWORD pid, LONG base, DWORD threads, const char* path) {
        ProcessRecord info = Record(name, pid, path, base, 0, threads);
        ASSERT_EQ(1, AddRow(view, info));
    }
    std::vector<std::string> Column(int col) {
        std::vector<std::string> texts;
        for (int row = 0; row < view->GetListCtrl().GetItemCount(); ++row)
            texts.push_back(view->GetListCtrl().GetItemText(row, col));
        return texts;
    }
    std::vector<std::string> SelectedNames() {
        std::vector<std::string> names;
        const CListCtrl& list = view->GetListCtrl();
        for (int row = list.GetNextItem(-1, LVNI_SELECTED); row != -1;
             row = list.GetNextItem(row, LVNI_SELECTED))
            names.push_back(list.GetItemText(row, 0));
        return names;
    }

    CVantrelView* view = nullptr;
};

typedef std::vector<std::string> Texts;

TEST_F(ListOrderTest, EachColumnSortsByItsValueAndASecondClickReverses) {
    Add("beta.exe", 0xA0, 13, 12, "C:\\Z\\BETA.EXE");
    Add("Alpha.exe", 0x100, 4, 3, "c:\\y\\alpha.exe");
    Add("gamma.exe", 0x9F, 8, 100, "C:\\X\\GAMMA.EXE");
    EXPECT_EQ((Texts{"ALPHA.EXE", "BETA.EXE", "GAMMA.EXE"}), Column(0)) << "by name at first";
    EXPECT_EQ(0, view->SortColumn());
    EXPECT_FALSE(view->IsSortDescending());

    view->SortBy(1);
    EXPECT_EQ((Texts{"9F", "A0", "100"}), Column(1)) << "ids as numbers, not as text";
    view->SortBy(1);
    EXPECT_EQ((Texts{"100", "A0", "9F"}), Column(1)) << "the second click reverses";
    view->SortBy(3);
    EXPECT_EQ((Texts{"3", "12", "100"}), Column(3)) << "another column starts ascending";
    view->SortBy(2);
    EXPECT_EQ((Texts{"ALPHA.EXE", "GAMMA.EXE", "BETA.EXE"}), Column(0)) << "base priority 4, 8, 13";
    view->SortBy(4);
    EXPECT_EQ((Texts{"GAMMA.EXE", "ALPHA.EXE", "BETA.EXE"}), Column(0)) << "paths, any case";

    // A row added later goes to its place in the chosen order; so do a refresh's rows.
    view->SortBy(1);
    view->SortBy(1);
    Add("delta.exe", 0xFF, 8, 1, "C:\\DELTA.EXE");
    EXPECT_EQ((Texts{"100", "FF", "A0", "9F"}), Column(1));
    view->SendCommand(ID_VIEW_REFRESH);
    std::vector<DWORD> pids;
    for (int item = 0; item < view->GetListCtrl().GetItemCount(); ++item)
        pids.push_back(view->RowAt(item)->dwPID);
    ASSERT_GT(pids.size(), 1u);
    EXPECT_TRUE(std::is_sorted(pids.rbegin(), pids.rend())) << "F5 keeps the order";
}

TEST_F(ListOrderTest, TheSelectionSurvivesARefreshWhileItsProcessesLive) {
    Victim first, second, third, firstsTwin;
    ASSERT_TRUE(first.StartConsole(0));
    ASSERT_TRUE(second.StartConsole(0));
    ASSERT_TRUE(third.StartConsole(0));
    // First's name from another folder too: two rows of one name, of which one is selected.
    ASSERT_TRUE(firstsTwin.StartSameName(first, true));
    ASSERT_EQ(1, view->RefreshList());
    CListCtrl& list = view->GetListCtrl();
    for (Victim* victim : {&first, &second})
        list.SetItemState(ItemOf(view, victim->ExeName()), LVIS_SELECTED, LVIS_SELECTED);
    const int focused = ItemOf(view, second.ExeName());
    list.SetItemState(focused, LVIS_FOCUSED, LVIS_FOCUSED);
    Texts expected = {UpperCase(first.ExeName()), UpperCase(second.ExeName())};
    std::sort(expected.begin(), expected.end());

    view->SendCommand(ID_VIEW_REFRESH);
    EXPECT_EQ(expected, SelectedNames());
    EXPECT_EQ(ItemOf(view, second.ExeName()), list.GetNextItem(-1, LVNI_FOCUSED));

    first.Kill();
    firstsTwin.Kill();
    view->SendCommand(ID_VIEW_REFRESH);
    EXPECT_EQ((Texts{UpperCase(second.ExeName())}), SelectedNames())
        << "an ended process's row is gone and nothing else is selected in its place";
    EXPECT_EQ(-1, ItemOf(view, first.ExeName()));
}

TEST_F(ListOrderTest, TheTopRowStaysAtTheTopOverARefresh) {
    Victim victim;
    ASSERT_TRUE(victim.StartConsole(0));
    // A list that shows a few rows only, scrolled so that a row further down is at the top;
    // the most threads first, so that a process that starts meanwhile moves the rows down.
    MoveWindow(view->m_hWnd, 0, 0, 880, 90, TRUE);
    view->SortBy(3);
    view->SortBy(3);
    ASSERT_EQ(1, view->RefreshList());
    CListCtrl& list = view->GetListCtrl();
    ASSERT_GT(list.GetItemCount(), 6);
    RECT rc = {LVIR_BOUNDS, 0, 0, 0};
    list.SendMessage(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rc));
    list.SendMessage(LVM_SCROLL, 0, LPARAM(3 * (rc.bottom - rc.top)));
    const int top = int(list.SendMessage(LVM_GETTOPINDEX));
    ASSERT_EQ(3, top);
    const std::string topRow = list.GetItemText(top, 0) + " " + list.GetItemText(top, 1);

    Victim busiest;
    ASSERT_TRUE(busiest.StartConsole(80));
    view->SendCommand(ID_VIEW_REFRESH);
    ASSERT_EQ(UpperCase(busiest.ExeName()), list.GetItemText(0, 0)) << "the rows moved down";
    const int after = int(list.SendMessage(LVM_GETTOPINDEX));
    EXPECT_EQ(topRow, list.GetItemText(after, 0) + " " + list.GetItemText(after, 1));
}

} // namespace
