#include "fw/Bars.h"
#include "win/Utf8.h"
#include "fw/App.h"
#include "fw/afxres.h"

#include <commctrl.h>

BOOL CToolBar::Create(CWnd* pParent, DWORD dwCtrlStyle, UINT nID) {
    // The frame places the bar itself (RecalcLayout).
    const DWORD style = WS_CHILD | WS_VISIBLE | CCS_TOP | CCS_NODIVIDER | dwCtrlStyle;
    if (!CWnd::CreateEx(0, TOOLBARCLASSNAMEA, "", style, 0, 0, 0, 0, pParent->m_hWnd,
                        reinterpret_cast<HMENU>(UINT_PTR(nID))))
        return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource) {
    HINSTANCE hInst = AfxGetInstanceHandle();
    HRSRC hRes =
        FindResourceA(hInst, MAKEINTRESOURCEA(nIDResource), MAKEINTRESOURCEA(RT_TOOLBAR_TYPE));
    if (!hRes) return FALSE;
    const DWORD size = SizeofResource(hInst, hRes);
    const WORD* data = static_cast<const WORD*>(LockResource(LoadResource(hInst, hRes)));
    if (!data || size < 8 || data[0] != 1) return FALSE;
    const WORD cx = data[1], cy = data[2], count = data[3];
    if (size < 8u + 2u * count) return FALSE;
    m_ids.assign(data + 4, data + 4 + count);

    // Light grey in the bitmap becomes the button face colour.
    CGdiObject<HBITMAP> bitmap(static_cast<HBITMAP>(
        LoadImageA(hInst, MAKEINTRESOURCEA(nIDResource), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
    if (!bitmap.IsValid()) return FALSE;
    BITMAP bm;
    GetObject(bitmap, sizeof bm, &bm);
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(cx, cy));
    TBADDBITMAP tbab = {nullptr, reinterpret_cast<UINT_PTR>(bitmap.Get())};
    if (SendMessage(TB_ADDBITMAP, WPARAM(bm.bmWidth / (cx ? cx : 1)),
                    reinterpret_cast<LPARAM>(&tbab)) == -1)
        return FALSE; // the bitmap is deleted on the way out
    // A bitmap given by handle may be drawn from for the toolbar's whole life on some
    // systems: kept with the toolbar, deleted when the wrapper goes.
    m_bitmap = std::move(bitmap);

    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (UINT id : m_ids) {
        TBBUTTON b = {};
        if (id == 0) {
            b.fsStyle = TBSTYLE_SEP;
            b.iBitmap = 6;
        } else {
            b.iBitmap = image++;
            b.idCommand = int(id);
            b.fsState = TBSTATE_ENABLED;
            b.fsStyle = TBSTYLE_BUTTON;
        }
        buttons.push_back(b);
    }
    if (!SendMessage(TB_ADDBUTTONS, buttons.size(), reinterpret_cast<LPARAM>(buttons.data())))
        return FALSE;
    SendMessage(TB_AUTOSIZE);
    return TRUE;
}

void CToolCmdUI::Enable(BOOL bOn) {
    CCmdUI::Enable(bOn);
    m_pToolBar->SendMessage(TB_ENABLEBUTTON, m_nID, MAKELPARAM(bOn ? TRUE : FALSE, 0));
}

void CToolCmdUI::SetCheck(int nCheck) {
    m_pToolBar->SendMessage(TB_CHECKBUTTON, m_nID, MAKELPARAM(nCheck ? TRUE : FALSE, 0));
}

BOOL CStatusBar::Create(CWnd* pParent, UINT nID) {
    // CCS_BOTTOM and a size grip are what a status bar at the bottom of a frame looks like;
    // the frame places it itself.
    const DWORD style = WS_CHILD | WS_VISIBLE | CCS_BOTTOM | SBARS_SIZEGRIP;
    return CWnd::CreateEx(0, STATUSCLASSNAMEA, "", style, 0, 0, 0, 0, pParent->m_hWnd,
                          reinterpret_cast<HMENU>(UINT_PTR(nID)));
}

BOOL CStatusBar::SetIndicators(const UINT* pIDs, int nCount) {
    m_panes.clear();
    std::vector<std::string> texts;
    for (int i = 0; i < nCount; ++i) {
        texts.push_back(pIDs[i] != 0 ? AfxLoadString(pIDs[i]) : std::string());
        m_panes.push_back({pIDs[i], 0, pIDs[i] != 0 ? TextWidth(texts.back()) : 0});
    }
    UpdateParts(); // the parts exist before their texts are set
    for (int i = 0; i < nCount; ++i)
        SendMessage(SB_SETTEXTA, WPARAM(i), reinterpret_cast<LPARAM>(texts[size_t(i)].c_str()));
    return TRUE;
}

void CStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const {
    const Pane& p = m_panes[size_t(nIndex)];
    nID = p.nID;
    nStyle = p.nStyle;
    cxWidth = p.cxText;
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth) {
    Pane& p = m_panes[size_t(nIndex)];
    p.nID = nID;
    p.nStyle = nStyle;
    p.cxText = cxWidth;
    UpdateParts();
}

BOOL CStatusBar::SetPaneText(int nIndex, const char* pszText, BOOL bUpdate) {
    if (nIndex < 0 || size_t(nIndex) >= m_panes.size()) return FALSE;
    // Wide: a pane may name a process in any script.
    const std::wstring wide = WideFromUtf8(pszText ? pszText : "");
    BOOL ok = SendMessage(SB_SETTEXTW, WPARAM(nIndex), reinterpret_cast<LPARAM>(wide.c_str())) != 0;
    if (bUpdate) UpdateWindow(m_hWnd);
    return ok;
}

void CStatusBar::UpdateParts() {
    if (m_panes.empty()) return;
    RECT rc;
    GetClientRect(&rc);
    int borders[3] = {0, 0, 0};
    SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    // Each pane's text area plus the control's frame around it; what is left goes to pane 0.
    const int grip = GetSystemMetrics(SM_CXVSCROLL);
    const int frame = 2 * borders[0] + borders[2];
    std::vector<int> rights(m_panes.size());
    int right = rc.right - grip;
    for (size_t i = m_panes.size(); i-- > 1;) {
        rights[i] = right;
        right -= m_panes[i].cxText + frame;
    }
    if (m_panes.size() > 1) rights[0] = right > 0 ? right : 0;
    rights.back() = -1; // the last pane runs to the edge, under the size grip
    SendMessage(SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.data()));
}
