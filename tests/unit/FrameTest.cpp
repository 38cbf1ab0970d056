// The main frame: where it opens, what it stores when it moves, the status pane texts, the
// command states its menus and toolbar show, its layout and keys; and the document's Save.
#include "app/VantrelDoc.h"
#include "res/resource.h"
#include "unit/ViewHost.h"
#include "settings/SettingNames.h"

#include <commctrl.h>

namespace {

TEST(Placement, DefaultIsCentredAt95PercentInSinglePrecision) {
    WindowPlacement p = DefaultPlacement(1024, 738);
    EXPECT_EQ(972, p.cx);
    EXPECT_EQ(701, p.cy);
    EXPECT_EQ(26, p.x);
    EXPECT_EQ(18, p.y);
    EXPECT_EQ(1215, DefaultPlacement(1280, 1024).cx) << "0.95f is a little below 0.95";
}

TEST(Placement, OnlyLeftAndTopEdgesAreTestedAndMustLieInsideTheWorkArea) {
    const int W = 1024, H = 738;
    EXPECT_TRUE(IsPlacementUsable({W - 1, 0, W, H}, W, H)) << "one pixel column still shows";
    EXPECT_TRUE(IsPlacementUsable({0, H - 1, 1, 1}, W, H));
    EXPECT_FALSE(IsPlacementUsable({W, 0, W, H}, W, H)) << "wholly beyond the right edge";
    EXPECT_FALSE(IsPlacementUsable({0, H, 1, 1}, W, H)) << "wholly below the bottom edge";
    EXPECT_FALSE(IsPlacementUsable({0, 0, W + 1, 100}, W, H));
    EXPECT_FALSE(IsPlacementUsable({0, 0, 100, H + 1}, W, H));
    EXPECT_FALSE(IsPlacementUsable({-1, 0, 100, 100}, W, H));
    EXPECT_FALSE(IsPlacementUsable({0, -1, 100, 100}, W, H));
    EXPECT_FALSE(IsPlacementUsable({0, 0, 0, 100}, W, H));
    EXPECT_FALSE(IsPlacementUsable({0, 0, 100, 0}, W, H));
    EXPECT_FALSE(IsPlacementUsable({W + 1, 0, 100, 100}, W, H));
}

// A frame on a work area of a fixed size.
class TestFrame : public CMainFrame {
  public:
    void GetWorkAreaSize(int* pW, int* pH) const override {
        *pW = 1024;
        *pH = 738;
    }
};

// A frame that counts the command of F6, which the program's frame leaves unhandled.
class CountingFrame : public TestFrame {
  public:
    int m_nNextPane = 0;
    void OnNextPane() { ++m_nNextPane; }
    DECLARE_COMMAND_MAP()
};
BEGIN_COMMAND_MAP(CountingFrame, TestFrame)
ON_COMMAND(ID_NEXT_PANE, OnNextPane)
END_COMMAND_MAP()

class FrameTest : public MainFrameTest {
  protected:
    int Stored(const char* value) {
        return theApp.m_settings.GetInt(kSectionScreen, value, -12345);
    }
    void ForgetScreen() { DeleteKeyTree(scratch.Root(), scratch.Path() + "\\" + kSectionScreen); }
    // A frame of class Frame, with a process list inside (and the main window then) when
    // bWithView.
    template <class Frame = TestFrame> Frame* Create(bool bWithView = false) {
        Frame* created = new Frame;
        if (bWithView) {
            CreateMainWindow(created);
        } else {
            frame = created;
            EXPECT_TRUE(frame->LoadFrame(IDR_MAINFRAME, nullptr));
            hFrame = frame->m_hWnd;
        }
        return created;
    }
};

TEST_F(FrameTest, FirstStartStoresTheCentredPlacement) {
    CREATESTRUCTA cs = {};
    TestFrame f;
    ASSERT_TRUE(f.PreCreateWindow(cs));
    EXPECT_EQ(26, cs.x);
    EXPECT_EQ(18, cs.y);
    EXPECT_EQ(972, cs.cx);
    EXPECT_EQ(701, cs.cy);
    EXPECT_EQ(4u, scratch.ValueCount(kSectionScreen));
    EXPECT_EQ(972, Stored(kValueCx));
    EXPECT_EQ(18, Stored(kValueY));
}

TEST_F(FrameTest, AUsableStoredPlacementIsKeptAndABadOneReset) {
    theApp.m_settings.SetInt(kSectionScreen, kValueX, 1023);
    theApp.m_settings.SetInt(kSectionScreen, kValueY, 5);
    theApp.m_settings.SetInt(kSectionScreen, kValueCx, 1024);
    theApp.m_settings.SetInt(kSectionScreen, kValueCy, 300);
    CREATESTRUCTA cs = {};
    TestFrame f;
    f.PreCreateWindow(cs);
    EXPECT_EQ(1023, cs.x);
    EXPECT_EQ(1024, cs.cx);
    EXPECT_EQ(300, cs.cy);

    theApp.m_settings.SetInt(kSectionScreen, kValueX, 1024);
    f.PreCreateWindow(cs);
    EXPECT_EQ(26, cs.x) << "a window wholly off-screen opens at the default placement";
    theApp.m_settings.SetInt(kSectionScreen, kValueX, 1023);

    theApp.m_settings.SetInt(kSectionScreen, kValueCx, 1025);
    f.PreCreateWindow(cs);
    EXPECT_EQ(972, cs.cx);
    EXPECT_EQ(26, Stored(kValueX));
}

TEST_F(FrameTest, MovesAreStoredOnlyAfterArmingClampedAndNotWhileMinimised) {
    Create();
    ForgetScreen();
    SetWindowPos(frame->m_hWnd, nullptr, 40, 50, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_FALSE(scratch.Exists(kSectionScreen)) << "nothing is stored before the start-up arming";

    frame->m_bSavePlacement = 1;
    SetWindowPos(frame->m_hWnd, nullptr, -30, -40, 2000, 900, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(0, Stored(kValueX));
    EXPECT_EQ(0, Stored(kValueY));
    EXPECT_EQ(1024, Stored(kValueCx));
    EXPECT_EQ(738, Stored(kValueCy));

    SetWindowPos(frame->m_hWnd, nullptr, 1100, 20, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(1100, Stored(kValueX)) << "the left edge may lie beyond the work area";

    // A change that neither moves nor sizes (z-order only) carries no rectangle: the real one
    // is kept. The notification is sent as such, with the empty rectangle it may carry.
    WINDOWPOS zOnly = {
        frame->m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE};
    frame->SendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&zOnly));
    EXPECT_EQ(300, Stored(kValueCx));
    EXPECT_EQ(1100, Stored(kValueX));

    frame->ShowWindow(SW_SHOWNOACTIVATE);
    ForgetScreen();
    frame->ShowWindow(SW_MINIMIZE);
    EXPECT_FALSE(scratch.Exists(kSectionScreen)) << "minimising stores nothing";
    frame->ShowWindow(SW_RESTORE);
    EXPECT_EQ(300, Stored(kValueCx)) << "restoring stores the restored rectangle";
    frame->ShowWindow(SW_MAXIMIZE);
    EXPECT_EQ(300, Stored(kValueCx)) << "maximised, the size it restores to is kept";
    EXPECT_EQ(1100, Stored(kValueX));
}

TEST_F(FrameTest, TheViewsInitialUpdateStartsStoringThePlacementAndOnlyItsTimerTheListing) {
    Create(true);
    theApp.m_pMainWnd = frame;
    ForgetScreen();
    SetWindowPos(frame->m_hWnd, nullptr, 30, 20, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_FALSE(scratch.Exists(kSectionScreen)) << "stored while the window was being made";
    frame->InitialUpdateFrame();
    frame->KillTimer(kStartupTimerId);
    SetWindowPos(frame->m_hWnd, nullptr, 40, 50, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(40, Stored(kValueX)) << "the end of the initial update turns placement saving on";
    EXPECT_EQ(50, Stored(kValueY));

    // Another timer of the frame is not the start-up one: no warning, no listing.
    frame->SendMessage(WM_TIMER, kStartupTimerId + 1);
    EXPECT_TRUE(s_messages.empty());
    EXPECT_EQ(0, view->GetListCtrl().GetItemCount());
    frame->SendMessage(WM_TIMER, kStartupTimerId);
    EXPECT_EQ(1u, s_messages.size()) << "the first-run warning";
    EXPECT_GT(view->GetListCtrl().GetItemCount(), 0);
}

TEST_F(FrameTest, StatusPaneFitsItsTextPlusTwoPixels) {
    Create();
    auto extent = [&](const char* text) {
        HDC hdc = GetWindowDC(frame->m_hWnd);
        HGDIOBJ old = SelectObject(
            hdc, reinterpret_cast<HFONT>(frame->m_wndStatusBar.SendMessage(WM_GETFONT)));
        SIZE size;
        GetTextExtentPoint32A(hdc, text, lstrlenA(text), &size);
        SelectObject(hdc, old);
        ReleaseDC(frame->m_hWnd, hdc);
        return size.cx;
    };
    UINT id, style;
    int width;
    frame->m_wndStatusBar.GetPaneInfo(1, id, style, width);
    EXPECT_EQ(UINT(ID_INDICATOR_ACTIVITY), id);
    EXPECT_EQ(extent("          "), width) << "starts as wide as ten blanks";

    for (const char* text :
         {"Killing... SOMEVERYLONGPROCESSNAME.EXE", "Killing... A.EXE", "     "}) {
        EXPECT_TRUE(frame->SetStatusPaneText(1, text));
        frame->m_wndStatusBar.GetPaneInfo(1, id, style, width);
        EXPECT_EQ(extent(text) + 2, width) << text;
        char shown[128] = "";
        frame->m_wndStatusBar.SendMessage(SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(shown));
        EXPECT_STREQ(text, shown);
    }
    EXPECT_EQ(UINT(ID_INDICATOR_ACTIVITY), id);
}

TEST_F(FrameTest, TheBarsAreVisibleChildrenAFlatToolBarWithTipsAndAStatusBarWithAGrip) {
    Create();
    const LONG_PTR kWindowBits = WS_CHILD | WS_VISIBLE | WS_POPUP;
    const LONG_PTR toolBar = frame->m_wndToolBar.GetStyle();
    EXPECT_EQ(WS_CHILD | WS_VISIBLE, toolBar & kWindowBits);
    EXPECT_TRUE(toolBar & TBSTYLE_FLAT);
    EXPECT_TRUE(toolBar & TBSTYLE_TOOLTIPS);
    EXPECT_NE(0, frame->m_wndToolBar.SendMessage(TB_GETTOOLTIPS)) << "the tip window exists";
    const LONG_PTR statusBar = frame->m_wndStatusBar.GetStyle();
    EXPECT_EQ(WS_CHILD | WS_VISIBLE, statusBar & kWindowBits);
    EXPECT_TRUE(statusBar & SBARS_SIZEGRIP);
}

TEST_F(FrameTest, MenuItemsShowTheirPromptsInTheFirstStatusPane) {
    Create();
    auto shown = [&] {
        char text[256] = "";
        frame->m_wndStatusBar.SendMessage(SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        return std::string(text);
    };
    const LPARAM sysMenu = reinterpret_cast<LPARAM>(GetSystemMenu(frame->m_hWnd, FALSE));
    const struct {
        UINT command, prompt;
    } system[] = {{SC_SIZE, AFX_IDS_SCSIZE},         {SC_MOVE, AFX_IDS_SCMOVE},
                  {SC_MINIMIZE, AFX_IDS_SCMINIMIZE}, {SC_MAXIMIZE, AFX_IDS_SCMAXIMIZE},
                  {SC_CLOSE, AFX_IDS_SCCLOSE},       {SC_RESTORE, AFX_IDS_SCRESTORE},
                  {SC_TASKLIST, AFX_IDS_SCTASKLIST}};
    for (const auto& c : system) {
        frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(c.command, MF_SYSMENU), sysMenu);
        EXPECT_FALSE(shown().empty()) << std::hex << c.command;
        EXPECT_EQ(AfxLoadString(c.prompt), shown()) << std::hex << c.command;
    }
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(SC_MOVE, MF_SYSMENU), sysMenu);
    EXPECT_EQ("Move the window", shown());

    const LPARAM menuBar = reinterpret_cast<LPARAM>(GetMenu(frame->m_hWnd));
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_APP_EXIT, 0), menuBar);
    EXPECT_EQ("Quit the application", shown()) << "the prompt ends at the newline";
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP), menuBar);
    EXPECT_EQ("", shown()) << "a sub-menu has no prompt";
    frame->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ("Ready", shown()) << "a closed menu leaves the idle message";
}

TEST_F(FrameTest, IdleTimeEnablesEachToolbarButtonAsItsCommandAllows) {
    Create(true);
    theApp.m_pMainWnd = frame;
    frame->ShowWindow(SW_SHOWNOACTIVATE);
    CToolBar& bar = frame->m_wndToolBar;
    auto enabled = [&](UINT id) { return bar.SendMessage(TB_ISBUTTONENABLED, id) != 0; };
    ASSERT_TRUE(enabled(ID_KILL_SELECTED)) << "buttons start enabled";

    theApp.OnIdle(0);
    EXPECT_FALSE(enabled(ID_FILE_SAVE)) << "no document to save";
    EXPECT_FALSE(enabled(ID_KILL_SELECTED)) << "no row selected";
    EXPECT_TRUE(enabled(ID_KILL_FAVORITES)) << "a command of the view";
    EXPECT_TRUE(enabled(ID_APP_ABOUT)) << "a command of the application";

    CListCtrl& list = frame->GetVantrelView()->GetListCtrl();
    ASSERT_EQ(0, list.InsertItem(0, "a.exe", 0));
    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    theApp.OnIdle(1);
    EXPECT_FALSE(enabled(ID_KILL_SELECTED)) << "only the first idle call of a pause updates";
    theApp.OnIdle(0);
    EXPECT_TRUE(enabled(ID_KILL_SELECTED)) << "a row is selected";

    frame->SendCommand(ID_VIEW_TOOLBAR);
    ASSERT_FALSE(bar.IsWindowVisible());
    list.SetItemState(0, 0, LVIS_SELECTED);
    theApp.OnIdle(0);
    EXPECT_TRUE(enabled(ID_KILL_SELECTED)) << "a hidden toolbar is left as it is";
}

TEST_F(FrameTest, TheMessageLoopTranslatesTheMainWindowsKeysByItsAccelerators) {
    CountingFrame* counting = Create<CountingFrame>();
    theApp.m_pMainWnd = frame;
    CWnd other;
    ASSERT_TRUE(other.CreateEx(0, "VantrelTestHost", "other", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                               nullptr, nullptr));
    auto offer = [&](HWND hWnd, UINT msg, WPARAM wp) {
        MSG m = {hWnd, msg, wp, 1, 0, {0, 0}};
        return theApp.PreTranslateMessage(&m);
    };
    EXPECT_TRUE(offer(frame->m_hWnd, WM_KEYDOWN, VK_F6));
    EXPECT_EQ(1, counting->m_nNextPane);
    EXPECT_TRUE(offer(frame->m_wndToolBar.m_hWnd, WM_KEYDOWN, VK_F6)) << "a key of a child";
    EXPECT_EQ(2, counting->m_nNextPane);
    EXPECT_FALSE(offer(frame->m_hWnd, WM_KEYDOWN, VK_F3)) << "a key without an accelerator";
    EXPECT_FALSE(offer(frame->m_hWnd, WM_TIMER, VK_F6)) << "not a key";
    EXPECT_FALSE(offer(other.m_hWnd, WM_KEYDOWN, VK_F6)) << "a key of another window";
    theApp.m_pMainWnd = nullptr;
    EXPECT_FALSE(offer(frame->m_hWnd, WM_KEYDOWN, VK_F6)) << "no main window";
    EXPECT_EQ(2, counting->m_nNextPane);
    other.DestroyWindow();
}

TEST_F(FrameTest, OnlyTheFramesClassCarriesTheProgramIcon) {
    Create();
    const HWND hFrame = frame->m_hWnd;
    EXPECT_NE(0u, GetClassLongPtrA(hFrame, GCLP_HICON));
    EXPECT_TRUE(GetClassLongPtrA(hFrame, GCL_STYLE) & CS_DBLCLKS);
    CWnd other;
    ASSERT_TRUE(other.CreateEx(0, "VantrelTestHost", "other", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                               nullptr, nullptr));
    EXPECT_EQ(0u, GetClassLongPtrA(other.m_hWnd, GCLP_HICON));
    EXPECT_TRUE(GetClassLongPtrA(other.m_hWnd, GCL_STYLE) & CS_DBLCLKS);
    EXPECT_EQ(ULONG_PTR(COLOR_BTNFACE + 1), GetClassLongPtrA(other.m_hWnd, GCLP_HBRBACKGROUND));
    other.DestroyWindow();
}

TEST_F(FrameTest, TheViewFillsTheSpaceTheShownBarsLeave) {
    Create(true);
    frame->ShowWindow(SW_SHOWNOACTIVATE);
    frame->RecalcLayout();
    auto place = [&](const CWnd& wnd) {
        RECT rc;
        GetWindowRect(wnd.m_hWnd, &rc);
        MapWindowPoints(nullptr, frame->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    };
    RECT client;
    frame->GetClientRect(&client);
    const RECT toolBar = place(frame->m_wndToolBar), statusBar = place(frame->m_wndStatusBar);
    RECT view = place(*frame->GetActiveView());
    EXPECT_GT(toolBar.bottom, 0);
    EXPECT_LT(statusBar.top, client.bottom);
    EXPECT_EQ(toolBar.bottom, view.top);
    EXPECT_EQ(statusBar.top, view.bottom);
    EXPECT_EQ(0, view.left);
    EXPECT_EQ(client.right, view.right);

    frame->SendCommand(ID_VIEW_TOOLBAR);
    frame->SendCommand(ID_VIEW_STATUS_BAR);
    view = place(*frame->GetActiveView());
    EXPECT_EQ(0, view.top) << "without bars the view has the whole client area";
    EXPECT_EQ(client.bottom, view.bottom);
}

TEST_F(FrameTest, CommandsWithoutHandlersAreDisabledAndBarTogglesAreChecked) {
    Create();
    auto state = [&](UINT id, BOOL* enabled) {
        CCmdUI ui;
        ui.m_nID = id;
        bool handled = frame->UpdateCmdUI(&ui);
        *enabled = ui.m_bEnabled;
        return handled;
    };
    BOOL enabled = TRUE;
    EXPECT_FALSE(state(ID_NEXT_PANE, &enabled));
    EXPECT_FALSE(enabled);
    EXPECT_TRUE(state(ID_VIEW_TOOLBAR, &enabled));
    EXPECT_TRUE(enabled);
    EXPECT_TRUE(state(ID_APP_ABOUT, &enabled));

    // The View menu's check marks follow the bars.
    HMENU view = GetSubMenu(GetMenu(frame->m_hWnd), 2);
    ASSERT_NE(nullptr, view);
    frame->ShowWindow(SW_SHOWNOACTIVATE);
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view), 2);
    EXPECT_TRUE(GetMenuState(view, ID_VIEW_TOOLBAR, MF_BYCOMMAND) & MF_CHECKED);
    frame->SendCommand(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(frame->m_wndToolBar.IsWindowVisible());
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(view), 2);
    EXPECT_FALSE(GetMenuState(view, ID_VIEW_TOOLBAR, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(view, ID_VIEW_STATUS_BAR, MF_BYCOMMAND) & MF_CHECKED);
    frame->SendCommand(ID_VIEW_TOOLBAR);
    EXPECT_TRUE(frame->m_wndToolBar.IsWindowVisible());
}

class DocumentTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        char dir[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, dir);
        folder = dir;
        path = folder + "vantrel_document_test.vtr";
        DeleteFileA(path.c_str());
    }
    void TearDown() override {
        DeleteFileA(path.c_str());
        RemoveDirectoryA(path.c_str());
        AppTest::TearDown();
    }
    bool Exists() const { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    std::string folder, path;
};

TEST_F(DocumentTest, SaveWritesAnEmptyFileClosesItAndKeepsTheNameForTheNextSave) {
    CVantrelDoc doc;
    ASSERT_TRUE(doc.OnSaveDocument(path));
    WIN32_FILE_ATTRIBUTE_DATA info = {};
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info));
    EXPECT_EQ(0u, info.nFileSizeLow);
    EXPECT_TRUE(DeleteFileA(path.c_str())) << "the file is closed once saved";

    doc.OnFileSave(); // a document with a name is saved without asking for one
    EXPECT_TRUE(Exists());
    EXPECT_TRUE(s_messages.empty());

    ASSERT_TRUE(DeleteFileA(path.c_str()));
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    doc.OnFileSave();
    ASSERT_EQ(1u, s_messages.size()) << "a name that cannot be written is reported";
    EXPECT_EQ("Failed to save document.", s_messages[0]);
    EXPECT_FALSE(doc.OnSaveDocument(folder + "no such folder\\x.vtr"));
}

} // namespace
