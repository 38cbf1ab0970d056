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

const char kCriticalProcessText[] = " is a critical system process. Ending it would stop Windows.";

namespace {
const int kColumnCount = 5;
const char* const kColumnTitles[kColumnCount] = {"Process", "PID", "Base Priority", "Num. Threads",
                                                 "FullPath"};
} // namespace

CVantrelView::CVantrelView(CToolHelp* pToolHelp)
    : m_core(pToolHelp), m_bCloseAfterPass(false), m_bNT(m_core.m_bNT), m_bGentle(0) {}

CVantrelView::~CVantrelView() {}

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

int CVantrelView::KillFavorites() {
    RefreshList();
    const std::vector<std::string> names = LoadFavorites(VantrelApp()->m_settings);
    if (names.empty()) {
        AfxMessageBox(kNoFavoritesMessage, MB_OK);
        return 0;
    }
    StartKillPass(CKillPass::ForFavorites(m_core, names, m_bGentle));
    return 1;
}

void CVantrelView::OnKillSelected() {
    const CListCtrl& list = GetListCtrl();
    std::vector<CKillPass::Target> targets;
    bool bSelf = false;
    for (int row = list.GetNextItem(-1, LVNI_SELECTED); row != -1;
         row = list.GetNextItem(row, LVNI_SELECTED)) {
        CKillPass::Target target = {0, list.GetItemText(row, 0), list.GetItemText(row, 4)};
        if (!ParsePidText(list.GetItemText(row, 1), &target.dwPID)) continue;
        if (target.dwPID == GetCurrentProcessId()) {
            bSelf = true; // the program's own row: it closes the normal way, after the others
            continue;
        }
        if (m_core.IsCritical(target.dwPID, target.strName, target.strPath)) {
            AfxMessageBox(target.strName + kCriticalProcessText, MB_OK | MB_ICONSTOP);
            return; // nothing of the selection is ended
        }
        targets.push_back(target);
    }
    if (targets.empty()) {
        if (bSelf) CloseMainWindow();
        return;
    }
    m_bCloseAfterPass = bSelf;
    StartKillPass(CKillPass::ForTargets(m_core, targets, m_bGentle));
}

void CVantrelView::OnUpdateKillSelected(CCmdUI* pCmdUI) {
    pCmdUI->Enable(!IsKillPassRunning() && GetListCtrl().GetSelectedCount() > 0);
}

void CVantrelView::OnUpdateNotDuringKillPass(CCmdUI* pCmdUI) {
    pCmdUI->Enable(!IsKillPassRunning());
}

void CVantrelView::OnKillFavorites() {
    KillFavorites();
}

void CVantrelView::OnKillFavoritesAndExit() {
    if (!KillFavorites()) return; // an empty list leaves the program open
    m_bCloseAfterPass = true;     // the program closes when the pass has ended
    if (!IsKillPassRunning()) CloseMainWindow();
}

void CVantrelView::StartKillPass(CKillPass pass) {
    m_pPass.reset(new CKillPass(std::move(pass)));
    // The pass runs on a thread of its own and reports through messages to this window, so
    // that the window keeps answering; no window is touched from that thread.
    const HWND hWnd = m_hWnd;
    const bool bStarted = m_pPass->Start(
        [hWnd](size_t nIndex) { ::PostMessageA(hWnd, kMsgKillProgress, WPARAM(nIndex), 0); },
        [hWnd] { ::PostMessageA(hWnd, kMsgKillDone, 0, 0); });
    if (bStarted) return;
    // No thread: the pass runs here, the window waiting for it as it must.
    m_pPass->Run([this](size_t nIndex) { OnKillProgress(nIndex); });
    OnKillDone();
}

void CVantrelView::OnKillProgress(size_t nIndex) {
    if (!m_pPass || nIndex >= m_pPass->Names().size()) return;
    if (CMainFrame* pFrame = static_cast<CMainFrame*>(AfxGetMainWnd()))
        pFrame->SetStatusPaneText(1, ("Killing... " + m_pPass->Names()[nIndex]).c_str());
}

void CVantrelView::OnKillDone() {
    if (!m_pPass) return;
    m_pPass->Join();
    const bool bFavorites = !m_pPass->Names().empty();
    m_pPass.reset();
    if (bFavorites)
        if (CMainFrame* pFrame = static_cast<CMainFrame*>(AfxGetMainWnd()))
            pFrame->SetStatusPaneText(1, "     ");
    RefreshList();
    if (m_bCloseAfterPass) {
        m_bCloseAfterPass = false;
        CloseMainWindow();
    }
}

void CVantrelView::CloseMainWindow() {
    CWnd* pFrame = AfxGetMainWnd();
    if (pFrame && pFrame->m_hWnd) pFrame->PostMessage(WM_CLOSE); // as Exit does
}

LRESULT CVantrelView::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case kMsgKillProgress:
        OnKillProgress(size_t(wp));
        return 0;
    case kMsgKillDone:
        OnKillDone();
        return 0;
    }
    return CListView::WindowProc(msg, wp, lp);
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
    CloseMainWindow();
}

BEGIN_COMMAND_MAP(CVantrelView, CListView)
ON_COMMAND(ID_KILL_SELECTED, OnKillSelected)
ON_UPDATE_COMMAND_UI(ID_KILL_SELECTED, OnUpdateKillSelected)
ON_COMMAND(ID_KILL_FAVORITES, OnKillFavorites)
ON_UPDATE_COMMAND_UI(ID_KILL_FAVORITES, OnUpdateNotDuringKillPass)
ON_COMMAND(ID_KILL_FAVORITES_EXIT, OnKillFavoritesAndExit)
ON_UPDATE_COMMAND_UI(ID_KILL_FAVORITES_EXIT, OnUpdateNotDuringKillPass)
ON_COMMAND(ID_EDIT_FAVORITES, OnEditFavorites)
ON_UPDATE_COMMAND_UI(ID_EDIT_FAVORITES, OnUpdateNotDuringKillPass)
ON_COMMAND(ID_VIEW_REFRESH, OnRefresh)
ON_UPDATE_COMMAND_UI(ID_VIEW_REFRESH, OnUpdateNotDuringKillPass)
END_COMMAND_MAP()
