#include "fw/Controls.h"
#include "win/Utf8.h"

namespace {

// UTF-8 text as a window takes it: UTF-16 for a wide window, else the ANSI code page.
class CWindowText {
  public:
    CWindowText(HWND hWnd, const std::string& text)
        : m_hWnd(hWnd), m_bWide(IsWindowUnicode(hWnd) != FALSE),
          m_wide(m_bWide ? WideFromUtf8(text) : std::wstring()),
          m_ansi(m_bWide ? std::string() : AnsiFromUtf8(text)) {}
    // Sends a message whose lParam is the text.
    LRESULT Send(UINT msg, WPARAM wp) const {
        return m_bWide ? ::SendMessageW(m_hWnd, msg, wp, reinterpret_cast<LPARAM>(m_wide.c_str()))
                       : ::SendMessageA(m_hWnd, msg, wp, reinterpret_cast<LPARAM>(m_ansi.c_str()));
    }
    BOOL SetAsWindowText() const {
        return m_bWide ? ::SetWindowTextW(m_hWnd, m_wide.c_str())
                       : ::SetWindowTextA(m_hWnd, m_ansi.c_str());
    }

  private:
    HWND m_hWnd;
    bool m_bWide;
    std::wstring m_wide;
    std::string m_ansi;
};

std::string Utf8Of(const std::wstring& wide) {
    return Utf8FromWide(wide.data(), int(wide.size()));
}
std::string Utf8Of(const std::string& ansi) {
    return Utf8FromAnsi(ansi);
}

// Text of nLength characters that get() copies into a buffer with room for them and a NUL,
// returning how many it copied (negative: none), as UTF-8.
template <class Char, class Get> std::string ReadText(LRESULT nLength, Get get) {
    if (nLength < 0) return std::string();
    std::basic_string<Char> text(size_t(nLength) + 1, Char(0));
    const LRESULT nCopied = get(&text[0], int(nLength) + 1);
    text.resize(nCopied > 0 && nCopied <= nLength ? size_t(nCopied) : 0);
    return Utf8Of(text);
}

} // namespace

int CListBox::AddString(const std::string& text) {
    return int(CWindowText(m_hWnd, text).Send(LB_ADDSTRING, 0));
}

int CListBox::FindStringExact(int nStartAfter, const std::string& text) const {
    return int(CWindowText(m_hWnd, text).Send(LB_FINDSTRINGEXACT, WPARAM(nStartAfter)));
}

void CListBox::FitHorizontalExtent() {
    std::vector<std::string> texts;
    for (int i = 0; i < GetCount(); ++i)
        texts.push_back(GetText(i));
    const int cxWidest = WidestText(texts);
    // The entries are drawn a little in from the edge.
    SendMessage(LB_SETHORIZONTALEXTENT, WPARAM(cxWidest > 0 ? cxWidest + 6 : 0));
}

std::string CListBox::GetText(int nIndex) const {
    const HWND hWnd = m_hWnd;
    const WPARAM wp = WPARAM(nIndex);
    if (IsWindowUnicode(hWnd))
        return ReadText<wchar_t>(::SendMessageW(hWnd, LB_GETTEXTLEN, wp, 0), [&](wchar_t* p, int) {
            return ::SendMessageW(hWnd, LB_GETTEXT, wp, reinterpret_cast<LPARAM>(p));
        });
    return ReadText<char>(::SendMessageA(hWnd, LB_GETTEXTLEN, wp, 0), [&](char* p, int) {
        return ::SendMessageA(hWnd, LB_GETTEXT, wp, reinterpret_cast<LPARAM>(p));
    });
}

std::string GetWindowTextUtf8(HWND hWnd) {
    if (IsWindowUnicode(hWnd))
        return ReadText<wchar_t>(GetWindowTextLengthW(hWnd),
                                 [&](wchar_t* p, int cch) { return GetWindowTextW(hWnd, p, cch); });
    return ReadText<char>(GetWindowTextLengthA(hWnd),
                          [&](char* p, int cch) { return GetWindowTextA(hWnd, p, cch); });
}

BOOL SetWindowTextUtf8(HWND hWnd, const std::string& text) {
    return CWindowText(hWnd, text).SetAsWindowText();
}
