#include "fw/DocTemplate.h"
#include "fw/App.h"
#include "fw/Frame.h"
#include "fw/View.h"
#include "fw/afxres.h"
#include "win/Handles.h"

#include <commdlg.h>

BOOL CDocument::OnNewDocument() {
    m_strPathName.clear();
    return TRUE;
}

BEGIN_COMMAND_MAP(CDocument, CCmdTarget)
ON_COMMAND(ID_FILE_SAVE, OnFileSave)
END_COMMAND_MAP()

void CDocument::OnFileSave() {
    std::string path = m_strPathName;
    if (path.empty()) {
        // An untitled document: ask for a name, starting from the new-file name.
        const CSingleDocTemplate* pTemplate = AfxGetApp() ? AfxGetApp()->GetDocTemplate() : nullptr;
        char file[MAX_PATH] = "";
        if (pTemplate) lstrcpynA(file, pTemplate->GetDocString(2).c_str(), MAX_PATH);
        OPENFILENAMEA ofn = {};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = AfxGetMainWnd() ? AfxGetMainWnd()->m_hWnd : nullptr;
        ofn.lpstrFilter = "All Files (*.*)\0*.*\0";
        ofn.lpstrFile = file;
        ofn.nMaxFile = MAX_PATH;
        ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
        if (!GetSaveFileNameA(&ofn)) return;
        path = file;
    }
    if (!OnSaveDocument(path)) AfxMessageBox("Failed to save document.", MB_ICONEXCLAMATION);
}

BOOL CDocument::OnSaveDocument(const std::string& path) {
    CHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return FALSE;
    Serialize(file, true);
    file.Close();
    m_strPathName = path;
    return TRUE;
}

CSingleDocTemplate::CSingleDocTemplate(UINT nIDResource, DocFactory doc, FrameFactory frame,
                                       ViewFactory view)
    : m_nIDResource(nIDResource), m_docFactory(doc), m_frameFactory(frame), m_viewFactory(view),
      m_pOnlyDoc(nullptr) {}

CSingleDocTemplate::~CSingleDocTemplate() {
    delete m_pOnlyDoc;
}

std::string CSingleDocTemplate::GetDocString(int index) const {
    std::string s = AfxLoadString(m_nIDResource);
    size_t start = 0;
    for (int i = 0; i < index; ++i) {
        size_t nl = s.find('\n', start);
        if (nl == std::string::npos) return std::string();
        start = nl + 1;
    }
    return s.substr(start, s.find('\n', start) - start);
}

CDocument* CSingleDocTemplate::OpenDocumentFile() {
    if (m_pOnlyDoc) {
        // The one document is reused: start it afresh.
        return m_pOnlyDoc->OnNewDocument() ? m_pOnlyDoc : nullptr;
    }
    CDocument* pDoc = m_docFactory();
    CFrameWnd* pFrame = m_frameFactory();
    CWinApp* pApp = AfxGetApp();
    if (pApp && !pApp->m_pMainWnd) pApp->m_pMainWnd = pFrame;
    CCreateContext context;
    context.pTemplate = this;
    context.pDocument = pDoc;
    if (!pFrame->LoadFrame(m_nIDResource, &context)) {
        // A frame whose window was created and then failed has already deleted itself.
        if (pApp && pApp->m_pMainWnd == pFrame) pApp->m_pMainWnd = nullptr;
        delete pDoc;
        return nullptr;
    }
    m_pOnlyDoc = pDoc;
    // The view gets its size now, so that its initial update sees its real client area.
    pFrame->RecalcLayout();
    if (!pDoc->OnNewDocument()) {
        pFrame->DestroyWindow();
        return nullptr;
    }
    if (CView* pView = pFrame->GetActiveView()) pView->m_pDocument = pDoc;
    pFrame->InitialUpdateFrame();
    pFrame->RecalcLayout();
    return pDoc;
}
