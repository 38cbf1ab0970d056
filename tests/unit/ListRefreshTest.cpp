// What makes a refresh cheap, checked for not changing what it does: the list is drawn once,
// when all rows are in, and left shown or hidden as it was; the cells are compared as the
// control holds them, whatever their case and length; and the lookup of a window's wrapper
// object, which every message of a wrapped window goes through.
#include "unit/ViewHost.h"

#include <thread>

namespace {

class ListRefreshTest : public ViewHostTest {
  protected:
    void SetUp() override {
        ViewHostTest::SetUp();
        ShowWindow(host.m_hWnd, SW_SHOWNOACTIVATE);
    }
    static bool HasStyleVisible(HWND h) {
        return (GetWindowLongPtrA(h, GWL_STYLE) & WS_VISIBLE) != 0;
    }
    static bool NeedsPainting(HWND h) { return GetUpdateRect(h, nullptr, FALSE) != FALSE; }
    static std::string ThisProgramName() {
        char path[MAX_PATH];
        DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string name(path, n);
        return UpperCase(name.substr(name.find_last_of("\\/") + 1));
    }
};

TEST_F(ListRefreshTest, AShownListIsDrawnAgainAfterARefreshAndKeepsDrawingLaterChanges) {
    CVantrelView* view = AddView(new CVantrelView);
    UpdateWindow(view->m_hWnd);
    ASSERT_FALSE(NeedsPainting(view->m_hWnd));
    EXPECT_EQ(1, view->RefreshList());
    EXPECT_NE(-1, view->FindRowByName(ThisProgramName()));
    EXPECT_TRUE(HasStyleVisible(view->m_hWnd)) << "drawing was not switched on again";
    EXPECT_TRUE(IsWindowVisible(view->m_hWnd));
    EXPECT_TRUE(NeedsPainting(view->m_hWnd)) << "the new rows are not drawn";
    UpdateWindow(view->m_hWnd);
    EXPECT_FALSE(NeedsPainting(view->m_hWnd));

    // A row added after the refresh is drawn: the list draws its changes again.
    VN_PROCINFO info = ProcessRecord("AAA_FIRST_ROW.EXE", 4);
    view->AddProcessRow(info);
    EXPECT_EQ(0, view->FindRowByName("AAA_FIRST_ROW.EXE"));
    EXPECT_TRUE(NeedsPainting(view->m_hWnd));

    // Two refreshes in a row give the same rows.
    view->RefreshList();
    const int rows = view->GetListCtrl().GetItemCount();
    EXPECT_EQ(-1, view->FindRowByName("AAA_FIRST_ROW.EXE"));
    view->RefreshList();
    EXPECT_EQ(rows, view->GetListCtrl().GetItemCount());
    EXPECT_TRUE(HasStyleVisible(view->m_hWnd));
}

TEST_F(ListRefreshTest, AHiddenListStaysHidden) {
    CVantrelView* view = AddView(new CVantrelView, false);
    EXPECT_EQ(1, view->RefreshList());
    EXPECT_FALSE(HasStyleVisible(view->m_hWnd));
    EXPECT_NE(-1, view->FindRowByName(ThisProgramName())) << "rows are listed all the same";
}

TEST_F(ListRefreshTest, AFailedBindingLeavesTheListDrawing) {
    CVantrelView* view = AddView(new CVantrelView);
    view->Core().SetLibraryFile("no_such_vn_library.dll");
    EXPECT_EQ(0, view->RefreshList());
    ASSERT_EQ(1u, s_messages.size());
    EXPECT_EQ(kLoadFailureText, s_messages[0]);
    EXPECT_EQ(0, view->GetListCtrl().GetItemCount());
    EXPECT_TRUE(HasStyleVisible(view->m_hWnd));
}

TEST_F(ListRefreshTest, CellsAreComparedUpperCasedWhateverTheirLength) {
    CVantrelView* view = AddView(new CVantrelView);
    CListCtrl& list = view->GetListCtrl();
    // Rows put in as the control may hold them: lower case, and paths longer than any
    // process record carries.
    auto addRow = [&](const std::string& name, const std::string& path) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = list.GetItemCount();
        item.pszText = const_cast<char*>(name.c_str());
        const int row = list.InsertItem(&item);
        list.SetItemText(row, 4, path.c_str());
        return row;
    };
    const std::string longPath = "c:\\" + std::string(700, 'd') + "\\long.exe";
    addRow("lower.exe", "c:\\apps\\lower.exe");
    addRow("long.exe", longPath);
    addRow("nopath.exe", "");
    addRow("\xe9t\xe9.exe", "c:\\\xe9t\xe9.exe"); // accented letters of the ANSI code page

    EXPECT_EQ(1, view->IsRowListed("LOWER.EXE", "C:\\APPS\\LOWER.EXE"));
    EXPECT_EQ(1, view->IsRowListed("Lower.Exe", "c:\\Apps\\lower.EXE"));
    EXPECT_EQ(0, view->IsRowListed("LOWER.EXE", "C:\\APPS\\LOWER.EX"));
    EXPECT_EQ(0, view->IsRowListed("LOWER.EXE", "C:\\APPS\\LOWER.EXEX"));
    EXPECT_EQ(0, view->IsRowListed("LOWER.EXE", "C:\\APPS\\LOWER.EXF")) << "same length";
    EXPECT_EQ(0, view->IsRowListed("LOWER.EXF", "C:\\APPS\\LOWER.EXE")) << "other name";
    EXPECT_EQ(1, view->IsRowListed("long.exe", UpperCase(longPath)));
    EXPECT_EQ(0, view->IsRowListed("long.exe", longPath.substr(0, longPath.size() - 1) + "f"));
    EXPECT_EQ(0, view->IsRowListed("long.exe", longPath.substr(0, 510)));
    EXPECT_EQ(1, view->IsRowListed("NOPATH.EXE", ""));
    EXPECT_EQ(0, view->IsRowListed("", ""));
    EXPECT_EQ(1, view->IsRowListed(UpperCase("\xe9t\xe9.exe"), "C:\\\xe9T\xe9.EXE"));

    // The control sorts the rows: find each by its exact text.
    auto rowOf = [&](const std::string& label) {
        for (int i = 0; i < list.GetItemCount(); ++i)
            if (list.GetItemText(i, 0) == label) return i;
        return -2;
    };
    EXPECT_EQ(rowOf("lower.exe"), view->FindRowByName("LOWER.EXE"));
    EXPECT_EQ(rowOf("long.exe"), view->FindRowByName("Long.exe"));
    EXPECT_EQ(rowOf("nopath.exe"), view->FindRowByName("nopath.EXE"));
    EXPECT_EQ(-1, view->FindRowByName("LOWER.EX"));
    EXPECT_EQ(-1, view->FindRowByName(""));
    const int longRow = rowOf("long.exe");
    list.SetItemText(longRow, 0, (std::string(600, 'x') + ".exe").c_str());
    EXPECT_EQ(longRow, view->FindRowByName(std::string(600, 'X') + ".EXE"))
        << "a name too long for a buffer on the stack";
}

TEST_F(ListRefreshTest, WrappersAreFoundFromEveryThreadAndGoWithTheirWindows) {
    CVantrelView* view = AddView(new CVantrelView);
    const HWND hView = view->m_hWnd, hHost = host.m_hWnd;
    EXPECT_EQ(view, CWnd::FromHandlePermanent(hView)) << "a subclassed system window";
    EXPECT_EQ(&host, CWnd::FromHandlePermanent(hHost)) << "a window of our own class";
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(nullptr));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(GetDesktopWindow()));
    CWnd* fromThread = nullptr;
    std::thread([&] { fromThread = CWnd::FromHandlePermanent(hView); }).join();
    EXPECT_EQ(view, fromThread);

    // A wrapper deleted before its window destroys the window and is no longer found.
    CWnd* temp = new CWnd;
    ASSERT_TRUE(temp->CreateEx(0, "VantrelTestHost", "temp", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                               nullptr, nullptr));
    const HWND hTemp = temp->m_hWnd;
    EXPECT_EQ(temp, CWnd::FromHandlePermanent(hTemp));
    delete temp;
    EXPECT_FALSE(IsWindow(hTemp));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hTemp));

    // Destroying the host destroys the view (which deletes itself): neither is found again.
    host.DestroyWindow();
    EXPECT_FALSE(IsWindow(hView));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hView));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hHost));
    EXPECT_EQ(nullptr, host.m_hWnd);
}

} // namespace
