#include "procs/VantrelView.h"
#include "app/Vantrel.h"
#include "favorites/FavoritesDlg.h"
#include "favorites/Favorites.h"
#include "frame/MainFrm.h"
#include "res/resource.h"
#include "settings/SettingNames.h"

#include <cstdio>
#include <cstring>
#include <vector>

const char kFirstRunWarning[] = "Vantrel is for advanced users.\n\nTake care when killing programs "
                                "that live\nin the Windows folder or its sub-folders.";

const char kNoFavoritesMessage[] = "Favorites List has no Contents - hit F2 to Edit";

namespace {
const int kColumnCount = 5;
const char* const kColumnTitles[kColumnCount] = {"Process", "PID", "Base Priority", "Num. Threads",
                                                 "FullPath"};
} // namespace

CVantrelView::CVantrelView(CToolHelp* pToolHelp)
    : m_core(pToolHelp), m_bNT(m_core.m_bNT), m_bGentle(0) {}

BOOL CVantrelView::Create(DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID) {
    // Report mode, sorted by the first column; several rows may be selected.
    dwStyle |= LVS_REPORT | LVS_SORTASCENDING | LVS_ALIGNLEFT;
    return CListView::Create(dwStyle, rect, pParent, nID);
}

void CVantrelView::OnInitialUpdate() {
    CListView::OnInitialUpdate();
    BuildColumns();
    m_bGentle = VantrelApp()->m_settings.GetInt(kSectionSetting, kValueGentle, 0);
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
        widths[i] = VantrelApp()->m_settings.GetInt(kSectionGrid, ColumnValueName(i).c_str(), D);
        // A width is usable when the column can be seen and fits the view.
        if (widths[i] <= 0 || widths[i] > W) usable = false;
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

int CVantrelView::RefreshList() {
    // A shown list scrolls and repaints its lower part for every row put in above the last
    // one; with drawing switched off it is drawn once, when drawing is switched on again.
    // (Switching it on shows a window, so a hidden list is left as it is.)
    const bool bShown = (GetWindowLongPtrA(m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (bShown) SendMessage(WM_SETREDRAW, FALSE);
    GetListCtrl().DeleteAllItems();
    CProcessCore::BindResult bind = CProcessCore::Bound;
    const int result =
        m_core.ListProcesses([this](VN_PROCINFO& info) { AddProcessRow(info); }, &bind);
    if (bind != CProcessCore::Bound) OnBindFailure(bind);
    // The window may have gone while a message box was up (a failed binding).
    if (bShown && m_hWnd) {
        SendMessage(WM_SETREDRAW, TRUE);
        Invalidate();
    }
    return result;
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

bool CVantrelView::CellEquals(int row, int col, const std::string& upper) const {
    // Every added row is compared with every listed one, so this runs some ten thousand times
    // per refresh of a few hundred processes: the text is read into a buffer on the stack, and
    // upper-casing, which keeps the length, is skipped for a text of another length.
    char buffer[512];
    LVITEMA item = {};
    item.iSubItem = col;
    item.pszText = buffer;
    item.cchTextMax = int(sizeof buffer);
    const int len = int(
        GetListCtrl().SendMessage(LVM_GETITEMTEXTA, WPARAM(row), reinterpret_cast<LPARAM>(&item)));
    if (len >= int(sizeof buffer) - 1) // may not have fitted
        return UpperCase(GetListCtrl().GetItemText(row, col)) == upper;
    if (len < 0 || size_t(len) != upper.size()) return false;
    if (len > 0) CharUpperBuffA(buffer, DWORD(len));
    return memcmp(buffer, upper.data(), size_t(len)) == 0;
}

int CVantrelView::IsRowListed(std::string name, std::string path) {
    name = UpperCase(name);
    path = UpperCase(path);
    for (int i = 0; i < GetListCtrl().GetItemCount(); ++i)
        if (CellEquals(i, 4, path) && CellEquals(i, 0, name)) return 1;
    return 0;
}

int CVantrelView::FindRowByName(std::string name) {
    name = UpperCase(name);
    for (int i = 0; i < GetListCtrl().GetItemCount(); ++i)
        if (CellEquals(i, 0, name)) return i;
    return -1;
}

int CVantrelView::StartupRefresh() {
    const CRegSettings& settings = VantrelApp()->m_settings;
    if (settings.GetInt(kSectionNewbie, kValueStart, 1)) {
        AfxMessageBox(kFirstRunWarning, MB_OK);
        // Closed while the warning was up: it was not read, so it is shown again next time,
        // and there is no list left to fill.
        if (!m_hWnd) return 0;
        settings.SetInt(kSectionNewbie, kValueStart, 0);
    }
    return RefreshList();
}

void CVantrelView::OnRefresh() {
    RefreshList();
}

void CVantrelView::KillRow(int row, BOOL refreshAfter) {
    DWORD pid = 0;
    if (!ParsePidText(GetListCtrl().GetItemText(row, 1), &pid)) return;
    // Process ids are reused quickly: kill only while the id still belongs to a process of
    // the row's name, never whatever took the id over after the listed process ended.
    if (!m_core.IsProcessNamed(pid, GetListCtrl().GetItemText(row, 0))) return;
    if (!m_core.Kill(pid, m_bGentle)) return;
    GetListCtrl().DeleteItem(row);
    if (refreshAfter) RefreshList();
}

int CVantrelView::KillFavorites() {
    RefreshList();
    const std::vector<std::string> names = LoadFavorites(VantrelApp()->m_settings);
    if (names.empty()) {
        AfxMessageBox(kNoFavoritesMessage, MB_OK);
        return 0;
    }
    CMainFrame* pFrame = static_cast<CMainFrame*>(AfxGetMainWnd());
    for (const std::string& name : names) {
        if (pFrame) pFrame->SetStatusPaneText(1, ("Killing... " + name).c_str());
        const int row = FindRowByName(name);
        if (row != -1) KillRow(row, FALSE);
    }
    if (pFrame) pFrame->SetStatusPaneText(1, "     ");
    return 1;
}

void CVantrelView::OnKillSelected() {
    const int row = GetListCtrl().GetNextItem(-1, LVNI_SELECTED);
    if (row != -1) KillRow(row, TRUE);
}

void CVantrelView::OnUpdateKillSelected(CCmdUI* pCmdUI) {
    pCmdUI->Enable(GetListCtrl().GetSelectedCount() > 0);
}

void CVantrelView::OnKillFavorites() {
    KillFavorites();
}

void CVantrelView::OnKillFavoritesAndExit() {
    if (!KillFavorites()) return; // an empty list leaves the program open
    if (CFrameWnd* pFrame = AfxGetMainWnd()) pFrame->PostMessage(WM_CLOSE, 0, 0);
}

void CVantrelView::OnEditFavorites() {
    std::vector<std::string> listed;
    for (int row = 0; row < GetListCtrl().GetItemCount(); ++row)
        listed.push_back(GetListCtrl().GetItemText(row, 0));
    CFavoritesDlg dlg(listed);
    dlg.m_bGentle = m_bGentle;
    if (dlg.DoModal() != IDOK) return;
    // The favourites were stored by the dialog; the kill mode is stored here.
    VantrelApp()->m_settings.SetInt(kSectionSetting, kValueGentle, dlg.m_bGentle);
    m_bGentle = dlg.m_bGentle;
}

int CVantrelView::BindLibrary() {
    const CProcessCore::BindResult result = m_core.BindLibrary();
    if (result != CProcessCore::Bound) OnBindFailure(result);
    return result == CProcessCore::Bound ? 1 : 0;
}

void CVantrelView::OnBindFailure(CProcessCore::BindResult result) {
    if (result == CProcessCore::LoadFailed) AfxMessageBox(kLoadFailureText, MB_OK);
    // The list stays empty: the records could not be completed, and the window closes.
    CWnd* pFrame = AfxGetMainWnd();
    if (pFrame && pFrame->m_hWnd) pFrame->PostMessage(WM_CLOSE); // not when already closed
}

BEGIN_COMMAND_MAP(CVantrelView, CListView)
ON_COMMAND(ID_KILL_SELECTED, OnKillSelected)
ON_UPDATE_COMMAND_UI(ID_KILL_SELECTED, OnUpdateKillSelected)
ON_COMMAND(ID_KILL_FAVORITES, OnKillFavorites)
ON_COMMAND(ID_KILL_FAVORITES_EXIT, OnKillFavoritesAndExit)
ON_COMMAND(ID_EDIT_FAVORITES, OnEditFavorites)
ON_COMMAND(ID_VIEW_REFRESH, OnRefresh)
END_COMMAND_MAP()
