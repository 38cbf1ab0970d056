#include "fw/View.h"

void CView::PostNcDestroy() {
    delete this; // views live on the heap and end with their window
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const char* pszText) {
    LVITEMA item = {};
    item.iSubItem = nSubItem;
    item.pszText = const_cast<char*>(pszText);
    return BOOL(SendMessage(LVM_SETITEMTEXTA, WPARAM(nItem), reinterpret_cast<LPARAM>(&item)));
}

std::string CListCtrl::GetItemText(int nItem, int nSubItem) const {
    // Grow the buffer until the text fits (the control returns the length it copied).
    for (int size = 256;; size *= 2) {
        std::string buffer(size_t(size), '\0');
        LVITEMA item = {};
        item.iSubItem = nSubItem;
        item.pszText = &buffer[0];
        item.cchTextMax = size;
        int len =
            int(SendMessage(LVM_GETITEMTEXTA, WPARAM(nItem), reinterpret_cast<LPARAM>(&item)));
        if (len < size - 1 || size >= 65536) {
            buffer.resize(size_t(len > 0 ? len : 0));
            return buffer;
        }
    }
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask) {
    LVITEMA item = {};
    item.state = nState;
    item.stateMask = nMask;
    return BOOL(SendMessage(LVM_SETITEMSTATE, WPARAM(nItem), reinterpret_cast<LPARAM>(&item)));
}

BOOL CListView::Create(DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID) {
    if (!CreateEx(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", dwStyle & ~WS_BORDER, rect.left, rect.top,
                  rect.right - rect.left, rect.bottom - rect.top, pParent->m_hWnd,
                  reinterpret_cast<HMENU>(UINT_PTR(nID))))
        return FALSE;
    m_list.Attach(m_hWnd);
    return TRUE;
}
