#include "app/Vantrel.h"
#include "app/CommandLine.h"
#include "app/VantrelDoc.h"
#include "frame/MainFrm.h"
#include "view/VantrelView.h"
#include "res/resource.h"
#include "settings/SettingNames.h"
#include "ui/AboutDlg.h"

CVantrelApp::CVantrelApp() : m_settings(ProgramSettings()), m_bMailVisited(0), m_bWebVisited(0) {}

CVantrelApp* VantrelApp() {
    return static_cast<CVantrelApp*>(AfxGetApp());
}

namespace {
CDocument* NewDoc() {
    return new CVantrelDoc;
}
CFrameWnd* NewFrame() {
    return new CMainFrame;
}
CView* NewView() {
    return new CVantrelView;
}
} // namespace

BOOL CVantrelApp::InitInstance() {
    // The settings come first: the main window reads its placement while it is created.
    const RegKeyPlace key = SettingsKey(m_pszAppName);
    m_settings.OpenAndImportOnce(key.hRoot, key.strPath, m_pszAppName,
                                 OldSettingsKeys(m_pszAppName));
    const CommandLine command = ParseCommandLine(m_arguments);
    switch (command.action) {
    case CommandLine::Kill:
        // No window and no first-run warning; a box only where nothing else could tell.
        m_nExitCode = KillFavoritesFromCommandLine(command.nGentle, command.bQuiet);
        return FALSE;
    case CommandLine::Usage:
    case CommandLine::Invalid:
        AfxMessageBox(kUsageText, MB_OK | MB_ICONINFORMATION);
        m_nExitCode = command.action == CommandLine::Usage ? 0 : kKillBadCommandLine;
        return FALSE;
    case CommandLine::Window:
        break;
    }
    // The three-dimensional control look, the framework's per-user profile and its
    // recent-file list are not needed: controls draw themselves in the system's look, and
    // every setting of the program lives in the key above.

    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, NewDoc, NewFrame, NewView));
    // Starting the window means a new, untitled document.
    OnFileNew();
    if (!m_pMainWnd) return FALSE;
    m_pMainWnd->ShowWindow(SW_SHOW);
    UpdateWindow(m_pMainWnd->m_hWnd);
    return TRUE;
}

BEGIN_COMMAND_MAP(CVantrelApp, CWinApp)
ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
END_COMMAND_MAP()

void CVantrelApp::OnAppAbout() {
    // The visited flags belong to the application, so a link opened once keeps its colour in
    // every later About box of the run.
    CAboutDlg aboutDlg(&m_bMailVisited, &m_bWebVisited);
    aboutDlg.DoModal();
}
