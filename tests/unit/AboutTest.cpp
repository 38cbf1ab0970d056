// The About box and its links in real dialogs on the virtual display: what a click opens, how
// the links are drawn (read back from the screen) and how they follow the pointer. Only the
// shell and the beep are recorded instead of being called.
#include "res/resource.h"
#include "ui/AboutDlg.h"
#include "unit/AppTestEnv.h"
#include "unit/DialogDriver.h"

#include <algorithm>
#include <functional>

namespace {

const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kPurple = RGB(128, 0, 128);

struct ShellCall {
    bool bOwner, bParams, bDirectory;
    std::string verb, file;
    INT nShow;
};
std::vector<ShellCall> g_opened;
INT_PTR g_shellResult = 42;
std::vector<UINT> g_beeps;

HINSTANCE WINAPI RecordShellExecute(HWND hWnd, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR dir,
                                    INT nShow) {
    g_opened.push_back({hWnd != nullptr, params != nullptr, dir != nullptr, verb ? verb : "",
                        file ? file : "", nShow});
    return reinterpret_cast<HINSTANCE>(g_shellResult);
}

BOOL WINAPI RecordBeep(UINT nType) {
    g_beeps.push_back(nType);
    return TRUE;
}

// A window's client area as it is on the screen, read back through its device context.
class Pixels {
  public:
    explicit Pixels(HWND hWnd) {
        RECT rc;
        GetClientRect(hWnd, &rc);
        w = rc.right;
        h = rc.bottom;
        HDC hdc = GetDC(hWnd);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                px.push_back(GetPixel(hdc, x, y));
        ReleaseDC(hWnd, hdc);
    }
    COLORREF At(int x, int y) const { return px[size_t(y * w + x)]; }
    int Count(COLORREF c) const { return int(std::count(px.begin(), px.end(), c)); }
    // The smallest rectangle holding every pixel that differs from the background.
    RECT Ink(COLORREF background) const {
        RECT r = {w, h, -1, -1};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (At(x, y) != background)
                    r = {std::min<LONG>(r.left, x), std::min<LONG>(r.top, y),
                         std::max<LONG>(r.right, x + 1), std::max<LONG>(r.bottom, y + 1)};
        return r;
    }
    // The longest horizontal line of colour c and the row it is in.
    int LongestRun(COLORREF c, int* pRow) const {
        int best = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0, run = 0; x < w; ++x) {
                run = At(x, y) == c ? run + 1 : 0;
                if (run > best) best = run, *pRow = y;
            }
        return best;
    }
    int w, h;
    std::vector<COLORREF> px;
};

SIZE TextExtent(HWND hWnd, HFONT hFont) {
    char text[256] = "";
    GetWindowTextA(hWnd, text, sizeof text);
    HDC hdc = GetDC(hWnd);
    HGDIOBJ old = SelectObject(hdc, hFont);
    SIZE size = {0, 0};
    GetTextExtentPoint32A(hdc, text, lstrlenA(text), &size);
    SelectObject(hdc, old);
    ReleaseDC(hWnd, hdc);
    return size;
}

// A press and release of the left button on the control, as the static receives them.
void Click(CWnd& link) {
    link.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    link.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}
void Move(CWnd& link, int x, int y) {
    link.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

HCURSOR Hand() {
    return LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_HAND));
}
HCURSOR Arrow() {
    return LoadCursor(nullptr, IDC_ARROW);
}

class LinkTest : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        g_opened.clear();
        g_beeps.clear();
        g_shellResult = 42;
        saved = SetLinkShell({RecordShellExecute, RecordBeep});
        theApp.m_bMailVisited = theApp.m_bWebVisited = 0;
    }
    void TearDown() override {
        SetLinkShell(saved);
        theApp.m_bMailVisited = theApp.m_bWebVisited = 0;
        AppTest::TearDown();
    }

    // Runs the About command; body runs inside the modal box, which its OK button then closes.
    void RunAbout(const std::function<void(CAboutDlg&)>& body) {
        const char kCaption[] = "About Vantrel";
        DialogDriver driver;
        // One step: the body may wait for messages, and its loop runs the driver's ticks.
        driver.Until([&] { return FindDialog(kCaption) != nullptr; }).Then([&] {
            HWND hDlg = FindDialog(kCaption);
            UpdateWindow(hDlg);
            body(*static_cast<CAboutDlg*>(CWnd::FromHandlePermanent(hDlg)));
            ClickButton(hDlg, IDOK);
        });
        EXPECT_TRUE(
            driver.Run([] { return INT_PTR(theApp.OnCmdMsg(ID_APP_ABOUT, 0, false, nullptr)); }));
    }

    LinkShell saved = {};
};

TEST_F(LinkTest, MailGetsMailtoOnceAndTheWebLinkOpensItsText) {
    RunAbout([&](CAboutDlg& dlg) {
        EXPECT_EQ(&theApp.m_bMailVisited, dlg.m_wndMailLink.m_pbVisited);
        EXPECT_EQ(&theApp.m_bWebVisited, dlg.m_wndWebLink.m_pbVisited);
        EXPECT_TRUE(dlg.m_wndMailLink.GetStyle() & SS_NOTIFY) << "drawing makes it report clicks";
        Click(dlg.m_wndMailLink);
        EXPECT_EQ(1, theApp.m_bMailVisited);
        EXPECT_EQ(0, theApp.m_bWebVisited);
        Click(dlg.m_wndMailLink);
        Click(dlg.m_wndWebLink);
    });
    ASSERT_EQ(3u, g_opened.size());
    EXPECT_EQ("mailto:support@vantrel.example", g_opened[0].file);
    EXPECT_EQ(g_opened[0].file, g_opened[1].file) << "no second prefix";
    EXPECT_EQ("https://www.vantrel.example/", g_opened[2].file);
    for (const ShellCall& call : g_opened) {
        EXPECT_EQ("open", call.verb);
        EXPECT_EQ(SW_SHOWNORMAL, call.nShow);
        EXPECT_FALSE(call.bOwner || call.bParams || call.bDirectory);
    }
    EXPECT_EQ(1, theApp.m_bWebVisited);
    EXPECT_TRUE(g_beeps.empty());
}

TEST_F(LinkTest, AFailedOpenBeepsAndTheLinkStaysBlue) {
    g_shellResult = 32; // the highest failure code
    RunAbout([&](CAboutDlg& dlg) {
        Click(dlg.m_wndWebLink);
        EXPECT_EQ(1, dlg.m_wndWebLink.m_bPauseHover) << "hover pauses after a failure too";
        RedrawWindow(dlg.m_hWnd, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pixels web(dlg.m_wndWebLink);
        EXPECT_GT(web.Count(kBlue), 50);
        EXPECT_EQ(0, web.Count(kPurple));
    });
    EXPECT_EQ(1u, g_opened.size());
    EXPECT_EQ(std::vector<UINT>{0}, g_beeps);
    EXPECT_EQ(0, theApp.m_bWebVisited);
}

TEST_F(LinkTest, AnOpenedLinkTurnsPurpleAndStaysSoInLaterBoxes) {
    RunAbout([&](CAboutDlg& dlg) {
        const int blue = Pixels(dlg.m_wndWebLink).Count(kBlue);
        EXPECT_GT(blue, 50);
        Click(dlg.m_wndWebLink);
        UpdateWindow(dlg.m_wndWebLink); // the click invalidated the control
        Pixels web(dlg.m_wndWebLink);
        EXPECT_EQ(blue, web.Count(kPurple));
        EXPECT_EQ(0, web.Count(kBlue));
    });
    RunAbout([&](CAboutDlg& dlg) {
        Pixels web(dlg.m_wndWebLink), mail(dlg.m_wndMailLink);
        EXPECT_GT(web.Count(kPurple), 50);
        EXPECT_EQ(0, web.Count(kBlue));
        EXPECT_GT(mail.Count(kBlue), 50);
        EXPECT_EQ(0, mail.Count(kPurple));
    });
}

// A restart is a new process: this test runs only as the child that the next test starts.
TEST_F(LinkTest, FreshProcessShowsBothLinksBlue) {
    char done[64] = ""; // the event that tells the parent this test ran
    if (!GetEnvironmentVariableA("VANTREL_ABOUT_CHILD", done, sizeof done))
        GTEST_SKIP() << "runs as the child of BothLinksAreBlueAgainAfterARestart";
    EXPECT_EQ(0, theApp.m_bMailVisited);
    EXPECT_EQ(0, theApp.m_bWebVisited);
    RunAbout([&](CAboutDlg& dlg) {
        EXPECT_GT(Pixels(dlg.m_wndMailLink).Count(kBlue), 50);
        EXPECT_GT(Pixels(dlg.m_wndWebLink).Count(kBlue), 50);
        EXPECT_EQ(0, Pixels(dlg.m_wndMailLink).Count(kPurple));
        EXPECT_EQ(0, Pixels(dlg.m_wndWebLink).Count(kPurple));
    });
    HANDLE hDone = OpenEventA(EVENT_MODIFY_STATE, FALSE, done);
    ASSERT_NE(nullptr, hDone);
    SetEvent(hDone);
    CloseHandle(hDone);
}

TEST_F(LinkTest, BothLinksAreBlueAgainAfterARestart) {
    RunAbout([&](CAboutDlg& dlg) {
        Click(dlg.m_wndMailLink);
        Click(dlg.m_wndWebLink);
    });
    ASSERT_EQ(1, theApp.m_bMailVisited & theApp.m_bWebVisited);
    EXPECT_EQ(0u, scratch.ValueCount()) << "the visited flags are never stored";

    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string cmd = std::string("\"") + exe + "\" --gtest_filter=LinkTest.FreshProcess*";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    const std::string done = "VantrelAboutChild" + std::to_string(GetCurrentProcessId());
    HANDLE hDone = CreateEventA(nullptr, TRUE, FALSE, done.c_str());
    SetEnvironmentVariableA("VANTREL_ABOUT_CHILD", done.c_str());
    BOOL started =
        CreateProcessA(exe, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA("VANTREL_ABOUT_CHILD", nullptr);
    ASSERT_TRUE(started);
    CloseHandle(pi.hThread);
    DWORD code = 1;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000));
    GetExitCodeProcess(pi.hProcess, &code);
    if (code == STILL_ACTIVE) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(0u, code) << "the fresh process found a visited link";
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hDone, 0)) << "the child ran its test";
    CloseHandle(hDone);
}

TEST_F(LinkTest, HoverShowsTheHandAndRestsForASecondAfterAClick) {
    RunAbout([&](CAboutDlg& dlg) {
        CStaticLink& link = dlg.m_wndMailLink;
        RECT rc;
        link.GetClientRect(&rc);
        ASSERT_NE(nullptr, Hand());

        Move(link, rc.right / 2, rc.bottom / 2);
        EXPECT_EQ(link.m_hWnd, GetCapture());
        EXPECT_EQ(Hand(), GetCursor());
        Move(link, rc.right, rc.bottom / 2); // just beyond the right edge
        EXPECT_EQ(nullptr, GetCapture());
        EXPECT_EQ(Arrow(), GetCursor());
        EXPECT_EQ(0, link.m_bCaptured);

        Move(link, 0, 0);
        ASSERT_EQ(1, link.m_bCaptured);
        const DWORD clicked = GetTickCount();
        Click(link);
        EXPECT_EQ(nullptr, GetCapture());
        EXPECT_EQ(0, link.m_bCaptured);
        EXPECT_EQ(Arrow(), GetCursor());

        // Resting: moves on and off the link change neither the capture nor the cursor.
        HCURSOR cross = LoadCursor(nullptr, IDC_CROSS);
        SetCursor(cross);
        Move(link, 1, 1);
        EXPECT_EQ(nullptr, GetCapture());
        Move(link, -1, 1);
        EXPECT_EQ(cross, GetCursor());
        EXPECT_EQ(0, link.m_bCaptured);

        EXPECT_TRUE(PumpUntil([&] { return link.m_bPauseHover == 0; }, 5000));
        EXPECT_GE(GetTickCount() - clicked, 950u);
        Move(link, 1, 1);
        EXPECT_EQ(link.m_hWnd, GetCapture()) << "hover tracking resumes";
        EXPECT_EQ(Hand(), GetCursor());
        Move(link, 1, rc.bottom);
        EXPECT_EQ(nullptr, GetCapture());
    });
}

TEST_F(LinkTest, TheRealPointerOnALinkTakesTheCapture) {
    RunAbout([&](CAboutDlg& dlg) {
        RECT rc;
        GetWindowRect(dlg.m_wndWebLink, &rc);
        const int y = (rc.top + rc.bottom) / 2;
        SetCursorPos((rc.left + rc.right) / 2, y);
        EXPECT_TRUE(PumpUntil([&] { return GetCapture() == dlg.m_wndWebLink.m_hWnd; }));
        SetCursorPos(rc.right + 20, y);
        EXPECT_TRUE(PumpUntil([&] { return GetCapture() == nullptr; }));
        EXPECT_EQ(0, dlg.m_wndWebLink.m_bCaptured);
    });
    SetCursorPos(0, 0);
}

TEST_F(LinkTest, LinksAreUnderlinedInTheDialogFontOverTheDialogBackground) {
    RunAbout([&](CAboutDlg& dlg) {
        HFONT dlgFont = reinterpret_cast<HFONT>(dlg.SendMessage(WM_GETFONT));
        const COLORREF background = Pixels(dlg).At(2, 2);
        for (CStaticLink* link : {&dlg.m_wndMailLink, &dlg.m_wndWebLink}) {
            LOGFONTA want = {}, got = {};
            GetObjectA(dlgFont, sizeof want, &want);
            ASSERT_EQ(int(sizeof got), GetObjectA(link->m_font, sizeof got, &got));
            EXPECT_STREQ(want.lfFaceName, got.lfFaceName);
            EXPECT_EQ(want.lfHeight, got.lfHeight);
            EXPECT_EQ(want.lfWeight, got.lfWeight);
            EXPECT_TRUE(got.lfUnderline);

            Pixels p(*link);
            const SIZE text = TextExtent(*link, dlgFont);
            const RECT ink = p.Ink(background);
            EXPECT_NEAR(text.cx, ink.right - ink.left, 2) << link->GetWindowText();
            EXPECT_NEAR(p.w / 2, (ink.left + ink.right) / 2, 2) << "centred";
            int row = -1;
            EXPECT_GE(p.LongestRun(kBlue, &row), text.cx - 2) << "an underline across the text";
            EXPECT_GT(row, (ink.top + ink.bottom) / 2) << "under the text, not through it";
            // Smoothed glyph edges blend blue into the background; anything else (an opaque
            // fill, text in another colour) is not bluer than it is green.
            for (COLORREF c : p.px)
                if (c != background && GetBValue(c) <= GetGValue(c)) {
                    ADD_FAILURE() << std::hex << c << " behind " << link->GetWindowText();
                    break;
                }
        }
    });
}

// Link controls on statics of other kinds, without a font and without a visited flag.
class LinkControlTest : public LinkTest {
  protected:
    void TearDown() override {
        host.DestroyWindow();
        LinkTest::TearDown();
    }
    CStaticLink& Add(int id, const char* text, DWORD style) {
        if (!host.m_hWnd)
            host.CreateEx(0, "VantrelLinkHost", "links", WS_POPUP, 0, 0, 400, 200, nullptr,
                          nullptr);
        CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | style, 10, 10 + 30 * (id - 1),
                        300, 20, host, reinterpret_cast<HMENU>(INT_PTR(id)),
                        GetModuleHandleA(nullptr), nullptr);
        links[id - 1].SubclassDlgItem(UINT(id), &host);
        return links[id - 1];
    }
    void Show() {
        host.ShowWindow(SW_SHOWNOACTIVATE);
        UpdateWindow(host);
    }
    CWnd host;
    CStaticLink links[4];
};

TEST_F(LinkControlTest, OnlyPlainTextIsALinkAndMissingFontFlagOrTextAreSafe) {
    CStaticLink& left = Add(1, "left", SS_LEFT);
    CStaticLink& right = Add(2, "right", SS_RIGHT);
    CStaticLink& noPrefix = Add(3, "no&prefix", SS_CENTER | SS_NOPREFIX);
    CStaticLink& empty = Add(4, "", SS_LEFT);
    EXPECT_FALSE(left.GetStyle() & SS_NOTIFY);
    Show();
    for (CStaticLink* link : {&left, &right, &noPrefix})
        EXPECT_TRUE(link->GetStyle() & SS_NOTIFY);
    EXPECT_GT(Pixels(left).Count(kBlue), 10) << "no flag: unvisited";
    EXPECT_GT(Pixels(right).Count(kBlue), 10);
    EXPECT_EQ(0, Pixels(noPrefix).Count(kBlue));
    EXPECT_EQ(nullptr, noPrefix.m_font.Get());

    // A static without a font of its own draws in the system font.
    LOGFONTA system = {}, got = {};
    GetObjectA(GetStockObject(SYSTEM_FONT), sizeof system, &system);
    GetObjectA(left.m_font, sizeof got, &got);
    EXPECT_STREQ(system.lfFaceName, got.lfFaceName);
    EXPECT_EQ(system.lfHeight, got.lfHeight);
    EXPECT_TRUE(got.lfUnderline);

    Click(left); // opened, with no flag to set
    ASSERT_EQ(1u, g_opened.size());
    EXPECT_EQ("left", g_opened[0].file);
    Click(empty); // nothing to open: the shell is not asked
    EXPECT_EQ(1u, g_opened.size());
    EXPECT_EQ(std::vector<UINT>{0}, g_beeps);
}

TEST_F(LinkControlTest, TheUnderlinedFontIsMadeOnceAndDeletedWithTheControl) {
    CStaticLink& link = Add(1, "support@vantrel.example", SS_CENTER);
    Show();
    const HFONT font = link.m_font;
    ASSERT_NE(nullptr, font);
    for (int i = 0; i < 3; ++i) {
        link.Invalidate();
        UpdateWindow(link);
    }
    EXPECT_EQ(font, link.m_font.Get());
    link.DestroyWindow();
    EXPECT_EQ(nullptr, link.m_font.Get());
    EXPECT_EQ(0u, DWORD(GetObjectType(font))) << "the font is deleted";
}

} // namespace
