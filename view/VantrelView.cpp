#include "view/VantrelView.h"
#include "procs/KillReport.h"
#include "win/Elevation.h"
#include "favorites/FavoritesDlg.h"
#include "favorites/Favorites.h"
#include "fw/App.h"
#include "fw/Frame.h"
#include "res/resource.h"
#include "settings/SettingNames.h"

#include <algorithm>
#include <vector>

const char kFirstRunWarning[] = "Vantrel is for advanced users.\n\nTake care when killing programs "
                                "that live\nin the Windows folder or its sub-folders.";

const char kNoFavoritesMessage[] = "Favorites List has no Contents - hit F2 to Edit";

const char kCriticalProcessText[] = " is a critical system process. Ending it would stop Windows.";

const char kNotEndedText[] = "Not everything was ended:\n";

const char kWaitingForCloseText[] = "Waiting for the programs asked to close...";

const char kRestartElevatedQuestion[] =
    "Run as administrator, Vantrel may end what it was refused. Restart Vantrel as "
    "administrator?";

namespace {
const int kColumnCount = CProcessRows::kColumnCount;
const char* const kColumnTitles[kColumnCount] = {"Process", "PID", "Base Priority", "Num. Threads",
                                                 "FullPath"};
} // namespace

CVantrelView::CVantrelView(CToolHelp* pToolHelp)
    : m_core(pToolHelp), m_queryElevation(ElevationState), m_bNT(m_core.m_bNT) {}

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
}

void CVantrelView::BuildColumns() {
    RECT rc;
    GetClientRect(&rc);
    const int W = rc.right - rc.left;
    const int D = (W * 9) / 50;
    // A column may be as wide as the view or the whole desktop, whichever is wider: the widths
    // the person chose stay even when together they are wider than the view (the list then
    // scrolls sideways), as after making the window narrower.
    const int nWidest = (std::max)(W, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    int widths[kColumnCount];
    bool usable = true;
    for (int i = 0; i < kColumnCount; ++i) {
        widths[i] = ProgramSettings().GetInt(kSectionGrid, ColumnValueName(i).c_str(), D);
        // A width is usable when the column can be seen and is no wider than that.
        if (widths[i] <= 0 || widths[i] > nWidest) usable = false;
    }
    // Stored widths are kept only all together; any doubt puts every column at the default.
    if (!usable)
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
    // The rows are read before the new listing replaces them: the same processes stay
    // selected, focused and at the top.
    const ListState kept = KeepListState();
    CProcessCore::BindResult bind = CProcessCore::Bound;
    const int result = m_core.ListRows(&m_rows, &bind);
    ShowRows(kept);
    if (bind != CProcessCore::Bound) OnBindFailure(bind);
    return result;
}

void CVantrelView::ShowRows() {
    ShowRows(KeepListState());
}

void CVantrelView::ShowRows(const ListState& kept) {
    // A shown list scrolls and repaints its lower part for every row put in above the last
    // one; with drawing switched off it is drawn once, when drawing is switched on again.
    // (Switching it on shows a window, so a hidden list is left as it is.)
    const bool bShown = (GetWindowLongPtrA(m_hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (bShown) SendMessage(WM_SETREDRAW, FALSE);
    GetListCtrl().DeleteAllItems();
    const std::vector<size_t> order = m_rows.Ordered();
    const bool bAdministrator = m_queryElevation && m_queryElevation() == 1;
    for (size_t i = 0; i < order.size(); ++i)
        InsertRow(int(i), order[i], bAdministrator);
    RestoreListState(kept);
    if (bShown) {
        SendMessage(WM_SETREDRAW, TRUE);
        Invalidate();
    }
}

int CVantrelView::InsertRow(int nIndex, size_t nRow, bool bAdministrator) {
    const ProcessRow& row = m_rows[nRow];
    // The item's data says which row of the model it shows.
    const int index = GetListCtrl().InsertItem(
        nIndex, CProcessRows::CellText(row, 0, bAdministrator), LPARAM(nRow));
    if (index == -1) return -1;
    for (int col = 1; col < CProcessRows::kColumnCount; ++col)
        GetListCtrl().SetItemText(index, col, CProcessRows::CellText(row, col, bAdministrator));
    return index;
}

const ProcessRow* CVantrelView::RowAt(int nItem) const {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    if (!GetListCtrl().SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return nullptr;
    return size_t(item.lParam) < m_rows.Count() ? &m_rows[size_t(item.lParam)] : nullptr;
}

int CALLBACK CVantrelView::CompareRows(LPARAM a, LPARAM b, LPARAM lParamSort) {
    const CProcessRows* pRows = reinterpret_cast<const CProcessRows*>(lParamSort);
    return pRows->Before(size_t(a), size_t(b)) ? -1 : pRows->Before(size_t(b), size_t(a)) ? 1 : 0;
}

void CVantrelView::SortBy(int nColumn) {
    if (!m_rows.SortBy(nColumn)) return;
    GetListCtrl().SendMessage(LVM_SORTITEMS, reinterpret_cast<WPARAM>(&m_rows),
                              reinterpret_cast<LPARAM>(&CompareRows));
    ShowSortArrow();
}

void CVantrelView::ShowSortArrow() {
    const HWND hHeader = GetListCtrl().GetHeaderCtrl();
    for (int col = 0; col < CProcessRows::kColumnCount; ++col) {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        ::SendMessageA(hHeader, HDM_GETITEMA, WPARAM(col), reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(kHeaderSortUp | kHeaderSortDown);
        if (col == m_rows.SortColumn())
            item.fmt |= m_rows.IsSortDescending() ? kHeaderSortDown : kHeaderSortUp;
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

CVantrelView::ListState CVantrelView::KeepListState() const {
    ListState state;
    const CListCtrl& list = GetListCtrl();
    for (int item = list.GetNextItem(-1, LVNI_SELECTED); item != -1;
         item = list.GetNextItem(item, LVNI_SELECTED))
        if (const ProcessRow* pRow = RowAt(item)) state.selected.insert(CProcessRows::KeyOf(*pRow));
    if (const ProcessRow* pRow = RowAt(list.GetNextItem(-1, LVNI_FOCUSED)))
        state.focused = CProcessRows::KeyOf(*pRow);
    if (const ProcessRow* pRow = RowAt(int(list.SendMessage(LVM_GETTOPINDEX))))
        state.top = CProcessRows::KeyOf(*pRow);
    return state;
}

void CVantrelView::RestoreListState(const ListState& state) {
    CListCtrl& list = GetListCtrl();
    if (state.selected.empty() && !state.focused && !state.top) return;
    int top = -1;
    for (int item = 0; item < list.GetItemCount(); ++item) {
        const ProcessRow* pRow = RowAt(item);
        if (!pRow) continue;
        const CProcessRows::Key key = CProcessRows::KeyOf(*pRow);
        UINT nState = 0;
        if (state.selected.count(key)) nState |= LVIS_SELECTED;
        if (state.focused && key == *state.focused) nState |= LVIS_FOCUSED;
        if (nState) list.SetItemState(item, nState, nState);
        if (state.top && key == *state.top) top = item;
    }
    const int now = int(list.SendMessage(LVM_GETTOPINDEX));
    if (top >= 0 && top != now) {
        // Scrolled (from wherever the new rows left it) so that the same row is at the top.
        RECT rc = {LVIR_BOUNDS, 0, 0, 0};
        list.SendMessage(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rc));
        list.SendMessage(LVM_SCROLL, 0, LPARAM((top - now) * (rc.bottom - rc.top)));
    }
}

bool CVantrelView::RefuseDuringKillPass() const {
    // One pass at a time, and nothing that would change the list or the favourites under it:
    // a command that reaches the view during a pass (a key, the menu, a message sent straight
    // to it) does nothing.
    return IsKillPassRunning();
}

int CVantrelView::StartupRefresh() {
    const CRegSettings& settings = ProgramSettings();
    if (settings.GetInt(kSectionNewbie, kValueStart, 1)) {
        const int nAnswer = AfxMessageBox(kFirstRunWarning, MB_OK);
        // Closed while the warning was up: there is no list left to fill.
        if (!m_hWnd) return 0;
        if (nAnswer == 0) {
            // A close request ended the warning, not the person: it was not read, so it is
            // shown again next time, and the program closes as it was asked to.
            CloseMainWindow();
            return 0;
        }
        settings.SetInt(kSectionNewbie, kValueStart, 0);
    }
    return RefreshList();
}

void CVantrelView::OnRefresh() {
    if (RefuseDuringKillPass()) return;
    RefreshList();
}

int CVantrelView::KillFavorites(bool bExitAfter) {
    if (RefuseDuringKillPass()) return 0;
    SetKillStatus(""); // the last pass's line would read as this command's outcome
    RefreshList();
    const std::vector<std::string> names = LoadFavorites(ProgramSettings());
    if (names.empty()) {
        AfxMessageBox(kNoFavoritesMessage, MB_OK);
        return 0;
    }
    // Chosen before the pass starts: a pass that cannot have a thread ends before it returns.
    m_closeAfterPass = bExitAfter ? CloseIfAllEnded : StayOpen;
    StartKillPass(std::unique_ptr<CKillPass>(
        new CKillPass(CKillPass::ForFavorites(m_core, names, LoadKillMode(ProgramSettings())))));
    return 1;
}

void CVantrelView::OnKillSelected() {
    if (RefuseDuringKillPass()) return;
    SetKillStatus("");
    const CListCtrl& list = GetListCtrl();
    std::vector<CKillPass::Target> targets;
    bool bSelf = false;
    for (int item = list.GetNextItem(-1, LVNI_SELECTED); item != -1;
         item = list.GetNextItem(item, LVNI_SELECTED)) {
        const ProcessRow* pRow = RowAt(item);
        if (!pRow) continue;
        const CKillPass::Target target = {pRow->dwPID, pRow->name, pRow->path};
        if (CProcessCore::IsOwnProgram(target.dwPID, target.strName, target.strPath)) {
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
    m_closeAfterPass = bSelf ? CloseAfterSaying : StayOpen;
    StartKillPass(std::unique_ptr<CKillPass>(
        new CKillPass(CKillPass::ForTargets(m_core, targets, LoadKillMode(ProgramSettings())))));
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
    KillFavorites(true); // an empty list leaves the program open
}

void CVantrelView::StartKillPass(std::unique_ptr<CKillPass> pPass) {
    if (RefuseDuringKillPass()) return;
    m_pPass = std::move(pPass);
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

void CVantrelView::SetKillStatus(const std::string& text) {
    if (CFrameWnd* pFrame = MainFrame()) pFrame->SetStatusPaneText(1, text.c_str());
}

void CVantrelView::OnKillProgress(size_t nIndex) {
    if (!m_pPass) return;
    // The last name would read as the one being waited for.
    if (nIndex == CKillPass::kWaiting) SetKillStatus(kWaitingForCloseText);
    if (nIndex >= m_pPass->Names().size()) return;
    SetKillStatus("Killing... " + m_pPass->Names()[nIndex]);
}

void CVantrelView::OnKillDone() {
    if (!m_pPass) return;
    m_pPass->Join();
    const std::vector<CKillPass::Outcome> outcomes = m_pPass->Outcomes();
    const bool bAllEnded = m_pPass->AllEnded();
    m_pPass.reset();
    const CloseAfter close = m_closeAfterPass;
    m_closeAfterPass = StayOpen;
    // What happened, in one line, until the next kill command.
    SetKillStatus(SummaryLine(outcomes));
    RefreshList();
    if (!m_hWnd) return; // closed by a failed binding
    // A close request made meanwhile is answered without a box: it may be the system's own,
    // and nobody may be there to read it.
    if (!bAllEnded && close != CloseAnyway) {
        // The box is modal: the program may be closed while it is up.
        CKeepAlive keep(this);
        if (ReportNotEnded(outcomes)) return; // restarting as administrator: closing already
        if (!m_hWnd) return;
    }
    if (close == CloseAnyway || close == CloseAfterSaying ||
        (close == CloseIfAllEnded && bAllEnded))
        CloseMainWindow();
}

bool CVantrelView::ReportNotEnded(const std::vector<CKillPass::Outcome>& outcomes) {
    // The box names as many processes as the screen has room for (a line may wrap).
    int cyScreen = 0, cyLine = 0;
    AfxMessageBoxMetrics(&cyScreen, &cyLine);
    const std::string text =
        kNotEndedText + NotEndedLines(outcomes, ProcessLinesThatFit(cyScreen, cyLine));
    // Refused: access to the process, or its close request, because it runs at a higher level.
    const bool bRefused =
        std::any_of(outcomes.begin(), outcomes.end(), [](const CKillPass::Outcome& outcome) {
            return outcome.result == CKillPass::Denied || outcome.result == CKillPass::PostRefused;
        });
    // As administrator Vantrel may end what a standard user may not; where the system has no
    // elevation, or Vantrel has it already, there is nothing to offer.
    if (!bRefused || !m_queryElevation || m_queryElevation() != 0) {
        AfxMessageBox(text, MB_OK | MB_ICONWARNING);
        return false;
    }
    if (AfxMessageBox(text + "\n\n" + kRestartElevatedQuestion, MB_YESNO | MB_ICONWARNING) != IDYES)
        return false;
    // Declining the system's prompt leaves everything as it was.
    if (!m_hWnd || !RestartElevated()) return false;
    CloseMainWindow();
    return true;
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
    // One dialog at a time: a command sent while it is up (not a key: the window is disabled
    // then) would open a second one over it.
    if (RefuseDuringKillPass() || m_bEditingFavorites) return;
    std::vector<std::string> listed;
    for (int item = 0; item < GetListCtrl().GetItemCount(); ++item)
        if (const ProcessRow* pRow = RowAt(item)) listed.push_back(pRow->name);
    CFavoritesDlg dlg(listed);
    // The mode as stored now: another window or a script may have changed it.
    dlg.m_bGentle = LoadKillMode(ProgramSettings());
    m_bEditingFavorites = true;
    dlg.DoModal();               // OK stores the favourites and the kill mode
    m_bEditingFavorites = false; // the object lives on until this command has returned
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
