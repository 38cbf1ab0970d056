// CVantrelView: the process list window. Shows the rows its process core lists (a window-free
// model: each item's data says which row it shows, and no decision reads a cell back), runs
// the kill commands one pass at a time and holds the gentle-kill choice.
#pragma once

#include "fw/View.h"
#include "procs/KillPass.h"
#include "procs/ProcessCore.h"
#include "procs/ProcessRows.h"
#include "procs/ProcessText.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class CFrameWnd;

class CVantrelView : public CListView {
  public:
    // pToolHelp, when given, stands in for the system's process calls (tests).
    explicit CVantrelView(CToolHelp* pToolHelp = nullptr);
    ~CVantrelView() override;

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID) override;
    void OnInitialUpdate() override;
    void BuildColumns();

    // Lists the processes again (one walk) and shows the new rows, drawn once when all are
    // in, keeping the selection, focus and top row on the same processes. A library that
    // cannot be bound is reported (when it could not be loaded at all) and closes the
    // program. Non-zero when the processes were walked.
    int RefreshList();
    // Binds the core's library with the same reactions to a failure; 1 when bound.
    int BindLibrary();
    void ReleaseLibrary() { m_core.ReleaseLibrary(); }
    // The rows the list shows, and showing them again after they changed.
    CProcessRows& Rows() { return m_rows; }
    const CProcessRows& Rows() const { return m_rows; }
    void ShowRows();
    // The row an item of the list shows; null for an item that does not exist.
    const ProcessRow* RowAt(int nItem) const;
    // Sorts the rows by a column (0 name ... 4 path); the column already sorted by is reversed.
    void SortBy(int nColumn);
    int SortColumn() const { return m_rows.SortColumn(); }
    bool IsSortDescending() const { return m_rows.IsSortDescending(); }
    // The first-run warning when it is due, then the first listing.
    int StartupRefresh();

    // Starts a pass over every running process of every favourite; 0 (with a message) when
    // there are no favourites. The list is refreshed before and once the pass has ended;
    // bExitAfter closes the program then, when every favourite process ended.
    int KillFavorites(bool bExitAfter = false);
    // Whether a kill pass runs: the commands that would start another or change the list
    // are disabled meanwhile, and a close request waits for its end.
    bool IsKillPassRunning() const { return m_pPass != nullptr; }
    // A close request during a pass: the program closes when the pass has ended.
    void CloseAfterKillPass() { m_closeAfterPass = CloseAnyway; }
    // Whether the program runs as administrator (see ElevationState); tests stand in for it.
    void SetElevationQuery(std::function<int()> query) { m_queryElevation = std::move(query); }

    // Ends the process of every selected row, then refreshes the list once.
    void OnKillSelected();
    void OnUpdateKillSelected(CCmdUI* pCmdUI);
    void OnUpdateNotDuringKillPass(CCmdUI* pCmdUI);
    void OnKillFavorites();
    void OnKillFavoritesAndExit();
    void OnEditFavorites();
    void OnRefresh();

    CProcessCore& Core() { return m_core; }

  private:
    // What a refresh keeps of the list: rows by their process's key.
    struct ListState {
        std::set<CProcessRows::Key> selected;
        std::optional<CProcessRows::Key> focused, top;
    };
    void ShowRows(const ListState& kept);
    // Puts model row nRow in as item nIndex.
    int InsertRow(int nIndex, size_t nRow, bool bAdministrator);
    static int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM lParamSort);
    void ShowSortArrow();
    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* pResult) override;
    ListState KeepListState() const;
    void RestoreListState(const ListState& state);
    // True (and nothing is to be done) while a kill pass runs.
    bool RefuseDuringKillPass() const;

    // The header's sort arrows (common controls 6; older ones ignore them).
    static const int kHeaderSortDown = 0x0200, kHeaderSortUp = 0x0400;

    CProcessRows m_rows;

    void StartKillPass(std::unique_ptr<CKillPass> pPass);
    // The status bar's line about kills: what one does, or what the last one came to.
    static void SetKillStatus(const std::string& text);
    void OnKillProgress(size_t nIndex);
    void OnKillDone();
    // Says in a box what was not ended and why; offers to restart Vantrel as administrator
    // when a process was refused and that could help. The window may be gone afterwards.
    // True when the restart was made and the program is closing for it.
    bool ReportNotEnded(const std::vector<CKillPass::Outcome>& outcomes);
    // Asks the main window to close, as Exit does.
    void CloseMainWindow();
    static CFrameWnd* MainFrame();
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    // What a running kill pass reports to this window.
    static const UINT kMsgKillProgress = WM_APP + 1; // wParam: the favourite's index
    static const UINT kMsgKillDone = WM_APP + 2;

    CProcessCore m_core;
    std::unique_ptr<CKillPass> m_pPass; // the running pass; goes (and is joined) before the core
    // What closes the program once the running pass has ended.
    enum CloseAfter {
        StayOpen,
        CloseIfAllEnded,  // F10: only when every favourite process ended
        CloseAfterSaying, // F8 on the program's own row: after saying what was not ended
        CloseAnyway,      // a close request meanwhile: at once, without a box
    };
    CloseAfter m_closeAfterPass = StayOpen;
    bool m_bEditingFavorites = false; // the Favorites dialog is up
    std::function<int()> m_queryElevation;

  public:
    int& m_bNT; // the core's platform family: 0 on 95/98/Me

    DECLARE_COMMAND_MAP()

  protected:
    // Shows kLoadFailureText when the library could not be loaded, and asks the main window to
    // close for any failed binding.
    void OnBindFailure(CProcessCore::BindResult result);
};

extern const char kFirstRunWarning[];
extern const char kNoFavoritesMessage[];
// Follows the name of a process that must not be ended.
extern const char kCriticalProcessText[];
// The box after a pass that did not end everything: this text, then a line per process.
extern const char kNotEndedText[];
// The status line while a gentle kill waits for the programs it asked to close.
extern const char kWaitingForCloseText[];
// Follows that list when a process was refused and Vantrel does not run as administrator.
extern const char kRestartElevatedQuestion[];
