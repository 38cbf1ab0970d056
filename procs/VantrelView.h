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

    int AddProcessRow(VN_PROCINFO& info) override;
    int IsRowListed(std::string name, std::string path);
    int FindRowByName(std::string name);
    // The first-run warning when it is due, then the first listing.
    int StartupRefresh();

    void OnRefresh();

    int m_bGentle;

    DECLARE_COMMAND_MAP()

  protected:
    void DeleteAllRows() override;
    void ShowLoadFailure() override;
    void PostCloseRequest() override;
};

// Upper-cases text in the ANSI code page, multi-byte aware.
std::string UpperCase(std::string text);

// The texts of a record's columns 1 to 4: PID, base priority with class, threads, path.
std::string FormatPid(DWORD dwPID);
std::string FormatBasePriority(LONG lBasePriority, DWORD dwPriorityClass);

extern const char kFirstRunWarning[];
