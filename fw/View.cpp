#include "fw/View.h"
#include "win/Utf8.h"

void CView::PostNcDestroy() {
    delete this; // views live on the heap and end with their window
}

// Texts cross to the control wide: a name in any script is shown as it is.

int CListCtrl::InsertItem(int nItem, const std::string& text, LPARAM lParam) {
    std::wstring wide = WideFromUtf8(text);
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = nItem;
    item.pszText = &wide[0]; // wide holds a NUL after its last character
    item.lParam = lParam;
    return int(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const std::string& text) {
    std::wstring wide = WideFromUtf8(text);
    LVITEMW item = {};
    item.iSubItem = nSubItem;
    item.pszText = &wide[0];
    return BOOL(SendMessage(LVM_SETITEMTEXTW, WPARAM(nItem), reinterpret_cast<LPARAM>(&item)));
}

std::string CListCtrl::GetItemText(int nItem, int nSubItem) const {
    // Grow the buffer until the text fits (the control returns the length it copied).
    for (int size = 256;; size *= 2) {
        std::wstring buffer(size_t(size), L'\0');
        LVITEMW item = {};
        item.iSubItem = nSubItem;
        item.pszText = &buffer[0];
        item.cchTextMax = size;
        int len =
            int(SendMessage(LVM_GETITEMTEXTW, WPARAM(nItem), reinterpret_cast<LPARAM>(&item)));
        if (len < size - 1 || size >= 65536) return Utf8FromWide(buffer.c_str(), len > 0 ? len : 0);
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
