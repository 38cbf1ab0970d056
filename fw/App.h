// CWinApp: the application object, its message loop with accelerators and idle updates,
// and the global helpers that reach it.
#pragma once

#include "fw/Wnd.h"

#include <memory>
#include <string>

class CSingleDocTemplate;

class CWinApp : public CCmdTarget {
  public:
    // The application name is taken from string resource AFX_IDS_APP_TITLE.
    CWinApp();
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    // The message loop: the main window sees each message first and updates itself when
    // the queue runs empty.
    virtual int Run();
    virtual BOOL OnIdle(LONG lCount);
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    void AddDocTemplate(CSingleDocTemplate* pTemplate);
    CSingleDocTemplate* GetDocTemplate() const { return m_pDocTemplate.get(); }

    // Creates the first document, frame and view (or starts a new document in them).
    void OnFileNew();

    const char* m_pszAppName;
    HINSTANCE m_hInstance;
    CWnd* m_pMainWnd;
    // The program's exit code when InitInstance ends it before its message loop.
    int m_nExitCode = 0;

  protected:
    std::unique_ptr<CSingleDocTemplate> m_pDocTemplate;
    std::string m_strAppName;

    DECLARE_COMMAND_MAP()
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
const char* AfxGetAppName();
// A string resource of the program, or "" when it has none.
std::string AfxLoadString(UINT nID);

// Message boxes go through here, captioned with the application name and owned by the
// active window of the program. Returns the button pressed, or 0 when a close request to the
// program (a posted WM_CLOSE) ended the box before anyone answered it. Tests replace the box
// with a hook that answers at once.
int AfxMessageBox(const std::string& text, UINT nType = MB_OK);
typedef int (*AfxMessageBoxHook)(const std::string& text, UINT nType);
AfxMessageBoxHook AfxSetMessageBoxHook(AfxMessageBoxHook hook);
// The height of the screen's work area and of a line of a message box's text, in pixels (the
// line 0 when the system does not say).
void AfxMessageBoxMetrics(int* pcyScreen, int* pcyLine);

// The program's entry: runs InitInstance and the message loop of the one CWinApp.
int AfxWinMain(HINSTANCE hInstance);
