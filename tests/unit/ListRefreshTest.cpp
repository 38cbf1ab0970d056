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
    EXPECT_NE(-1, ItemOf(view, ThisProgramName()));
    EXPECT_TRUE(HasStyleVisible(view->m_hWnd)) << "drawing was not switched on again";
    EXPECT_TRUE(IsWindowVisible(view->m_hWnd));
    EXPECT_TRUE(NeedsPainting(view->m_hWnd)) << "the new rows are not drawn";
    UpdateWindow(view->m_hWnd);
    EXPECT_FALSE(NeedsPainting(view->m_hWnd));

    // A row added after the refresh is drawn: the list draws its changes again.
    ProcessRecord info = Record("AAA_FIRST_ROW.EXE", 4);
    AddRow(view, info);
    EXPECT_EQ(0, ItemOf(view, "AAA_FIRST_ROW.EXE"));
    EXPECT_TRUE(NeedsPainting(view->m_hWnd));

    // Two refreshes in a row give the same rows.
    view->RefreshList();
    const int rows = view->GetListCtrl().GetItemCount();
    EXPECT_EQ(-1, ItemOf(view, "AAA_FIRST_ROW.EXE"));
    view->RefreshList();
    EXPECT_EQ(rows, view->GetListCtrl().GetItemCount());
    EXPECT_TRUE(HasStyleVisible(view->m_hWnd));
}

TEST_F(ListRefreshTest, AHiddenListStaysHidden) {
    CVantrelView* view = AddView(new CVantrelView, false);
    EXPECT_EQ(1, view->RefreshList());
    EXPECT_FALSE(HasStyleVisible(view->m_hWnd));
    EXPECT_NE(-1, ItemOf(view, ThisProgramName())) << "rows are listed all the same";
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
