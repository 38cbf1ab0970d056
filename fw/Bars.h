// CToolBar and CStatusBar: thin wrappers of the common toolbar and status bar controls.
#pragma once

#include "fw/Wnd.h"
#include "win/Handles.h"

#include <string>
#include <vector>

// Bar styles: where a bar sits and what it offers. The frame places the bars itself.
const DWORD CBRS_ALIGN_TOP = 0x2000, CBRS_ALIGN_BOTTOM = 0x8000, CBRS_ALIGN_ANY = 0xF000;
const DWORD CBRS_BORDER_TOP = 0x0200, CBRS_BORDER_BOTTOM = 0x0800;
const DWORD CBRS_TOP = CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM;
const DWORD CBRS_BOTTOM = CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP;
const DWORD CBRS_GRIPPER = 0x00400000, CBRS_TOOLTIPS = 0x0010, CBRS_FLYBY = 0x0020;
const DWORD CBRS_SIZE_DYNAMIC = 0x0004;

class CToolBar : public CWnd {
  public:
    // Creates the toolbar control (flat, with tooltips) as a child of the frame.
    BOOL CreateEx(CWnd* pParent, DWORD dwCtrlStyle, DWORD dwStyle, UINT nID);
    // Loads the classic toolbar resource (version, width, height, count, command ids with 0
    // for a separator) and the bitmap of the same id with the button images side by side.
    BOOL LoadToolBar(UINT nIDResource);
    int GetButtonCount() const { return int(m_ids.size()); }
    UINT GetItemID(int nIndex) const { return m_ids[size_t(nIndex)]; }
    // Height the toolbar wants at the current width.
    int CalcHeight() const;

  private:
    std::vector<UINT> m_ids;
    // The button images: the toolbar draws from this bitmap for as long as it lives.
    CGdiObject<HBITMAP> m_bitmap;
};

class CStatusBar : public CWnd {
  public:
    BOOL Create(CWnd* pParent, DWORD dwStyle, UINT nID);
    // Pane 0 must be the separator (id 0): it stretches. Other panes show the string
    // resource of their id and start as wide as that text.
    BOOL SetIndicators(const UINT* pIDs, int nCount);
    void GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const;
    void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
    BOOL SetPaneText(int nIndex, const char* pszText, BOOL bUpdate = TRUE);
    // Sets the parts from the pane widths for the current client width.
    void UpdateParts();
    int CalcHeight() const;
    // The width of a text in the bar's font; 0 when it cannot be measured.
    int TextWidth(const std::string& text) const;

  private:
    struct Pane {
        UINT nID;
        UINT nStyle;
        int cxText; // width of the pane's text area; ignored for the stretching pane 0
    };
    std::vector<Pane> m_panes;
};
