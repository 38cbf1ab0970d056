#include "fw/Wnd.h"
#include "fw/App.h"
#include "win/Utf8.h"

#include <mutex>
#include <unordered_map>

namespace {
// The wrapper object of each window that has one. Looked up for every message a wrapped window
// receives, so it is kept in the process rather than as a window property: under Wine every
// property lookup is a round trip to the server. An entry goes with WM_NCDESTROY.
std::mutex g_wrappersLock;
std::unordered_map<HWND, CWnd*> g_wrappers;
} // namespace

BOOL CCmdTarget::OnCmdMsg(UINT, UINT, bool, CCmdUI*) {
    return FALSE;
}

CWnd::CWnd() : m_hWnd(nullptr), m_pfnSuper(nullptr), m_current{0, 0, 0} {}

CWnd::~CWnd() {
    // A window that outlives its wrapper must not call back into freed memory.
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
        if (m_pfnSuper)
            SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        SetPermanent(m_hWnd, nullptr);
        ::DestroyWindow(m_hWnd);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    if (!hWnd) return nullptr;
    std::lock_guard<std::mutex> lock(g_wrappersLock);
    auto it = g_wrappers.find(hWnd);
    return it == g_wrappers.end() ? nullptr : it->second;
}

void CWnd::SetPermanent(HWND hWnd, CWnd* pWnd) {
    std::lock_guard<std::mutex> lock(g_wrappersLock);
    if (pWnd)
        g_wrappers[hWnd] = pWnd;
    else
        g_wrappers.erase(hWnd);
}

namespace {
thread_local CWnd* t_pWndInit = nullptr; // the object whose window is being created
}

void CWnd::RegisterWndClass(const char* pszClass, UINT nIDIcon) {
    HINSTANCE hInst = AfxGetInstanceHandle();
    WNDCLASSA wc;
    if (GetClassInfoA(hInst, pszClass, &wc)) return; // a system class, or registered before
    wc = WNDCLASSA{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = StdWndProc;
    wc.hInstance = hInst;
    if (nIDIcon) wc.hIcon = LoadIconA(hInst, MAKEINTRESOURCEA(nIDIcon));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = pszClass;
    RegisterClassA(&wc);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const char* pszClass, const char* pszTitle, DWORD dwStyle,
                    int x, int y, int cx, int cy, HWND hParent, HMENU hMenuOrId) {
    HINSTANCE hInst = AfxGetInstanceHandle();
    RegisterWndClass(pszClass);
    WNDCLASSA wc;
    bool ours = GetClassInfoA(hInst, pszClass, &wc) && wc.lpfnWndProc == StdWndProc;
    if (ours) t_pWndInit = this;
    HWND hWnd = CreateWindowExA(dwExStyle, pszClass, pszTitle, dwStyle, x, y, cx, cy, hParent,
                                hMenuOrId, hInst, nullptr);
    t_pWndInit = nullptr;
    if (!hWnd) return FALSE;
    if (!ours) return SubclassWindow(hWnd); // a system class (list view, toolbar, ...)
    return TRUE;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!hWnd || FromHandlePermanent(hWnd)) return FALSE;
    m_hWnd = hWnd;
    SetPermanent(hWnd, this);
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StdWndProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    return SubclassWindow(::GetDlgItem(pParent->m_hWnd, int(nID)));
}

BOOL CWnd::DestroyWindow() {
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

std::string CWnd::GetWindowText() const {
    int len = GetWindowTextLengthA(m_hWnd);
    std::string text(size_t(len) + 1, '\0');
    len = ::GetWindowTextA(m_hWnd, &text[0], len + 1);
    text.resize(size_t(len > 0 ? len : 0));
    return text;
}

int CWnd::WidestText(const std::vector<std::string>& texts) const {
    HDC hdc = GetDC(m_hWnd);
    if (!hdc) return 0;
    HGDIOBJ old = SelectObject(hdc, reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
    int cxWidest = 0;
    for (const std::string& text : texts) {
        SIZE size = {0, 0};
        const std::wstring wide = WideFromUtf8(text);
        GetTextExtentPoint32W(hdc, wide.c_str(), int(wide.size()), &size);
        if (size.cx > cxWidest) cxWidest = size.cx;
    }
    SelectObject(hdc, old);
    ReleaseDC(m_hWnd, hdc);
    return cxWidest;
}

LRESULT CALLBACK CWnd::StdWndProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (!pWnd && t_pWndInit) {
        // First message of a window we are creating (WM_GETMINMAXINFO or WM_NCCREATE).
        pWnd = t_pWndInit;
        t_pWndInit = nullptr;
        pWnd->m_hWnd = hWnd;
        SetPermanent(hWnd, pWnd);
    }
    if (!pWnd) return ::DefWindowProcA(hWnd, msg, wp, lp);
    return pWnd->Dispatch(msg, wp, lp);
}

LRESULT CWnd::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    // The guard keeps this object alive until the message is handled, even when a handler
    // destroys the window (WM_CLOSE) or a modal loop inside it does.
    CKeepAlive keep(this);
    const CurrentMsg saved = m_current;
    m_current = {msg, wp, lp};
    const LRESULT result = WindowProc(msg, wp, lp);
    m_current = saved;
    if (msg == WM_NCDESTROY) {
        // The window is gone: forget it. The class tidies up (and may delete itself) in
        // PostNcDestroy, once no message of this object and no caller's guard is under way.
        WNDPROC super = m_pfnSuper;
        SetPermanent(m_hWnd, nullptr);
        if (super) SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
        m_hWnd = nullptr;
        m_pfnSuper = nullptr;
        m_bNcDestroyPending = true;
    }
    return result;
}

CWnd::CKeepAlive::~CKeepAlive() {
    if (!m_pWnd || --m_pWnd->m_nKeepAlive > 0 || !m_pWnd->m_bNcDestroyPending) return;
    m_pWnd->m_bNcDestroyPending = false;
    m_pWnd->PostNcDestroy(); // the last use of the object: it may delete itself here
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (m_pfnSuper) return CallWindowProcA(m_pfnSuper, m_hWnd, msg, wp, lp);
    return ::DefWindowProcA(m_hWnd, msg, wp, lp);
}

LRESULT CWnd::Default() {
    return DefWindowProc(m_current.msg, m_current.wp, m_current.lp);
}

bool CWnd::ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT* pResult) {
    // A notification names its sender inside; the other messages carry the control's window.
    HWND hChild = msg == WM_NOTIFY ? reinterpret_cast<const NMHDR*>(lp)->hwndFrom
                                   : reinterpret_cast<HWND>(lp);
    CWnd* pChild = FromHandlePermanent(hChild);
    return pChild && pChild != this && pChild->OnChildNotify(msg, wp, lp, pResult);
}

bool CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) {
    return false;
}

BOOL CWnd::OnCommand(WPARAM wp, LPARAM lp) {
    const UINT nID = LOWORD(wp), nCode = HIWORD(wp);
    // Accelerators (code 1) and menu items (code 0) come without a control window.
    const bool bNotify = lp != 0;
    return OnCmdMsg(nID, bNotify ? nCode : 0, bNotify, nullptr);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    switch (msg) {
    case WM_COMMAND:
        if (lp && ReflectToChild(msg, wp, lp, &result)) return result;
        if (OnCommand(wp, lp)) return 0;
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG:
        if (ReflectToChild(msg, wp, lp, &result)) return result;
        break;
    }
    return Default();
}
