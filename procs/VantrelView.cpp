#include "procs/VantrelView.h"
#include "favorites/FavoritesDlg.h"
#include "favorites/Favorites.h"
#include "fw/App.h"
#include "fw/Frame.h"
#include "res/resource.h"
#include "settings/SettingNames.h"

#include <algorithm>
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
    // Report mode; several rows may be selected. The view sorts the rows itself, by the column
    // the user chose (the name at first).
    dwStyle |= LVS_REPORT | LVS_ALIGNLEFT;
    return CListView::Create(dwStyle, rect, pParent, nID);
}

void CVantrelView::OnInitialUpdate() {
    CListView::OnInitialUpdate();
    BuildColumns();
    m_bGentle = ProgramSettings().GetInt(kSectionSetting, kValueGentle, 0);
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
        widths[i] = ProgramSettings().GetInt(kSectionGrid, ColumnValueName(i).c_str(), D);
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
    ShowSortArrow();
}

int CVantrelView::RefreshList() {
    // A shown list scrolls and repaints its lower part for every row put in above the last
    // one; with drawing switched off it is drawn once, when drawing is switched on again.
    // (Switching it on shows a window, so a hidden list is left as it is.)
    const bool bShown = (GetWindowLongPtrA(m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (bShown) SendMessage(WM_SETREDRAW, FALSE);
    const ListState kept = KeepListState();
    ClearRows();
    // The records are gathered first (one row per name and path, decided by their keys, never
    // by reading the control back), then put in once, in the chosen order.
    CProcessCore::BindResult bind = CProcessCore::Bound;
    const int result = m_core.ListProcesses([this](VN_PROCINFO& info) { AddRecord(info); }, &bind);
    std::vector<size_t> order(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [this](size_t a, size_t b) { return RowBefore(LPARAM(a), LPARAM(b)); });
    for (size_t i = 0; i < order.size(); ++i)
        InsertRow(int(i), order[i]);
    RestoreListState(kept);
    if (bind != CProcessCore::Bound) OnBindFailure(bind);
    // The window may have gone while a message box was up (a failed binding).
    if (bShown && m_hWnd) {
        SendMessage(WM_SETREDRAW, TRUE);
        Invalidate();
    }
    return result;
}

void CVantrelView::ClearRows() {
    GetListCtrl().DeleteAllItems();
    m_rows.clear();
    m_keys.clear();
}

bool CVantrelView::AddRecord(VN_PROCINFO& info) {
    Row row;
    row.name = UpperCase(std::string(info.szName, strnlen(info.szName, sizeof info.szName)));
    memcpy(info.szName, row.name.c_str(), row.name.size());
    row.path =
        UpperCase(std::string(info.szFullPath, strnlen(info.szFullPath, sizeof info.szFullPath)));
    // One row per name and path: the first process met keeps it.
    if (!m_keys.insert(row.name + '\n' + row.path).second) return false;
    row.dwPID = info.dwPID;
    row.lBasePriority = info.lBasePriority;
    row.dwPriorityClass = info.dwPriorityClass;
    row.dwThreads = info.dwThreadCount;
    m_rows.push_back(row);
    return true;
}

int CVantrelView::InsertRow(int nIndex, size_t nRow) {
    const Row& row = m_rows[nRow];
    char threads[16];
    snprintf(threads, sizeof threads, "%d", int(row.dwThreads));
    const std::string texts[kColumnCount] = {
        row.name, FormatPid(row.dwPID), FormatBasePriority(row.lBasePriority, row.dwPriorityClass),
        threads, row.path};
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = nIndex;
    item.pszText = const_cast<char*>(texts[0].c_str());
    item.lParam = LPARAM(nRow);
    const int index = GetListCtrl().InsertItem(&item);
    if (index == -1) return -1;
    for (int col = 1; col < kColumnCount; ++col)
        GetListCtrl().SetItemText(index, col, texts[col].c_str());
    return index;
}

int CVantrelView::AddProcessRow(VN_PROCINFO& info) {
    if (!AddRecord(info)) return 1; // one row per name and path
    // In its place in the chosen order: after the last row that comes before it.
    const size_t nRow = m_rows.size() - 1;
    int lo = 0, hi = GetListCtrl().GetItemCount();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (RowBefore(LPARAM(nRow), RowParam(mid)))
            hi = mid;
        else
            lo = mid + 1;
    }
    return InsertRow(lo, nRow) == -1 ? 0 : 1;
}

LPARAM CVantrelView::RowParam(int nIndex) const {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nIndex;
    GetListCtrl().SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.lParam;
}

bool CVantrelView::RowBefore(LPARAM a, LPARAM b) const {
    if (size_t(a) >= m_rows.size() || size_t(b) >= m_rows.size()) return a < b;
    const Row& x = m_rows[size_t(a)];
    const Row& y = m_rows[size_t(b)];
    int order = 0;
    switch (m_nSortColumn) {
    case 1:
        order = x.dwPID < y.dwPID ? -1 : x.dwPID > y.dwPID;
        break;
    case 2:
        order = x.lBasePriority < y.lBasePriority ? -1 : x.lBasePriority > y.lBasePriority;
        break;
    case 3:
        order = x.dwThreads < y.dwThreads ? -1 : x.dwThreads > y.dwThreads;
        break;
    case 4:
        order = lstrcmpiA(x.path.c_str(), y.path.c_str());
        break;
    default:
        order = lstrcmpiA(x.name.c_str(), y.name.c_str());
        break;
    }
    if (m_bSortDescending) order = -order;
    // Equal rows keep the order in which they were listed.
    return order != 0 ? order < 0 : a < b;
}

int CALLBACK CVantrelView::CompareRows(LPARAM a, LPARAM b, LPARAM lParamSort) {
    const CVantrelView* pView = reinterpret_cast<const CVantrelView*>(lParamSort);
    return pView->RowBefore(a, b) ? -1 : pView->RowBefore(b, a) ? 1 : 0;
}

void CVantrelView::SortBy(int nColumn) {
    if (nColumn < 0 || nColumn >= kColumnCount) return;
    // A second click on the same column reverses the order.
    m_bSortDescending = nColumn == m_nSortColumn ? !m_bSortDescending : false;
    m_nSortColumn = nColumn;
    GetListCtrl().SendMessage(LVM_SORTITEMS, reinterpret_cast<WPARAM>(this),
                              reinterpret_cast<LPARAM>(&CompareRows));
    ShowSortArrow();
}

void CVantrelView::ShowSortArrow() {
    const HWND hHeader = GetListCtrl().GetHeaderCtrl();
    for (int col = 0; col < kColumnCount; ++col) {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        ::SendMessageA(hHeader, HDM_GETITEMA, WPARAM(col), reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(kHeaderSortUp | kHeaderSortDown);
        if (col == m_nSortColumn) item.fmt |= m_bSortDescending ? kHeaderSortDown : kHeaderSortUp;
        ::SendMessageA(hHeader, HDM_SETITEMA, WPARAM(col), reinterpret_cast<LPARAM>(&item));
    }
}

bool CVantrelView::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* pResult) {
    const NMHDR* pnmh = reinterpret_cast<const NMHDR*>(lp);
    if (msg == WM_NOTIFY && pnmh->hwndFrom == m_hWnd && pnmh->code == LVN_COLUMNCLICK) {
        SortBy(reinterpret_cast<const NMLISTVIEW*>(lp)->iSubItem);
        *pResult = 0;
        return true;
    }
    return CListView::OnChildNotify(msg, wp, lp, pResult);
}

std::string CVantrelView::ProcessKey(int nIndex) const {
    // A row is the same over a refresh when its process is: the same id under the same name.
    const CListCtrl& list = GetListCtrl();
    return list.GetItemText(nIndex, 1) + '\n' + list.GetItemText(nIndex, 0);
}

CVantrelView::ListState CVantrelView::KeepListState() const {
    ListState state;
    const CListCtrl& list = GetListCtrl();
    for (int row = list.GetNextItem(-1, LVNI_SELECTED); row != -1;
         row = list.GetNextItem(row, LVNI_SELECTED))
        state.selected.insert(ProcessKey(row));
    const int focused = list.GetNextItem(-1, LVNI_FOCUSED);
    if (focused != -1) state.focused = ProcessKey(focused);
    const int top = int(list.SendMessage(LVM_GETTOPINDEX));
    if (top >= 0 && top < list.GetItemCount()) state.top = ProcessKey(top);
    return state;
}

void CVantrelView::RestoreListState(const ListState& state) {
    CListCtrl& list = GetListCtrl();
    if (state.selected.empty() && state.focused.empty() && state.top.empty()) return;
    int top = -1;
    for (int row = 0; row < list.GetItemCount(); ++row) {
        const std::string key = ProcessKey(row);
        UINT nState = 0;
        if (state.selected.count(key)) nState |= LVIS_SELECTED;
        if (key == state.focused) nState |= LVIS_FOCUSED;
        if (nState) list.SetItemState(row, nState, nState);
        if (key == state.top) top = row;
    }
    const int now = int(list.SendMessage(LVM_GETTOPINDEX));
    if (top >= 0 && top != now) {
        // Scrolled (from wherever the new rows left it) so that the same row is at the top.
        RECT rc = {LVIR_BOUNDS, 0, 0, 0};
        list.SendMessage(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rc));
        list.SendMessage(LVM_SCROLL, 0, LPARAM((top - now) * (rc.bottom - rc.top)));
    }
}

bool CVantrelView::CellEquals(int row, int col, const std::string& upper) const {
    // Look-ups by name read every row: the text is read into a buffer on the stack, and
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
    const CRegSettings& settings = ProgramSettings();
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
    const std::vector<std::string> names = LoadFavorites(ProgramSettings());
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
    if (CFrameWnd* pFrame = MainFrame())
        pFrame->SetStatusPaneText(1, ("Killing... " + m_pPass->Names()[nIndex]).c_str());
}

void CVantrelView::OnKillDone() {
    if (!m_pPass) return;
    m_pPass->Join();
    const bool bFavorites = !m_pPass->Names().empty();
    m_pPass.reset();
    if (bFavorites)
        if (CFrameWnd* pFrame = MainFrame()) pFrame->SetStatusPaneText(1, "     ");
    RefreshList();
    if (m_bCloseAfterPass) {
        m_bCloseAfterPass = false;
        CloseMainWindow();
    }
}

CFrameWnd* CVantrelView::MainFrame() {
    return static_cast<CFrameWnd*>(AfxGetMainWnd()); // the program's main window is a frame
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
    // OK has stored the favourites and the kill mode.
    if (dlg.DoModal() == IDOK) m_bGentle = dlg.m_bGentle;
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
