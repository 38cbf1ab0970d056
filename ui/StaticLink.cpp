#include "ui/StaticLink.h"
#include "fw/App.h"
#include "res/resource.h"

#include <shellapi.h>

#include <cstdarg>
#include <cstdio>

const char kMailboxMarker[] = "support@";

namespace {

LinkShell g_shell = {ShellExecuteA, MessageBeep};

const char kMailto[] = "mailto:";

// Diagnostic lines for the debugger, written by debug builds only.
#ifdef NDEBUG
#define LINK_TRACE(...) ((void)0)
#else
void LinkTrace(const char* pszFormat, ...) {
    char line[1024];
    va_list args;
    va_start(args, pszFormat);
    vsnprintf(line, sizeof line, pszFormat, args);
    va_end(args);
    OutputDebugStringA(line);
}
#define LINK_TRACE(...) LinkTrace(__VA_ARGS__)
#endif

void SetArrowCursor() {
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

} // namespace

LinkShell SetLinkShell(const LinkShell& shell) {
    LinkShell old = g_shell;
    g_shell = shell;
    return old;
}

CStaticLink::CStaticLink()
    : m_colorUnvisited(RGB(0, 0, 255)), m_colorVisited(RGB(128, 0, 128)), m_pbVisited(nullptr),
      m_bCaptured(0), m_bPauseHover(0) {}

HBRUSH CStaticLink::CtlColor(HDC hDC, UINT) {
    // The dialog templates leave SS_NOTIFY out; without it the static reports no clicks and
    // lets the pointer through to the dialog.
    const LONG_PTR style = GetStyle();
    if (!(style & SS_NOTIFY)) SetWindowLongPtrA(m_hWnd, GWL_STYLE, style | SS_NOTIFY);
    // Only left-aligned, centred and right-aligned text (without SS_NOPREFIX) is a link.
    if ((style & 0xFF) > SS_RIGHT) return nullptr;

    if (!m_font.Get()) {
        HFONT hFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
        // A static without a font of its own draws in the system font.
        if (!hFont) hFont = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
        LOGFONTA lf;
        if (GetObjectA(hFont, sizeof lf, &lf) == sizeof lf) {
            lf.lfUnderline = TRUE;
            // Also made the control's own font: some statics select their font only after
            // the colour request (Wine's do), which would undo the selection below.
            if (m_font.CreateFontIndirect(&lf))
                SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
        }
    }
    if (m_font.Get()) SelectObject(hDC, m_font);
    SetTextColor(hDC, IsVisited() ? m_colorVisited : m_colorUnvisited);
    SetBkMode(hDC, TRANSPARENT);
    // The dialog's own background shows through.
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

void CStaticLink::OnClicked() {
    if (m_link.empty()) m_link = GetWindowText();
    if (m_link.find(kMailboxMarker) != std::string::npos &&
        m_link.compare(0, sizeof kMailto - 1, kMailto) != 0)
        m_link.insert(0, kMailto);

    m_bCaptured = 0;
    ReleaseCapture();
    m_bPauseHover = 1;
    SetTimer(kLinkPauseTimerId, kLinkPauseDelay);

    // An empty target is refused here: the shell would open the current folder instead.
    INT_PTR result = 0;
    if (!m_link.empty())
        result = reinterpret_cast<INT_PTR>(g_shell.pfnShellExecute(
            nullptr, "open", m_link.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) {
        g_shell.pfnMessageBeep(0);
        LINK_TRACE("*** WARNING: CStaticLink: unable to execute file %s\n", m_link.c_str());
        return;
    }
    if (m_pbVisited) *m_pbVisited = 1;
    LINK_TRACE("UNLOAD after shell ex\n");
    SetArrowCursor();
    LINK_TRACE("UNLOAD\n");
    Invalidate(TRUE);
}

void CStaticLink::OnMouseMove(UINT, POINT point) {
    Default();
    if (m_bPauseHover) return;
    RECT rc;
    GetClientRect(&rc);
    const int bPoint = PtInRect(&rc, point) ? 1 : 0;
    LINK_TRACE("TRACE1 m_bCaptured = %d bPoint = %d\n", m_bCaptured, bPoint);

    // Entering: take the capture so that leaving is seen too, and show the hand.
    if (!m_bCaptured && bPoint) {
        m_bCaptured = 1;
        SetCapture(m_hWnd);
        // Keep the arrow rather than no pointer at all should the hand be missing.
        HCURSOR hHand = LoadCursorA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDC_HAND));
        if (hHand) SetCursor(hHand);
        LINK_TRACE("LOAD\n");
    } else {
        LINK_TRACE("failed test 1\n");
    }
    // Leaving: the captured control still receives the moves outside itself.
    if (m_bCaptured) {
        if (!bPoint) {
            ReleaseCapture();
            m_bCaptured = 0;
            SetArrowCursor();
            LINK_TRACE("UNLOAD\n");
        } else {
            LINK_TRACE("failed test 3\n");
        }
    } else {
        LINK_TRACE("failed test 2\n");
    }
}

void CStaticLink::OnTimer(UINT_PTR nIDEvent) {
    Default();
    if (nIDEvent != kLinkPauseTimerId) return;
    KillTimer(kLinkPauseTimerId);
    m_bPauseHover = 0;
}

LRESULT CStaticLink::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_MOUSEMOVE: {
        POINT point = {short(LOWORD(lp)), short(HIWORD(lp))};
        OnMouseMove(UINT(wp), point);
        return 0;
    }
    case WM_TIMER:
        OnTimer(UINT_PTR(wp));
        return 0;
    }
    return CStatic::WindowProc(msg, wp, lp);
}

bool CStaticLink::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* pResult) {
    if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) {
        HBRUSH hBrush = CtlColor(reinterpret_cast<HDC>(wp), msg - WM_CTLCOLORMSGBOX);
        if (!hBrush) return false; // the parent's ordinary colours
        *pResult = reinterpret_cast<LRESULT>(hBrush);
        return true;
    }
    if (msg == WM_COMMAND && HIWORD(wp) == STN_CLICKED) {
        OnClicked();
        *pResult = 0;
        return true;
    }
    return CStatic::OnChildNotify(msg, wp, lp, pResult);
}

void CStaticLink::PostNcDestroy() {
    m_bCaptured = 0;
    m_font.Close();
}
