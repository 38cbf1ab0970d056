#include "fw/Frame.h"
#include "fw/App.h"
#include "fw/Bars.h"
#include "fw/DocTemplate.h"
#include "fw/View.h"
#include "fw/afxres.h"

#include <commctrl.h>

namespace {
const char kFrameClass[] = "VantrelFrame";
}

CFrameWnd::CFrameWnd() : m_hAccelTable(nullptr), m_pViewActive(nullptr), m_pContext(nullptr) {}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA&) {
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, CCreateContext* pContext) {
    HINSTANCE hInst = AfxGetInstanceHandle();
    // The window title is the first part of the document string.
    std::string docString = AfxLoadString(nIDResource);
    m_strTitle = docString.substr(0, docString.find('\n'));

    RegisterWndClass(kFrameClass, nIDResource); // with the program's icon
    CREATESTRUCTA cs = {};
    cs.lpszClass = kFrameClass;
    cs.lpszName = m_strTitle.c_str();
    cs.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    cs.x = cs.y = cs.cx = cs.cy = int(CW_USEDEFAULT);
    cs.hMenu = LoadMenuA(hInst, MAKEINTRESOURCEA(nIDResource));
    cs.hInstance = hInst;
    if (!PreCreateWindow(cs)) return FALSE;
    m_hAccelTable = LoadAcceleratorsA(hInst, MAKEINTRESOURCEA(nIDResource));
    BOOL ok = FALSE;
    {
        // A window that fails in OnCreate is destroyed inside CreateEx; the frame then ends
        // with it, but only when this guard goes, after the last use of the object below.
        CKeepAlive keep(this);
        m_pContext = pContext;
        ok = CreateEx(cs.dwExStyle, kFrameClass, cs.lpszName, DWORD(cs.style), cs.x, cs.y, cs.cx,
                      cs.cy, nullptr, cs.hMenu);
        m_pContext = nullptr;
    }
    return ok; // nothing of the object is touched here: it may be gone
}

void CFrameWnd::InitialUpdateFrame() {
    if (m_pViewActive) m_pViewActive->OnInitialUpdate();
}

BOOL CFrameWnd::SetStatusPaneText(int nIndex, const char* pszText) {
    CStatusBar* pBar = GetStatusBar();
    return pBar ? pBar->SetPaneText(nIndex, pszText) : FALSE;
}

CDocument* CFrameWnd::GetActiveDocument() const {
    return m_pViewActive ? m_pViewActive->GetDocument() : nullptr;
}

CToolBar* CFrameWnd::GetToolBar() const {
    return static_cast<CToolBar*>(FromHandlePermanent(GetDlgItem(AFX_IDW_TOOLBAR)));
}

CStatusBar* CFrameWnd::GetStatusBar() const {
    return static_cast<CStatusBar*>(FromHandlePermanent(GetDlgItem(AFX_IDW_STATUS_BAR)));
}

int CFrameWnd::OnCreate(CREATESTRUCTA*) {
    if (m_pContext && m_pContext->pTemplate) {
        CView* pView = m_pContext->pTemplate->CreateView();
        if (!pView) return -1;
        RECT rc = {0, 0, 0, 0};
        if (!pView->Create(WS_CHILD | WS_VISIBLE | WS_BORDER, rc, this, AFX_IDW_PANE_FIRST)) {
            delete pView;
            return -1;
        }
        m_pViewActive = pView;
    }
    return 0;
}

namespace {
int HeightOf(const CWnd& wnd) {
    RECT rc;
    GetWindowRect(wnd.m_hWnd, &rc);
    return rc.bottom - rc.top;
}
} // namespace

void CFrameWnd::RecalcLayout() {
    // Each bar sizes itself to the frame's width; the frame takes the height it chose.
    RECT rc;
    GetClientRect(&rc);
    int top = rc.top, bottom = rc.bottom;
    if (CToolBar* pBar = GetToolBar()) {
        if (pBar->IsWindowVisible()) {
            pBar->SendMessage(TB_AUTOSIZE);
            top += HeightOf(*pBar);
        }
    }
    if (CStatusBar* pBar = GetStatusBar()) {
        if (pBar->IsWindowVisible()) {
            pBar->SendMessage(WM_SIZE, 0, MAKELPARAM(rc.right, rc.bottom));
            pBar->UpdateParts();
            bottom -= HeightOf(*pBar);
        }
    }
    if (m_pViewActive && m_pViewActive->m_hWnd)
        MoveWindow(m_pViewActive->m_hWnd, rc.left, top, rc.right - rc.left,
                   bottom > top ? bottom - top : 0, TRUE);
}

bool CFrameWnd::RouteCmdMsg(UINT nID, CCmdUI* pCmdUI) {
    if (m_pViewActive) {
        // A command of the view may run a modal loop in which the program is closed: the view
        // stays alive until its handler has returned.
        CView* pView = m_pViewActive;
        CKeepAlive keep(pView);
        if (pView->OnCmdMsg(nID, 0, false, pCmdUI)) return true;
    }
    if (CDocument* pDoc = GetActiveDocument())
        if (pDoc->OnCmdMsg(nID, 0, false, pCmdUI)) return true;
    if (OnCmdMsg(nID, 0, false, pCmdUI)) return true;
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->OnCmdMsg(nID, 0, false, pCmdUI);
}

bool CFrameWnd::UpdateCmdUI(CCmdUI* pCmdUI) {
    pCmdUI->m_bHandled = false;
    RouteCmdMsg(pCmdUI->m_nID, pCmdUI);
    if (!pCmdUI->m_bHandled)
        pCmdUI->Enable(FALSE); // no handler anywhere: the command is not available
    return pCmdUI->m_bHandled;
}

BOOL CFrameWnd::OnCommand(WPARAM wp, LPARAM lp) {
    const UINT nID = LOWORD(wp);
    CToolBar* pBar = GetToolBar();
    const bool fromToolBar = pBar && lp == reinterpret_cast<LPARAM>(pBar->m_hWnd);
    if (lp != 0 && !fromToolBar)
        return CWnd::OnCommand(wp, lp); // a notification from a child control
    // Menus, accelerators and toolbar buttons: only commands that are enabled now run,
    // so that an accelerator cannot reach a command its menu item shows disabled.
    CCmdUI probe;
    probe.m_nID = nID;
    UpdateCmdUI(&probe);
    if (!probe.m_bHandled || !probe.m_bEnabled) return TRUE;
    RouteCmdMsg(nID, nullptr);
    return TRUE;
}

namespace {
// A command's state shown on its item of a popup menu.
class CMenuCmdUI : public CCmdUI {
  public:
    CMenuCmdUI(HMENU hMenu, UINT nIndex, UINT nID) : m_hMenu(hMenu), m_nIndex(nIndex) {
        m_nID = nID;
    }
    void Enable(BOOL bOn) override {
        CCmdUI::Enable(bOn);
        EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : MF_GRAYED));
    }
    void SetCheck(int nCheck) override {
        CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
    }

  private:
    HMENU m_hMenu;
    UINT m_nIndex; // the item's position in the popup
};
} // namespace

void CFrameWnd::OnInitMenuPopup(HMENU hMenu) {
    const int count = GetMenuItemCount(hMenu);
    for (int i = 0; i < count; ++i) {
        UINT id = GetMenuItemID(hMenu, i);
        if (id == 0 || id == UINT(-1)) continue; // separators and sub-menus
        CMenuCmdUI ui(hMenu, UINT(i), id);
        UpdateCmdUI(&ui);
    }
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message < WM_KEYFIRST || pMsg->message > WM_KEYLAST || !m_hAccelTable) return FALSE;
    // Only for this window and its children: a modal dialog runs its own loop.
    if (GetAncestor(pMsg->hwnd, GA_ROOT) != m_hWnd) return FALSE;
    return TranslateAcceleratorA(m_hWnd, m_hAccelTable, pMsg) ? TRUE : FALSE;
}

void CFrameWnd::OnIdleUpdateCmdUI() {
    CToolBar* pBar = GetToolBar();
    if (!pBar || !pBar->IsWindowVisible()) return;
    for (int i = 0; i < pBar->GetButtonCount(); ++i) {
        UINT id = pBar->GetItemID(i);
        if (id == 0) continue;
        CToolCmdUI ui(pBar, id);
        UpdateCmdUI(&ui);
    }
}

void CFrameWnd::SetMessageText(const std::string& text) {
    CFrameWnd::SetStatusPaneText(0, text.c_str()); // the prompt pane stretches: no resizing
}

namespace {
// The status-bar prompt of a command: its string up to the newline.
std::string PromptOf(UINT nID) {
    std::string s = AfxLoadString(nID);
    return s.substr(0, s.find('\n'));
}
} // namespace

void CFrameWnd::OnMenuSelect(UINT nID, UINT nFlags, HMENU hMenu) {
    if (nFlags == 0xFFFF && !hMenu) {
        SetMessageText(AfxLoadString(AFX_IDS_IDLEMESSAGE)); // the menu closed
        return;
    }
    if (nFlags & (MF_POPUP | MF_SEPARATOR)) {
        SetMessageText("");
    } else if (nFlags & MF_SYSMENU) {
        // System commands (SC_SIZE, SC_MOVE, ... 16 apart) have one prompt each, in order.
        const UINT nPrompt = AFX_IDS_SCFIRST + ((nID & 0xFFF0) - SC_SIZE) / 16;
        SetMessageText(nID >= SC_SIZE ? PromptOf(nPrompt) : "");
    } else {
        SetMessageText(PromptOf(nID));
    }
}

LRESULT CFrameWnd::OnNotify(NMHDR* pnmh) {
    // A control of ours that handles its own notifications (the list's column clicks).
    LRESULT result = 0;
    if (ReflectToChild(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(pnmh), &result)) return result;
    if (pnmh->code == TTN_GETDISPINFOA) {
        // Toolbar tooltips: the part of the command's string after the newline.
        NMTTDISPINFOA* pInfo = reinterpret_cast<NMTTDISPINFOA*>(pnmh);
        std::string s = AfxLoadString(UINT(pnmh->idFrom));
        size_t nl = s.find('\n');
        std::string tip = nl == std::string::npos ? s : s.substr(nl + 1);
        lstrcpynA(pInfo->szText, tip.c_str(), sizeof pInfo->szText);
        pInfo->lpszText = pInfo->szText;
        return 0;
    }
    if (pnmh->code == TBN_HOTITEMCHANGE) {
        NMTBHOTITEM* pHot = reinterpret_cast<NMTBHOTITEM*>(pnmh);
        if (pHot->dwFlags & HICF_LEAVING)
            SetMessageText(AfxLoadString(AFX_IDS_IDLEMESSAGE));
        else
            SetMessageText(PromptOf(UINT(pHot->idNew)));
        return 0;
    }
    return Default();
}

void CFrameWnd::OnClose() {
    DestroyWindow();
}

void CFrameWnd::PostNcDestroy() {
    CWinApp* pApp = AfxGetApp();
    if (pApp && pApp->m_pMainWnd == this) {
        pApp->m_pMainWnd = nullptr;
        PostQuitMessage(0);
    }
    delete this; // frames live on the heap and end with their window
}

LRESULT CFrameWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        if (CWnd::WindowProc(msg, wp, lp) == -1) return -1;
        return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lp));
    case WM_SIZE:
        if (wp != SIZE_MINIMIZED) RecalcLayout();
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_DESTROY:
        // The view goes with its window, before the frame's: from now on there is none.
        m_pViewActive = nullptr;
        return Default();
    case WM_INITMENUPOPUP:
        if (!HIWORD(lp)) OnInitMenuPopup(reinterpret_cast<HMENU>(wp));
        return 0;
    case WM_MENUSELECT:
        OnMenuSelect(LOWORD(wp), HIWORD(wp), reinterpret_cast<HMENU>(lp));
        return 0;
    case WM_EXITMENULOOP:
        SetMessageText(AfxLoadString(AFX_IDS_IDLEMESSAGE));
        return 0;
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_SETFOCUS:
        if (m_pViewActive && m_pViewActive->m_hWnd) ::SetFocus(m_pViewActive->m_hWnd);
        return 0;
    }
    return CWnd::WindowProc(msg, wp, lp);
}

BEGIN_COMMAND_MAP(CFrameWnd, CWnd)
ON_COMMAND(ID_VIEW_TOOLBAR, OnViewToolBar)
ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateViewToolBar)
ON_COMMAND(ID_VIEW_STATUS_BAR, OnViewStatusBar)
ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateViewStatusBar)
ON_COMMAND(ID_APP_EXIT, OnAppExit)
END_COMMAND_MAP()

void CFrameWnd::ToggleBar(CWnd* pBar) {
    if (!pBar) return;
    pBar->ShowWindow(pBar->IsWindowVisible() ? SW_HIDE : SW_SHOW);
    RecalcLayout();
}

namespace {
// A bar's toggle is available while the bar exists and checked while it is shown.
void UpdateBarToggle(CCmdUI* pCmdUI, CWnd* pBar) {
    pCmdUI->Enable(pBar != nullptr);
    pCmdUI->SetCheck(pBar && pBar->IsWindowVisible());
}
} // namespace

void CFrameWnd::OnViewToolBar() {
    ToggleBar(GetToolBar());
}
void CFrameWnd::OnUpdateViewToolBar(CCmdUI* pCmdUI) {
    UpdateBarToggle(pCmdUI, GetToolBar());
}
void CFrameWnd::OnViewStatusBar() {
    ToggleBar(GetStatusBar());
}
void CFrameWnd::OnUpdateViewStatusBar(CCmdUI* pCmdUI) {
    UpdateBarToggle(pCmdUI, GetStatusBar());
}

// Exit asks the frame to close, exactly as the close box does.
void CFrameWnd::OnAppExit() {
    PostMessage(WM_CLOSE);
}
