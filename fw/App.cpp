#include "fw/App.h"
#include "fw/DocTemplate.h"
#include "fw/afxres.h"
#include "win/Handles.h"
#include "win/Utf8.h"

#include <commctrl.h>

namespace {
CWinApp* g_pApp = nullptr;
AfxMessageBoxHook g_messageBoxHook = nullptr;

// Set while a message box is up: whether a close request (a posted WM_CLOSE, as taskkill
// sends one to each window of a program) reached a window of this thread meanwhile. Boxes are
// shown by the window thread only.
bool* g_pClosedByRequest = nullptr;

LRESULT CALLBACK WatchCloseRequests(int nCode, WPARAM wp, LPARAM lp) {
    if (nCode == HC_ACTION && wp == PM_REMOVE && g_pClosedByRequest &&
        reinterpret_cast<const MSG*>(lp)->message == WM_CLOSE)
        *g_pClosedByRequest = true;
    return CallNextHookEx(nullptr, nCode, wp, lp);
}
} // namespace

CWinApp::CWinApp() : m_pszAppName(""), m_hInstance(GetModuleHandleA(nullptr)), m_pMainWnd(nullptr) {
    g_pApp = this;
    m_strAppName = AfxLoadString(AFX_IDS_APP_TITLE);
    m_pszAppName = m_strAppName.c_str();
}

CWinApp::~CWinApp() {
    if (g_pApp == this) g_pApp = nullptr;
}

CWinApp* AfxGetApp() {
    return g_pApp;
}
CWnd* AfxGetMainWnd() {
    return g_pApp ? g_pApp->m_pMainWnd : nullptr;
}
HINSTANCE AfxGetInstanceHandle() {
    return g_pApp ? g_pApp->m_hInstance : GetModuleHandleA(nullptr);
}
const char* AfxGetAppName() {
    return g_pApp ? g_pApp->m_pszAppName : "";
}

std::string AfxLoadString(UINT nID) {
    char buffer[512];
    int len = LoadStringA(AfxGetInstanceHandle(), nID, buffer, sizeof buffer);
    return std::string(buffer, size_t(len > 0 ? len : 0));
}

void AfxMessageBoxMetrics(int* pcyScreen, int* pcyLine) {
    RECT work = {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    *pcyScreen = work.bottom - work.top;
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    *pcyLine = 0;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        // The font's character height and a little leading.
        const LONG lHeight = metrics.lfMessageFont.lfHeight;
        *pcyLine = int(lHeight < 0 ? -lHeight : lHeight) + 3;
    }
}

AfxMessageBoxHook AfxSetMessageBoxHook(AfxMessageBoxHook hook) {
    AfxMessageBoxHook old = g_messageBoxHook;
    g_messageBoxHook = hook;
    return old;
}

int AfxMessageBox(const std::string& text, UINT nType) {
    if (g_messageBoxHook) return g_messageBoxHook(text, nType);
    HWND hOwner = GetActiveWindow();
    if (!hOwner && AfxGetMainWnd()) hOwner = AfxGetMainWnd()->m_hWnd;
    // A box ended by a close request returns as if its default button had been pressed; the
    // hook tells the two apart, so that no one takes it for an answer.
    bool bClosedByRequest = false;
    bool* const pOuter = g_pClosedByRequest;
    g_pClosedByRequest = &bClosedByRequest;
    int nResult = 0;
    {
        CHook hook(
            SetWindowsHookExA(WH_GETMESSAGE, WatchCloseRequests, nullptr, GetCurrentThreadId()));
        // Wide: a box may name a process in any script (texts are UTF-8).
        nResult = MessageBoxW(hOwner, WideFromUtf8(text).c_str(),
                              WideFromUtf8(AfxGetAppName()).c_str(), nType | MB_TASKMODAL);
    }
    g_pClosedByRequest = pOuter;
    if (!bClosedByRequest) return nResult;
    if (pOuter) *pOuter = true; // the box that showed this one was not answered either
    return 0;
}

void CWinApp::AddDocTemplate(CSingleDocTemplate* pTemplate) {
    m_pDocTemplate.reset(pTemplate);
}

void CWinApp::OnFileNew() {
    if (m_pDocTemplate) m_pDocTemplate->OpenDocumentFile();
}

BEGIN_COMMAND_MAP(CWinApp, CCmdTarget)
ON_COMMAND(ID_FILE_NEW, OnFileNew)
END_COMMAND_MAP()

BOOL CWinApp::PreTranslateMessage(MSG* pMsg) {
    return m_pMainWnd && m_pMainWnd->m_hWnd && m_pMainWnd->PreTranslateMessage(pMsg);
}

BOOL CWinApp::OnIdle(LONG lCount) {
    if (lCount == 0 && m_pMainWnd && m_pMainWnd->m_hWnd) m_pMainWnd->OnIdleUpdateCmdUI();
    return FALSE; // nothing more to do until the next message
}

int CWinApp::Run() {
    MSG msg;
    for (;;) {
        LONG idleCount = 0;
        while (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++)) break;
        }
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (!PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return int(msg.wParam);
}

int AfxWinMain(HINSTANCE hInstance) {
    CWinApp* pApp = AfxGetApp();
    if (!pApp) return 1;
    pApp->m_hInstance = hInstance;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    if (!pApp->InitInstance()) return pApp->m_nExitCode;
    return pApp->Run();
}
