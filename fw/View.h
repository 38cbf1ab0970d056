// CView and CListView: the frame's client window; CListCtrl wraps the list-view messages
// the program uses.
#pragma once

#include "fw/Wnd.h"

#include <commctrl.h>
#include <string>

class CDocument;

class CView : public CWnd {
  public:
    CView() : m_pDocument(nullptr) {}
    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID) = 0;
    virtual void OnInitialUpdate() {}
    CDocument* GetDocument() const { return m_pDocument; }
    CDocument* m_pDocument;

  protected:
    void PostNcDestroy() override;
};

class CListCtrl : public CWnd {
  public:
    int GetItemCount() const { return int(SendMessage(LVM_GETITEMCOUNT)); }
    BOOL DeleteAllItems() { return BOOL(SendMessage(LVM_DELETEALLITEMS)); }
    BOOL DeleteItem(int nItem) { return BOOL(SendMessage(LVM_DELETEITEM, WPARAM(nItem))); }
    // Texts are UTF-8. InsertItem puts in an item with its text and item data.
    int InsertItem(int nItem, const std::string& text, LPARAM lParam);
    int InsertColumn(int nCol, const LVCOLUMNA* pColumn) {
        return int(SendMessage(LVM_INSERTCOLUMNA, WPARAM(nCol), reinterpret_cast<LPARAM>(pColumn)));
    }
    BOOL SetItemText(int nItem, int nSubItem, const std::string& text);
    std::string GetItemText(int nItem, int nSubItem) const;
    // The next item at or after nItem+1 with the given state flags (LVNI_SELECTED, ...).
    int GetNextItem(int nItem, int nFlags) const {
        return int(SendMessage(LVM_GETNEXTITEM, WPARAM(nItem), MAKELPARAM(nFlags, 0)));
    }
    UINT GetSelectedCount() const { return UINT(SendMessage(LVM_GETSELECTEDCOUNT)); }
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    HWND GetHeaderCtrl() const { return reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER)); }
};

class CListView : public CView {
  public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID) override;
    // The view is the list-view window; this wraps the same window for the list messages.
    CListCtrl& GetListCtrl() { return m_list; }
    const CListCtrl& GetListCtrl() const { return m_list; }

  private:
    CListCtrl m_list;
};
