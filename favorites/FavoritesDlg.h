// CFavoritesDlg: edits the favourites and the gentle-kill choice. Candidates (names shown in
// the process list that are not favourites yet) move to the favourites and back; OK stores
// both, or says why it could not and stays open; Cancel discards every change.
#pragma once

#include "fw/Controls.h"
#include "fw/Dialog.h"

#include <windows.h>

#include <string>
#include <vector>

class CFavoritesDlg : public CDialog {
  public:
    // listedNames: the names the process list shows, one per row, in row order.
    explicit CFavoritesDlg(std::vector<std::string> listedNames = {}, CWnd* pParent = nullptr);

    CListBox m_lbFavorites;
    CListBox m_lbCandidates;
    CButton m_btnAdd;
    CButton m_btnRemove;
    // The "Kill Gently" check box: 0 unchecked, 1 checked.
    int m_bGentle;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnSelchangeCandidates();
    void OnSelchangeFavorites();
    void OnRemove();
    void OnAdd();
    void OnManualAdd();
    void OnKillGently();
    void UpdateArrowButtons();
    void ListsChanged(); // after an entry came or went
    bool IsListed(const std::string& name) const;

    std::vector<std::string> m_listedNames; // upper-cased
    std::vector<std::string> m_shown;       // the favourites as stored when the dialog opened
    int m_bGentleShown = 0;                 // and the kill mode

    DECLARE_COMMAND_MAP()
};

extern const char kGentleWarning[];
// What OK says when the favourites (bFavorites) or else the kill mode could not be stored:
// what failed and the system's reason for lError.
std::string SaveFailureText(bool bFavorites, LONG lError);
// Why a name that holds '?' (the letters an ANSI listing could not spell) cannot be a
// favourite.
std::string LossyNameText(const std::string& name);
// The question asked before a process that does not shut down gracefully becomes a favourite.
std::string UngracefulQuestion(const std::string& name);
