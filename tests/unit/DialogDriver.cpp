#include "unit/DialogDriver.h"
#include "win/Utf8.h"

#include <gtest/gtest.h>
#include <cstdio>

namespace {
DialogDriver* g_pDriver = nullptr; // one driver at a time: its timer has no window
const UINT kTickMs = 15;

struct DialogSearch {
    const char* pszCaption;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND hWnd, LPARAM lp) {
    DialogSearch* search = reinterpret_cast<DialogSearch*>(lp);
    char cls[16] = "", title[128] = "";
    GetClassNameA(hWnd, cls, sizeof cls);
    GetWindowTextA(hWnd, title, sizeof title);
    if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(hWnd) &&
        (!search->pszCaption || lstrcmpA(title, search->pszCaption) == 0))
        search->found.push_back(hWnd);
    return TRUE;
}

std::vector<HWND> ThreadDialogs(const char* pszCaption) {
    DialogSearch search = {pszCaption, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
} // namespace

DialogDriver::DialogDriver(DWORD dwDeadlineMs)
    : m_dwStart(GetTickCount()), m_dwDeadline(dwDeadlineMs) {
    g_pDriver = this;
    m_nTimer = SetTimer(nullptr, 0, kTickMs, OnTick);
}

DialogDriver::~DialogDriver() {
    KillTimer(nullptr, m_nTimer);
    if (g_pDriver == this) g_pDriver = nullptr;
}

DialogDriver& DialogDriver::Then(std::function<void()> step) {
    m_steps.push_back([step] {
        step();
        return true;
    });
    return *this;
}

DialogDriver& DialogDriver::Until(std::function<bool()> step) {
    m_steps.push_back(step);
    return *this;
}

DialogDriver& DialogDriver::Picture(const char* pszCaption, const char* pszFileName) {
    const std::string caption = pszCaption, file = pszFileName;
    Then([caption] {
        RedrawWindow(FindDialog(caption.c_str()), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    });
    return Then([caption, file] { SaveWindowPicture(FindDialog(caption.c_str()), file.c_str()); });
}

INT_PTR DialogDriver::Run(const std::function<INT_PTR()>& modal) {
    const INT_PTR result = modal();
    EXPECT_FALSE(TimedOut()) << "the dialog had to be cancelled by the deadline";
    EXPECT_TRUE(Finished()) << "steps were left over: did the dialog open?";
    return result;
}

void CALLBACK DialogDriver::OnTick(HWND, UINT, UINT_PTR, DWORD) {
    if (g_pDriver) g_pDriver->Tick();
}

void DialogDriver::Tick() {
    if (GetTickCount() - m_dwStart > m_dwDeadline) {
        // Cancel every dialog still open, innermost first, and stop driving.
        m_bTimedOut = true;
        m_next = m_steps.size();
        std::vector<HWND> open = ThreadDialogs(nullptr);
        for (HWND hDlg : open)
            EndDialog(hDlg, IDCANCEL);
        return;
    }
    if (m_next >= m_steps.size()) return;
    // The step may run a nested loop that ticks again: advance first, so that the inner
    // ticks go on with the following steps.
    const size_t index = m_next;
    m_next = index + 1;
    if (!m_steps[index]() && m_next == index + 1) m_next = index; // not yet: again next tick
}

HWND FindDialog(const char* pszCaption) {
    std::vector<HWND> found = ThreadDialogs(pszCaption);
    return found.empty() ? nullptr : found.front();
}

std::vector<std::string> ListItems(HWND hDlg, int nID) {
    std::vector<std::string> items;
    const int count = int(SendDlgItemMessageW(hDlg, nID, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[512] = L"";
        if (SendDlgItemMessageW(hDlg, nID, LB_GETTEXTLEN, WPARAM(i), 0) >= 512) continue;
        SendDlgItemMessageW(hDlg, nID, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
        items.push_back(Utf8FromWide(text));
    }
    return items;
}

int FindListItem(HWND hDlg, int nID, const std::string& text) {
    return int(SendDlgItemMessageW(hDlg, nID, LB_FINDSTRINGEXACT, WPARAM(-1),
                                   reinterpret_cast<LPARAM>(WideFromUtf8(text).c_str())));
}

void TypeText(HWND hDlg, int nID, const std::string& text) {
    HWND hEdit = GetDlgItem(hDlg, nID);
    for (wchar_t c : WideFromUtf8(text))
        SendMessageW(hEdit, WM_CHAR, WPARAM(c), 1);
}

std::string ItemText(HWND hDlg, int nID) {
    wchar_t text[256] = L"";
    GetDlgItemTextW(hDlg, nID, text, 256);
    return Utf8FromWide(text);
}

int ListSelection(HWND hDlg, int nID) {
    return int(SendDlgItemMessageA(hDlg, nID, LB_GETCURSEL, 0, 0));
}

void SelectListItem(HWND hDlg, int nID, int nIndex) {
    HWND hList = GetDlgItem(hDlg, nID);
    SendMessageA(hList, LB_SETCURSEL, WPARAM(nIndex), 0);
    SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nID, LBN_SELCHANGE), reinterpret_cast<LPARAM>(hList));
}

bool IsItemEnabled(HWND hDlg, int nID) {
    return IsWindowEnabled(GetDlgItem(hDlg, nID)) != FALSE;
}

void ClickButton(HWND hDlg, int nID) {
    SendMessageA(GetDlgItem(hDlg, nID), BM_CLICK, 0, 0);
}

void PostClick(HWND hDlg, int nID) {
    PostMessageA(GetDlgItem(hDlg, nID), BM_CLICK, 0, 0);
}

HWND OwnerOf(HWND hWnd) {
    return GetWindow(hWnd, GW_OWNER);
}

bool SaveWindowPicture(HWND hWnd, const char* pszFileName) {
    RECT rc;
    if (!GetWindowRect(hWnd, &rc)) return false;
    const int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    HDC hScreen = GetDC(nullptr);
    HDC hMem = CreateCompatibleDC(hScreen);
    void* bits = nullptr;
    HBITMAP hBmp = CreateDIBSection(hScreen, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (hBmp) {
        HGDIOBJ old = SelectObject(hMem, hBmp);
        ok = BitBlt(hMem, 0, 0, cx, cy, hScreen, rc.left, rc.top, SRCCOPY) != FALSE;
        GdiFlush();
        SelectObject(hMem, old);
    }
    if (ok) {
        char path[MAX_PATH];
        const DWORD len = GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string file(path, len);
        file = file.substr(0, file.find_last_of('\\') + 1) + pszFileName;
        const DWORD stride = DWORD((cx * 3 + 3) & ~3);
        BITMAPFILEHEADER bfh = {};
        bfh.bfType = 0x4D42;
        bfh.bfOffBits = sizeof bfh + sizeof bmi.bmiHeader;
        bfh.bfSize = bfh.bfOffBits + stride * DWORD(cy);
        FILE* f = fopen(file.c_str(), "wb");
        ok = f && fwrite(&bfh, sizeof bfh, 1, f) == 1 &&
             fwrite(&bmi.bmiHeader, sizeof bmi.bmiHeader, 1, f) == 1 &&
             fwrite(bits, stride * DWORD(cy), 1, f) == 1;
        if (f) fclose(f);
    }
    if (hBmp) DeleteObject(hBmp);
    DeleteDC(hMem);
    ReleaseDC(nullptr, hScreen);
    return ok;
}
