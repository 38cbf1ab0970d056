// Wrappers of the standard controls used in the dialogs. Texts are UTF-8; they reach a wide
// control through its wide messages. An ANSI control (the only kind the 95/98/Me family has)
// takes them in the ANSI code page.
#pragma once

#include "fw/Wnd.h"

#include <string>

class CStatic : public CWnd {};

class CButton : public CWnd {};

class CListBox : public CWnd {
  public:
    int AddString(const std::string& text);
    int DeleteString(int nIndex) { return int(SendMessage(LB_DELETESTRING, WPARAM(nIndex))); }
    int GetCount() const { return int(SendMessage(LB_GETCOUNT)); }
    int GetCurSel() const { return int(SendMessage(LB_GETCURSEL)); }
    // The text at nIndex; empty when there is no such entry.
    std::string GetText(int nIndex) const;
    // The first entry after nStartAfter (-1: from the top) equal to text, ignoring case.
    int FindStringExact(int nStartAfter, const std::string& text) const;
    // Lets the list scroll sideways as far as its widest entry reaches, so that no entry is
    // cut off unseen (a list box with WS_HSCROLL scrolls only as far as it is told).
    void FitHorizontalExtent();
};

// A window's text as UTF-8, and setting it, by the same rule.
std::string GetWindowTextUtf8(HWND hWnd);
BOOL SetWindowTextUtf8(HWND hWnd, const std::string& text);
