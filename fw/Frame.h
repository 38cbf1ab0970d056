// CFrameWnd: the main window with its toolbar, status bar and one view; routes commands
// view -> document -> frame -> application and keeps menus and toolbar buttons up to date.
#pragma once

#include "fw/Wnd.h"

class CView;
class CDocument;
class CToolBar;
class CStatusBar;
class CSingleDocTemplate;

// What the frame needs to create its view while it is being created.
struct CCreateContext {
    CSingleDocTemplate* pTemplate = nullptr;
    CDocument* pDocument = nullptr;
};

class CFrameWnd : public CWnd {
  public:
    CFrameWnd();

    // Creates the frame from resource nIDResource (menu, accelerators, icon, title from the
    // document string). OnCreate creates the view inside it from pContext's template.
    BOOL LoadFrame(UINT nIDResource, CCreateContext* pContext);
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);

    CView* GetActiveView() const { return m_pViewActive; }
    CDocument* GetActiveDocument() const;

    // Places toolbar (top), status bar (bottom) and the view between them.
    void RecalcLayout();
    // Translates the keys of this window and its children by the frame's accelerators.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // Enables and checks the toolbar buttons from their update handlers.
    void OnIdleUpdateCmdUI() override;
    // Runs a command's update handlers; false when no one handles it (then it is disabled).
    bool UpdateCmdUI(CCmdUI* pCmdUI);
    // The end of the frame's creation: the view's initial update. Frames that do something
    // once their view is ready override it.
    virtual void InitialUpdateFrame();
    // Shows a text in a pane of the status bar.
    virtual BOOL SetStatusPaneText(int nIndex, const char* pszText);

  protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;
    // Routes a command or an update request along view, document, frame, application.
    bool RouteCmdMsg(UINT nID, CCmdUI* pCmdUI);

    virtual int OnCreate(CREATESTRUCTA* pcs);
    virtual void OnClose();
    void OnInitMenuPopup(HMENU hMenu);
    void OnMenuSelect(UINT nID, UINT nFlags, HMENU hMenu);
    LRESULT OnNotify(NMHDR* pnmh);
    void SetMessageText(const std::string& text);
    void PostNcDestroy() override;

    // Shows a hidden bar or hides a shown one, and lays the frame out again.
    void ToggleBar(CWnd* pBar);
    void OnViewToolBar();
    void OnUpdateViewToolBar(CCmdUI* pCmdUI);
    void OnViewStatusBar();
    void OnUpdateViewStatusBar(CCmdUI* pCmdUI);
    void OnAppExit();

    // The frame's bars, found by their child ids.
    CToolBar* GetToolBar() const;
    CStatusBar* GetStatusBar() const;

    HACCEL m_hAccelTable;
    CView* m_pViewActive;
    CCreateContext* m_pContext; // only during LoadFrame
    std::string m_strTitle;

    DECLARE_COMMAND_MAP()
};
