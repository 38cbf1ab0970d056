#include "frame/MainFrm.h"
#include "fw/App.h"
#include "view/VantrelView.h"
#include "res/resource.h"
#include "settings/RegSettings.h"
#include "settings/SettingNames.h"

#include <commctrl.h>

namespace {
// The single-precision 0.95 is a little below 0.95: a 1280-pixel work area gives 1215.
int NinetyFivePercent(int n) {
    return int(double(n) * double(0.95f));
}
} // namespace

bool IsPlacementUsable(const WindowPlacement& p, int W, int H) {
    // Only the left and top edges are tested against the work area; both must lie inside it,
    // or the window would open wholly off-screen.
    return p.cx > 0 && p.cy > 0 && p.x >= 0 && p.y >= 0 && p.cx <= W && p.cy <= H && p.x < W &&
           p.y < H;
}

WindowPlacement DefaultPlacement(int W, int H) {
    WindowPlacement p;
    p.cx = NinetyFivePercent(W);
    p.cy = NinetyFivePercent(H);
    p.x = (W - p.cx) / 2;
    p.y = (H - p.cy) / 2;
    return p;
}

CMainFrame::CMainFrame() : m_bSavePlacement(0) {}

void CMainFrame::StorePlacement(const WindowPlacement& p) {
    const CRegSettings& settings = ProgramSettings();
    settings.SetInt(kSectionScreen, kValueX, p.x);
    settings.SetInt(kSectionScreen, kValueY, p.y);
    settings.SetInt(kSectionScreen, kValueCx, p.cx);
    settings.SetInt(kSectionScreen, kValueCy, p.cy);
}

CMainFrame::~CMainFrame() {
    m_wndToolBar.DestroyWindow();
    m_wndStatusBar.DestroyWindow();
}

CVantrelView* CMainFrame::GetVantrelView() const {
    return static_cast<CVantrelView*>(GetActiveView());
}

void CMainFrame::GetWorkAreaSize(int* pWidth, int* pHeight) const {
    RECT rc = {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &rc, 0);
    *pWidth = rc.right - rc.left;
    *pHeight = rc.bottom - rc.top;
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTA& cs) {
    // The title bar shows the frame title alone: this frame never adds a document name.
    int W = 0, H = 0;
    GetWorkAreaSize(&W, &H);
    const CRegSettings& settings = ProgramSettings();
    WindowPlacement p = {
        settings.GetInt(kSectionScreen, kValueX, 0), settings.GetInt(kSectionScreen, kValueY, 0),
        settings.GetInt(kSectionScreen, kValueCx, 0), settings.GetInt(kSectionScreen, kValueCy, 0)};
    if (!IsPlacementUsable(p, W, H)) {
        p = DefaultPlacement(W, H);
        StorePlacement(p);
    }
    cs.x = p.x;
    cs.y = p.y;
    cs.cx = p.cx;
    cs.cy = p.cy;
    return CFrameWnd::PreCreateWindow(cs);
}

int CMainFrame::OnCreate(CREATESTRUCTA* pcs) {
    if (CFrameWnd::OnCreate(pcs) == -1) return -1;
    static const UINT indicators[] = {0, ID_INDICATOR_ACTIVITY};
    if (!m_wndToolBar.Create(this, TBSTYLE_FLAT | TBSTYLE_TOOLTIPS, AFX_IDW_TOOLBAR) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;
    if (!m_wndStatusBar.Create(this, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(indicators, 2))
        return -1;
    m_wndStatusBar.SetPaneText(0, AfxLoadString(AFX_IDS_IDLEMESSAGE).c_str());
    // The toolbar stays docked at the top: this frame offers no floating or re-docking, so
    // there is nothing to enable for it.
    return 0;
}

void CMainFrame::OnWindowPosChanged(const WINDOWPOS* pPos) {
    Default();
    if (!m_bSavePlacement) return;
    WINDOWPLACEMENT wpl = {};
    wpl.length = sizeof wpl;
    GetWindowPlacement(m_hWnd, &wpl);
    if (wpl.showCmd == SW_SHOWMINIMIZED || pPos->hwnd != m_hWnd) return;
    int x = pPos->x, y = pPos->y, cx = pPos->cx, cy = pPos->cy;
    if (wpl.showCmd == SW_SHOWMAXIMIZED) {
        // Maximised, the window keeps the size it restores to: that is the one to keep.
        const RECT& rc = wpl.rcNormalPosition;
        x = rc.left;
        y = rc.top;
        cx = rc.right - rc.left;
        cy = rc.bottom - rc.top;
    } else if (pPos->flags & (SWP_NOMOVE | SWP_NOSIZE)) {
        // A notification that did not move or size the window (a change of z-order, say)
        // carries no usable position or size: take those from the window itself.
        RECT rc;
        GetWindowRect(m_hWnd, &rc);
        if (pPos->flags & SWP_NOMOVE) {
            x = rc.left;
            y = rc.top;
        }
        if (pPos->flags & SWP_NOSIZE) {
            cx = rc.right - rc.left;
            cy = rc.bottom - rc.top;
        }
    }
    int W = 0, H = 0;
    GetWorkAreaSize(&W, &H);
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    if (cx > W) cx = W;
    if (cy > H) cy = H;
    StorePlacement({x, y, cx, cy});
}

void CMainFrame::OnClose() {
    if (CVantrelView* pView = GetVantrelView()) {
        if (pView->IsKillPassRunning()) {
            // Nothing is lost: the program closes when the pass has ended.
            pView->CloseAfterKillPass();
            return;
        }
        pView->ReleaseLibrary();
    }
    SaveColumnWidths();
    CFrameWnd::OnClose();
}

void CMainFrame::SaveColumnWidths() {
    CVantrelView* pView = GetVantrelView();
    if (!pView) return;
    HWND hHeader = pView->GetListCtrl().GetHeaderCtrl();
    for (int i = 0; i < 5; ++i) {
        HDITEMA item = {};
        item.mask = HDI_WIDTH;
        ::SendMessageA(hHeader, HDM_GETITEMA, WPARAM(i), reinterpret_cast<LPARAM>(&item));
        ProgramSettings().SetInt(kSectionGrid, ColumnValueName(i).c_str(), item.cxy);
    }
}

BOOL CMainFrame::SetStatusPaneText(int nIndex, const char* pszText) {
    UINT nID = 0, nStyle = 0;
    int cxWidth = 0;
    m_wndStatusBar.GetPaneInfo(nIndex, nID, nStyle, cxWidth);
    m_wndStatusBar.SetPaneInfo(nIndex, nID, nStyle, m_wndStatusBar.TextWidth(pszText) + 2);
    return m_wndStatusBar.SetPaneText(nIndex, pszText, TRUE);
}

void CMainFrame::InitialUpdateFrame() {
    CFrameWnd::InitialUpdateFrame();
    m_bSavePlacement = 1;
    StartStartupTimer();
}

void CMainFrame::StartStartupTimer() {
    SetTimer(kStartupTimerId, kStartupTimerDelay);
}

void CMainFrame::OnTimer(UINT_PTR nIDEvent) {
    Default();
    if (nIDEvent != kStartupTimerId) return;
    KillTimer(kStartupTimerId);
    if (CVantrelView* pView = GetVantrelView()) {
        // The first-run warning is modal: the program may be closed while it is up.
        CKeepAlive keep(pView);
        pView->StartupRefresh();
    }
}

LRESULT CMainFrame::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_WINDOWPOSCHANGED:
        OnWindowPosChanged(reinterpret_cast<const WINDOWPOS*>(lp));
        return 0;
    case WM_TIMER:
        OnTimer(UINT_PTR(wp));
        return 0;
    case WM_ENDSESSION:
        // Windows is shutting down or the person signs out: the process ends without a close,
        // so the column widths are kept now (the placement is kept as the window moves).
        if (wp) SaveColumnWidths();
        return 0;
    }
    return CFrameWnd::WindowProc(msg, wp, lp);
}
