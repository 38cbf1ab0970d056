// CDocument and CSingleDocTemplate: the one document and the template that creates the
// document, the frame and the view together.
#pragma once

#include "fw/Wnd.h"

#include <string>

class CFrameWnd;
class CView;

class CDocument : public CCmdTarget {
  public:
    virtual BOOL OnNewDocument();
    // Writes the document's data; called by Save with the file opened for writing.
    virtual void Serialize(HANDLE hFile, bool bStoring) = 0;

    // Save: asks for a file name while the document has none, then writes it.
    void OnFileSave();
    BOOL OnSaveDocument(const std::string& path);

  protected:
    std::string m_strPathName;

    DECLARE_COMMAND_MAP()
};

class CSingleDocTemplate {
  public:
    typedef CDocument* (*DocFactory)();
    typedef CFrameWnd* (*FrameFactory)();
    typedef CView* (*ViewFactory)();

    CSingleDocTemplate(UINT nIDResource, DocFactory doc, FrameFactory frame, ViewFactory view);
    ~CSingleDocTemplate();

    // The first call creates document, frame (which creates the view) and runs the view's
    // initial update; later calls start a new document in them.
    CDocument* OpenDocumentFile();
    CView* CreateView() const { return m_viewFactory(); }
    std::string GetDocString(int index) const;

  private:
    UINT m_nIDResource;
    DocFactory m_docFactory;
    FrameFactory m_frameFactory;
    ViewFactory m_viewFactory;
    CDocument* m_pOnlyDoc;
};
