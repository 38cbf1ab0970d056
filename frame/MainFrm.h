// CMainFrame: the main window; keeps its placement in the settings, saves the column widths
// when it closes and shows texts in the status bar's second pane.
#pragma once

#include "fw/Bars.h"
#include "fw/Frame.h"

class CVantrelView;

// Where a new main window goes: the stored placement when it is usable, else a centred
// window of 95 % of the work area.
struct WindowPlacement {
    int x, y, cx, cy;
};
bool IsPlacementUsable(const WindowPlacement& p, int workWidth, int workHeight);
WindowPlacement DefaultPlacement(int workWidth, int workHeight);

class CMainFrame : public CFrameWnd {
  public:
    CMainFrame();
    ~CMainFrame() override;

    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    // The pane becomes as wide as its text plus two pixels.
    BOOL SetStatusPaneText(int nIndex, const char* pszText) override;
    // Once the view is ready the frame keeps its placement, and the first listing follows.
    void InitialUpdateFrame() override;
    void StartStartupTimer();
    void SaveColumnWidths();
    CVantrelView* GetVantrelView() const;

    int m_bSavePlacement;
    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;

  protected:
    int OnCreate(CREATESTRUCTA* pcs) override;
    void OnClose() override;
    void OnWindowPosChanged(const WINDOWPOS* pPos);
    void OnTimer(UINT_PTR nIDEvent);
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void StorePlacement(const WindowPlacement& p);
    // The width and height of the desktop's work area (a seam for tests).
    virtual void GetWorkAreaSize(int* pWidth, int* pHeight) const;
};

const UINT_PTR kStartupTimerId = 101;
const UINT kStartupTimerDelay = 200;
