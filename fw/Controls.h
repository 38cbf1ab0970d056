// Wrappers of the standard controls used in the dialogs.
#pragma once

#include "fw/Wnd.h"

#include <string>

class CStatic : public CWnd {};

class CButton : public CWnd {};

class CListBox : public CWnd {
  public:
    int AddString(const char* psz) {
        return int(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(psz)));
    }
    int DeleteString(int nIndex) { return int(SendMessage(LB_DELETESTRING, WPARAM(nIndex))); }
    int GetCount() const { return int(SendMessage(LB_GETCOUNT)); }
    int GetCurSel() const { return int(SendMessage(LB_GETCURSEL)); }
    // The text at nIndex; empty when there is no such entry.
    std::string GetText(int nIndex) const;
    // The first entry after nStartAfter (-1: from the top) equal to psz, ignoring case.
    int FindStringExact(int nStartAfter, const char* psz) const {
        return int(
            SendMessage(LB_FINDSTRINGEXACT, WPARAM(nStartAfter), reinterpret_cast<LPARAM>(psz)));
    }
};
