// CVantrelView: the process list. Turns process records into sorted rows, finds rows by
// name, and holds the gentle-kill choice and the companion library binding.
#pragma once

#include "fw/View.h"
#include "procs/ProcessSnapshot.h"

#include <string>

class CMainFrame;

class CVantrelView : public CListView, public CProcessSnapshot {
  public:
    explicit CVantrelView(CToolHelp* pToolHelp = nullptr);

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID) override;
    void OnInitialUpdate() override;
    void BuildColumns();

    // The snapshot's refresh, with the list drawn once when all rows are in.
    int RefreshList() override;
    int AddProcessRow(VN_PROCINFO& info) override;
    int IsRowListed(std::string name, std::string path);
    int FindRowByName(std::string name);
    // The first-run warning when it is due, then the first listing.
    int StartupRefresh();

    // Killing: the selected row, or every favourite.
    void KillRow(int row, BOOL refreshAfter);
    BOOL ForceKill(DWORD pid);
    int KillFavorites();
    // Whether process pid still runs under the name a row shows for it.
    bool IsProcessNamed(DWORD pid, const std::string& name);

    void OnKillSelected();
    void OnUpdateKillSelected(CCmdUI* pCmdUI);
    void OnKillFavorites();
    void OnKillFavoritesAndExit();
    void OnEditFavorites();
    void OnRefresh();

    int m_bGentle;

    DECLARE_COMMAND_MAP()

  protected:
    // Whether the text of a cell, upper-cased, equals upper (an upper-case text).
    bool CellEquals(int row, int col, const std::string& upper) const;
    void DeleteAllRows() override;
    void ShowLoadFailure() override;
    void PostCloseRequest() override;
};

// Upper-cases text in the ANSI code page, multi-byte aware.
std::string UpperCase(std::string text);

// The texts of a record's columns 1 to 4: PID, base priority with class, threads, path.
std::string FormatPid(DWORD dwPID);
std::string FormatBasePriority(LONG lBasePriority, DWORD dwPriorityClass);

// The process id a row shows: its PID text read as hexadecimal. False when the text holds
// no hexadecimal number or one beyond 32 bits.
bool ParsePidText(const std::string& text, DWORD* pdwPID);

extern const char kFirstRunWarning[];
extern const char kNoFavoritesMessage[];
