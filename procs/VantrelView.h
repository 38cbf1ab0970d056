// CVantrelView: the process list. Shows the records of its process core as sorted rows, finds
// rows by name, runs the kill commands and holds the gentle-kill choice.
#pragma once

#include "fw/View.h"
#include "procs/KillPass.h"
#include "procs/ProcessCore.h"
#include "procs/ProcessText.h"

#include <memory>
#include <set>
#include <string>
#include <unordered_set>
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

    // Empties the list and fills it from one walk of the processes, drawn once when all rows
    // are in. A library that cannot be bound is reported (when it could not be loaded at all)
    // and closes the program. Non-zero when the processes were walked.
    int RefreshList();
    // Binds the core's library with the same reactions to a failure; 1 when bound.
    int BindLibrary();
    void ReleaseLibrary() { m_core.ReleaseLibrary(); }
    // Adds one record's row in its place in the order shown (one row per name and path).
    int AddProcessRow(VN_PROCINFO& info);
    // Sorts the rows by a column (0 name ... 4 path); the column already sorted by is reversed.
    void SortBy(int nColumn);
    int SortColumn() const { return m_nSortColumn; }
    bool IsSortDescending() const { return m_bSortDescending; }
    int IsRowListed(std::string name, std::string path);
    int FindRowByName(std::string name);
    // The first-run warning when it is due, then the first listing.
    int StartupRefresh();

    // Starts a pass over every running process of every favourite; 0 (with a message) when
    // there are no favourites. The list is refreshed before and once the pass has ended.
    int KillFavorites();
    // Whether a kill pass runs: the commands that would start another or change the list
    // are disabled meanwhile, and a close request waits for its end.
    bool IsKillPassRunning() const { return m_pPass != nullptr; }
    void CloseAfterKillPass() { m_bCloseAfterPass = true; }

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
    // One row's data: what it shows and what it sorts by. A row's item data is its index here.
    struct Row {
        std::string name, path; // upper case
        DWORD dwPID;
        LONG lBasePriority;
        DWORD dwPriorityClass;
        DWORD dwThreads;
    };
    // What a refresh keeps of the list: rows by process id and name.
    struct ListState {
        std::set<std::string> selected;
        std::string focused, top;
    };
    void ClearRows();
    // Adds a record to the rows unless its name and path are listed already.
    bool AddRecord(VN_PROCINFO& info);
    int InsertRow(int nIndex, size_t nRow);
    LPARAM RowParam(int nIndex) const;
    bool RowBefore(LPARAM a, LPARAM b) const;
    static int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM lParamSort);
    void ShowSortArrow();
    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* pResult) override;
    // What identifies a row's process over a refresh: its PID and name texts.
    std::string ProcessKey(int nIndex) const;
    ListState KeepListState() const;
    void RestoreListState(const ListState& state);

    // The header's sort arrows (common controls 6; older ones ignore them).
    static const int kHeaderSortDown = 0x0200, kHeaderSortUp = 0x0400;

    std::vector<Row> m_rows;
    std::unordered_set<std::string> m_keys; // name + '\n' + path of every row
    int m_nSortColumn = 0;
    bool m_bSortDescending = false;

    void StartKillPass(CKillPass pass);
    void OnKillProgress(size_t nIndex);
    void OnKillDone();
    // Asks the main window to close, as Exit does.
    void CloseMainWindow();
    static CFrameWnd* MainFrame();
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

    // What a running kill pass reports to this window.
    static const UINT kMsgKillProgress = WM_APP + 1; // wParam: the favourite's index
    static const UINT kMsgKillDone = WM_APP + 2;

    CProcessCore m_core;
    std::unique_ptr<CKillPass> m_pPass; // the running pass; goes (and is joined) before the core
    bool m_bCloseAfterPass;

  public:
    int& m_bNT; // the core's platform family: 0 on 95/98/Me
    int m_bGentle;

    DECLARE_COMMAND_MAP()

  protected:
    // Whether the text of a cell, upper-cased, equals upper (an upper-case text).
    bool CellEquals(int row, int col, const std::string& upper) const;
    // Shows kLoadFailureText when the library could not be loaded, and asks the main window to
    // close for any failed binding.
    void OnBindFailure(CProcessCore::BindResult result);
};

extern const char kFirstRunWarning[];
extern const char kNoFavoritesMessage[];
// Follows the name of a process that must not be ended.
extern const char kCriticalProcessText[];
