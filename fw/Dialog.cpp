#include "fw/Dialog.h"
#include "fw/App.h"
#include "fw/Controls.h"
#include "win/AnsiOnly.h"
#include "win/Utf8.h"

#include <algorithm>
#include <cstdio>

HWND CDataExchange::PrepareCtrl(int nID) {
    m_hWndLastControl = m_pDlgWnd->GetDlgItem(nID);
    return m_hWndLastControl;
}

void CDataExchange::Fail() {
    m_bFailed = true;
    if (m_hWndLastControl) {
        SetFocus(m_hWndLastControl);
        SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
}

void DDX_Control(CDataExchange* pDX, int nID, CWnd& rControl) {
    if (!rControl.m_hWnd) rControl.Attach(pDX->PrepareCtrl(nID));
}

void DDX_Check(CDataExchange* pDX, int nID, int& value) {
    HWND hCtrl = pDX->PrepareCtrl(nID);
    if (pDX->m_bSaveAndValidate)
        value = SendMessageA(hCtrl, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    else
        SendMessageA(hCtrl, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DDX_Text(CDataExchange* pDX, int nID, std::string& value) {
    HWND hCtrl = pDX->PrepareCtrl(nID);
    if (pDX->m_bSaveAndValidate)
        value = GetWindowTextUtf8(hCtrl);
    else
        SetWindowTextUtf8(hCtrl, value);
}

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int nChars) {
    if (!pDX->m_bSaveAndValidate) {
        SendMessageA(pDX->m_hWndLastControl, EM_LIMITTEXT, WPARAM(nChars), 0);
        return;
    }
    // Counted as the edit control counts: in UTF-16 units.
    if (int(WideFromUtf8(value).size()) > nChars) {
        char text[96];
        snprintf(text, sizeof text, "Please enter no more than %d characters.", nChars);
        AfxMessageBox(text, MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParent)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParent) {}

namespace {
thread_local CDialog* t_pModal = nullptr; // the innermost dialog running modally
} // namespace

INT_PTR CDialog::DoModal() {
    HWND hOwner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    // Without a parent, a dialog opened from inside another one belongs to that one, so that
    // the outer dialog waits until it is closed; otherwise it belongs to the main window.
    if (!hOwner && t_pModal && t_pModal->m_hWnd) hOwner = t_pModal->m_hWnd;
    if (!hOwner && AfxGetMainWnd()) hOwner = AfxGetMainWnd()->m_hWnd;
    CDialog* pOuter = t_pModal;
    t_pModal = this;
    // A dialog of wide controls: an ANSI edit control or list box holds only what the ANSI
    // code page can spell. The 95/98/Me family has ANSI ones only.
    const INT_PTR result =
        IsAnsiOnlySystem()
            ? DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), hOwner,
                              StdDlgProc, reinterpret_cast<LPARAM>(this))
            : DialogBoxParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), hOwner,
                              StdDlgProc, reinterpret_cast<LPARAM>(this));
    t_pModal = pOuter;
    return result;
}

void CDialog::EndDialog(INT_PTR nResult) {
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return dx.m_bFailed ? FALSE : TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE; // let the dialog manager set the focus
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return; // a control's value was refused: the dialog stays open
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(WPARAM wp, LPARAM lp) {
    if (CWnd::OnCommand(wp, lp)) return TRUE;
    const UINT nID = LOWORD(wp), nCode = HIWORD(wp);
    if (nCode != BN_CLICKED) return FALSE;
    if (nID == IDOK) {
        OnOK();
        return TRUE;
    }
    if (nID == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

namespace {
// Puts a dialog over the middle of its owner (of the screen when it has none or the owner is
// minimized), as the system's message boxes open, and keeps it on the screen.
void CentreOverOwner(HWND hDlg) {
    RECT dlg, over;
    if (!GetWindowRect(hDlg, &dlg)) return;
    const HWND hOwner = GetWindow(hDlg, GW_OWNER);
    const bool bOwner = hOwner && IsWindowVisible(hOwner) && !IsIconic(hOwner) &&
                        GetWindowRect(hOwner, &over);
    if (!bOwner) SystemParametersInfoA(SPI_GETWORKAREA, 0, &over, 0);
    // The screens as one rectangle (only the primary one where the system knows no others).
    int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width <= 0 || height <= 0) {
        left = top = 0;
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
    }
    const int cx = dlg.right - dlg.left, cy = dlg.bottom - dlg.top;
    int x = (over.left + over.right - cx) / 2, y = (over.top + over.bottom - cy) / 2;
    // The caption first: a dialog larger than the screens keeps its top left in sight.
    x = std::max(left, std::min(x, left + width - cx));
    y = std::max(top, std::min(y, top + height - cy));
    SetWindowPos(hDlg, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
} // namespace

LRESULT CDialog::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        RECT before = {0, 0, 0, 0}, after = {0, 0, 0, 0};
        GetWindowRect(m_hWnd, &before);
        const BOOL bResult = OnInitDialog();
        // Unless the dialog placed itself, it opens over the middle of its owner.
        if (m_hWnd && !(GetStyle() & DS_CENTER) && GetWindowRect(m_hWnd, &after) &&
            after.left == before.left && after.top == before.top)
            CentreOverOwner(m_hWnd);
        return bResult;
    }
    return CWnd::WindowProc(msg, wp, lp);
}

LRESULT CDialog::DefWindowProc(UINT, WPARAM, LPARAM) {
    m_bDefaulted = true;
    return 0;
}

INT_PTR CALLBACK CDialog::StdDlgProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        CDialog* pInit = reinterpret_cast<CDialog*>(lp);
        pInit->m_hWnd = hWnd;
        SetPermanent(hWnd, pInit);
    }
    CDialog* pDlg = static_cast<CDialog*>(FromHandlePermanent(hWnd));
    if (!pDlg) return FALSE;
    CKeepAlive keep(pDlg); // the flags below are read after the message was handled
    const bool savedDefaulted = pDlg->m_bDefaulted;
    pDlg->m_bDefaulted = false;
    LRESULT result = pDlg->Dispatch(msg, wp, lp);
    const bool defaulted = pDlg->m_bDefaulted;
    pDlg->m_bDefaulted = savedDefaulted;
    if (defaulted) return FALSE; // the dialog manager's own handling
    switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
        return INT_PTR(result);
    }
    SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}
