// Window objects that end with their windows: a frame or view deleted while one of its own
// messages, or a modal loop inside one, is still under way must not be touched afterwards.
// The objects here are poisoned instead of freed when deleted; a write after the delete shows
// as a changed byte.
#include "res/resource.h"
#include "unit/DialogDriver.h"
#include "unit/ResourceCount.h"
#include "unit/ViewHost.h"
#include "settings/SettingNames.h"

#include <cstring>
#include <vector>

namespace {

const unsigned char kPoison = 0xDD;

// Blocks deleted but kept: checked by the test, then given back.
struct Grave {
    void* p;
    size_t size;
};
std::vector<Grave> g_graves;

bool IsBuried(const void* p) {
    for (const Grave& g : g_graves)
        if (g.p == p) return true;
    return false;
}

// True when every deleted block still holds nothing but poison.
bool NothingWrittenAfterDelete() {
    for (const Grave& g : g_graves)
        for (size_t i = 0; i < g.size; ++i)
            if (static_cast<const unsigned char*>(g.p)[i] != kPoison) return false;
    return true;
}

void FreeGraves() {
    for (const Grave& g : g_graves)
        ::operator delete(g.p);
    g_graves.clear();
}

// GCC pairs the class's delete below with the global new of the deleting destructors it
// generates and warns; both sides are the global heap here.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// T whose delete poisons the memory and keeps it.
template <class T> class Poisoned : public T {
  public:
    static void* operator new(size_t size) { return ::operator new(size); }
    static void operator delete(void* p, size_t size) {
        memset(p, kPoison, size);
        g_graves.push_back({p, size});
    }
};

CView* NewPoisonedView() {
    return new Poisoned<CVantrelView>;
}
CView* NoView() {
    return nullptr;
}

class LifetimeTest : public MainFrameTest {
  protected:
    void TearDown() override {
        MainFrameTest::TearDown();
        FreeGraves();
    }
    // A main frame with its list view, as the program makes them.
    void CreateMainWindow() {
        ASSERT_NO_FATAL_FAILURE(
            MainFrameTest::CreateMainWindow(new Poisoned<CMainFrame>, NewPoisonedView));
        frame->InitialUpdateFrame();
        frame->KillTimer(kStartupTimerId); // the tests start the first listing themselves
    }
    void ExpectBothGoneUntouched() {
        EXPECT_TRUE(IsBuried(frame)) << "the frame was not deleted";
        EXPECT_TRUE(IsBuried(view)) << "the view was not deleted";
        EXPECT_TRUE(NothingWrittenAfterDelete()) << "a window object was written after its delete";
    }
};

TEST_F(LifetimeTest, AFrameClosedByItsOwnMessageIsDeletedOnceTheMessageIsDone) {
    CreateMainWindow();
    frame->SendMessage(WM_CLOSE);
    ExpectBothGoneUntouched();
}

TEST_F(LifetimeTest, AFrameWhoseViewCannotBeCreatedEndsWithoutBeingTouchedAfterwards) {
    CSingleDocTemplate noView(IDR_MAINFRAME, nullptr, nullptr, NoView);
    CCreateContext context;
    context.pTemplate = &noView;
    CMainFrame* failing = new Poisoned<CMainFrame>;
    EXPECT_FALSE(failing->LoadFrame(IDR_MAINFRAME, &context));
    EXPECT_TRUE(IsBuried(failing)) << "a frame whose creation failed ends with its window";
    EXPECT_TRUE(NothingWrittenAfterDelete());
}

// Closes the main window from inside a message box's loop, as a close request from another
// program does while the box is up.
int CloseFromInsideTheBox(const std::string& text, UINT) {
    AppTest::s_messages.push_back(text);
    CWnd* pFrame = theApp.m_pMainWnd;
    HWND hFrame = pFrame ? pFrame->m_hWnd : nullptr;
    if (hFrame) {
        PostMessageA(hFrame, WM_CLOSE, 0, 0);
        AppTest::PumpUntil([&] { return !IsWindow(hFrame); });
    }
    return IDOK;
}

TEST_F(LifetimeTest, ClosedWhileTheFirstRunWarningIsUpTheWarningIsDueAgainAndNothingIsTouched) {
    CreateMainWindow();
    AfxSetMessageBoxHook(CloseFromInsideTheBox);
    frame->SendMessage(WM_TIMER, kStartupTimerId); // the first listing, with the warning
    ASSERT_EQ(1u, s_messages.size());
    EXPECT_EQ(kFirstRunWarning, s_messages[0]);
    ExpectBothGoneUntouched();
    EXPECT_EQ(1, theApp.m_settings.GetInt(kSectionNewbie, kValueStart, 1));
    EXPECT_FALSE(scratch.Exists(kSectionNewbie)) << "the warning was not read: nothing stored";
    EXPECT_TRUE(scratch.Exists(kSectionGrid)) << "the column widths are saved as on any close";
}

TEST_F(LifetimeTest, TheColumnWidthsAreKeptWhenTheSessionEndsWithTheWindowOpen) {
    CreateMainWindow();
    frame->SendMessage(WM_ENDSESSION, FALSE, 0); // the shutdown was cancelled
    EXPECT_FALSE(scratch.Exists(kSectionGrid));
    frame->SendMessage(WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(scratch.Exists(kSectionGrid));
}

TEST_F(LifetimeTest, ClosedWhileTheFavoritesDialogIsOpenTheCommandEndsWithoutTouchingTheView) {
    CreateMainWindow();
    theApp.m_settings.SetInt(kSectionSetting, kValueGentle, 0);
    HWND hFrame = frame->m_hWnd;
    DialogDriver driver;
    driver.Until([] { return FindDialog("Favorites") != nullptr; }).Then([hFrame] {
        PostMessageA(hFrame, WM_CLOSE, 0, 0);
    });
    frame->SendCommand(ID_EDIT_FAVORITES);
    EXPECT_FALSE(IsWindow(hFrame));
    ExpectBothGoneUntouched();
    EXPECT_EQ("0", theApp.m_settings.GetString(kSectionSetting, kValueGentle, ""))
        << "nothing was stored";
}

TEST_F(LifetimeTest, ClosingAFrameGivesBackItsToolbarBitmap) {
    auto openAndClose = [] {
        CMainFrame* f = new CMainFrame;
        ASSERT_TRUE(f->LoadFrame(IDR_MAINFRAME, nullptr));
        f->SendMessage(WM_CLOSE);
    };
    openAndClose(); // the first frame loads what every later one shares
    const long before = GdiObjectCount();
    if (before < 0) GTEST_SKIP() << "GDI objects cannot be counted here";
    for (int i = 0; i < 10; ++i)
        openAndClose();
    EXPECT_EQ(before, GdiObjectCount()) << GdiCountSource();
}

} // namespace
