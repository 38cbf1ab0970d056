// CVantrelView: the process list. Shows the records of its process core as sorted rows, finds
// rows by name, runs the kill commands and holds the gentle-kill choice.
#pragma once

#include "fw/View.h"
#include "procs/ProcessCore.h"
#include "procs/ProcessText.h"

#include <string>

class CVantrelView : public CListView {
  public:
    // pToolHelp, when given, stands in for the system's process calls (tests).
    explicit CVantrelView(CToolHelp* pToolHelp = nullptr);

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
    int AddProcessRow(VN_PROCINFO& info);
    int IsRowListed(std::string name, std::string path);
    int FindRowByName(std::string name);
    // The first-run warning when it is due, then the first listing.
    int StartupRefresh();

    // Killing: the selected row, or every favourite.
    void KillRow(int row, BOOL refreshAfter);
    int KillFavorites();

    void OnKillSelected();
    void OnUpdateKillSelected(CCmdUI* pCmdUI);
    void OnKillFavorites();
    void OnKillFavoritesAndExit();
    void OnEditFavorites();
    void OnRefresh();

    CProcessCore& Core() { return m_core; }

  private:
    CProcessCore m_core;

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
