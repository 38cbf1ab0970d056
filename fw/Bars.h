// CToolBar and CStatusBar: thin wrappers of the common toolbar and status bar controls.
#pragma once

#include "fw/Wnd.h"
#include "win/Handles.h"

#include <string>
#include <vector>

class CToolBar : public CWnd {
  public:
    // Creates the toolbar control as a visible child of pParent, at its top without a
    // divider. dwCtrlStyle adds the control's own styles (TBSTYLE_FLAT, TBSTYLE_TOOLTIPS).
    BOOL Create(CWnd* pParent, DWORD dwCtrlStyle, UINT nID);
    // Loads the classic toolbar resource (version, width, height, count, command ids with 0
    // for a separator) and the bitmap of the same id with the button images side by side.
    BOOL LoadToolBar(UINT nIDResource);
    int GetButtonCount() const { return int(m_ids.size()); }
    UINT GetItemID(int nIndex) const { return m_ids[size_t(nIndex)]; }

  private:
    std::vector<UINT> m_ids;
    // The button images: the toolbar draws from this bitmap for as long as it lives.
    CGdiObject<HBITMAP> m_bitmap;
};

// A command's state shown on its toolbar button.
class CToolCmdUI : public CCmdUI {
  public:
    CToolCmdUI(CToolBar* pToolBar, UINT nID) : m_pToolBar(pToolBar) { m_nID = nID; }
    void Enable(BOOL bOn) override;
    void SetCheck(int nCheck) override;

  private:
    CToolBar* m_pToolBar;
};

class CStatusBar : public CWnd {
  public:
    // Creates the status bar control, with a size grip, as a visible child of pParent.
    BOOL Create(CWnd* pParent, UINT nID);
    // Pane 0 must be the separator (id 0): it stretches. Other panes show the string
    // resource of their id and start as wide as that text.
    BOOL SetIndicators(const UINT* pIDs, int nCount);
    void GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const;
    void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
    BOOL SetPaneText(int nIndex, const char* pszText, BOOL bUpdate = TRUE);
    // Sets the parts from the pane widths for the current client width.
    void UpdateParts();

  private:
    struct Pane {
        UINT nID;
        UINT nStyle;
        int cxText; // width of the pane's text area; ignored for the stretching pane 0
    };
    std::vector<Pane> m_panes;
};
