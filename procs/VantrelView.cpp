#include "procs/VantrelView.h"
#include "app/Vantrel.h"
#include "frame/MainFrm.h"
#include "res/resource.h"

#include <cstdio>

const char kFirstRunWarning[] = "Vantrel is for advanced users.\n\nTake care when killing programs "
                                "that live\nin the Windows folder or its sub-folders.";

namespace {
const int kColumnCount = 5;
const char* const kColumnTitles[kColumnCount] = {"Process", "PID", "Base Priority", "Num. Threads",
                                                 "FullPath"};
} // namespace

std::string UpperCase(std::string text) {
    if (!text.empty()) CharUpperBuffA(&text[0], DWORD(text.size()));
    return text;
}

std::string FormatPid(DWORD dwPID) {
    char text[16];
    snprintf(text, sizeof text, "%lX", static_cast<unsigned long>(dwPID));
    return text;
}

std::string FormatBasePriority(LONG lBasePriority, DWORD dwPriorityClass) {
    const char* label = nullptr;
    switch (dwPriorityClass) {
    case NORMAL_PRIORITY_CLASS:
        label = "Normal";
        break;
    case IDLE_PRIORITY_CLASS:
        label = "Idle";
        break;
    case HIGH_PRIORITY_CLASS:
        label = "High";
        break;
    case REALTIME_PRIORITY_CLASS:
        label = "Real Time";
        break;
    }
    char text[48];
    if (label)
        snprintf(text, sizeof text, "%ld  (%s)", static_cast<long>(lBasePriority), label);
    else
        snprintf(text, sizeof text, "%ld", static_cast<long>(lBasePriority));
    return text;
}

CVantrelView::CVantrelView(CToolHelp* pToolHelp) : CProcessSnapshot(pToolHelp), m_bGentle(0) {}

BOOL CVantrelView::Create(DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID) {
    // Report mode, sorted by the first column; several rows may be selected.
    dwStyle |= LVS_REPORT | LVS_SORTASCENDING | LVS_ALIGNLEFT;
    return CListView::Create(dwStyle, rect, pParent, nID);
}

void CVantrelView::OnInitialUpdate() {
    CListView::OnInitialUpdate();
    BuildColumns();
    m_bGentle = VantrelApp()->m_settings.GetInt("Setting", "Gentle", 0);
    // From now on the frame keeps its placement, and the first listing follows shortly.
    if (CMainFrame* pFrame = static_cast<CMainFrame*>(AfxGetMainWnd())) {
        pFrame->m_bSavePlacement = 1;
        pFrame->StartStartupTimer();
    }
}

void CVantrelView::BuildColumns() {
    RECT rc;
    GetClientRect(&rc);
    const int W = rc.right - rc.left;
    const int D = (W * 9) / 50;
    int widths[kColumnCount];
    long long sum = 0;
    bool usable = true;
    for (int i = 0; i < kColumnCount; ++i) {
        char name[8];
        snprintf(name, sizeof name, "col%d", i);
        widths[i] = VantrelApp()->m_settings.GetInt("Grid", name, D);
        if (widths[i] == 0 || widths[i] > W) usable = false;
        sum += widths[i];
    }
    // Stored widths are kept only all together; any doubt puts every column at the default.
    if (!usable || sum > W)
        for (int& w : widths)
            w = D;
    for (int i = 0; i < kColumnCount; ++i) {
        LVCOLUMNA col = {};
        col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        col.fmt = LVCFMT_LEFT;
        col.cx = widths[i];
        col.pszText = const_cast<char*>(kColumnTitles[i]);
        col.iSubItem = i;
        GetListCtrl().InsertColumn(i, &col);
    }
}

int CVantrelView::AddProcessRow(VN_PROCINFO& info) {
    const std::string name =
        UpperCase(std::string(info.szName, strnlen(info.szName, sizeof info.szName)));
    memcpy(info.szName, name.c_str(), name.size());
    const std::string path =
        UpperCase(std::string(info.szFullPath, strnlen(info.szFullPath, sizeof info.szFullPath)));
    char threads[16];
    snprintf(threads, sizeof threads, "%d", int(info.dwThreadCount));
    const std::string texts[kColumnCount] = {
        name, FormatPid(info.dwPID), FormatBasePriority(info.lBasePriority, info.dwPriorityClass),
        threads, path};
    if (IsRowListed(name, path)) return 1; // one row per name and path
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    item.pszText = const_cast<char*>(name.c_str());
    const int row = GetListCtrl().InsertItem(&item);
    if (row == -1) return 0;
    for (int col = 1; col < kColumnCount; ++col)
        GetListCtrl().SetItemText(row, col, texts[col].c_str());
    return 1;
}

int CVantrelView::IsRowListed(std::string name, std::string path) {
    name = UpperCase(name);
    path = UpperCase(path);
    for (int i = 0; i < GetListCtrl().GetItemCount(); ++i) {
        if (UpperCase(GetListCtrl().GetItemText(i, 4)) == path &&
            UpperCase(GetListCtrl().GetItemText(i, 0)) == name)
            return 1;
    }
    return 0;
}

int CVantrelView::FindRowByName(std::string name) {
    name = UpperCase(name);
    for (int i = 0; i < GetListCtrl().GetItemCount(); ++i)
        if (UpperCase(GetListCtrl().GetItemText(i, 0)) == name) return i;
    return -1;
}

int CVantrelView::StartupRefresh() {
    const CRegSettings& settings = VantrelApp()->m_settings;
    if (settings.GetInt("Newbie", "Start", 1)) {
        AfxMessageBox(kFirstRunWarning, MB_OK);
        settings.SetInt("Newbie", "Start", 0);
    }
    return RefreshList();
}

void CVantrelView::OnRefresh() {
    RefreshList();
}

void CVantrelView::DeleteAllRows() {
    GetListCtrl().DeleteAllItems();
}

void CVantrelView::ShowLoadFailure() {
    AfxMessageBox(kLoadFailureText, MB_OK);
}

void CVantrelView::PostCloseRequest() {
    if (CFrameWnd* pFrame = AfxGetMainWnd()) pFrame->PostMessage(WM_CLOSE);
}

BEGIN_COMMAND_MAP(CVantrelView, CListView)
ON_COMMAND(ID_VIEW_REFRESH, OnRefresh)
END_COMMAND_MAP()
