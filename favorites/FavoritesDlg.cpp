#include "favorites/FavoritesDlg.h"
#include "fw/App.h"
#include "favorites/AddNameDlg.h"
#include "favorites/Favorites.h"
#include "procs/ProcessText.h"
#include "res/resource.h"
#include "settings/SettingNames.h"
#include "settings/TextRules.h"
#include "win/SystemMessage.h"

#include <algorithm>
#include <climits>

const char kGentleWarning[] = "While this is gentle it does not guarantee the process will be "
                              "killed.";

std::string SaveFailureText(bool bFavorites, LONG lError) {
    return std::string(bFavorites ? "Your Favorites" : "The Kill Gently choice") +
           " could not be saved.\n\n" + SystemMessage(DWORD(lError)) + ".";
}

std::string LossyNameText(const std::string& name) {
    return name + " cannot be a favourite: its name holds letters that this version of Windows "
                  "shows as \"?\".";
}

std::string UngracefulQuestion(const std::string& name) {
    return "The application " + name +
           " does not shut down gracefully.\n\nAre you sure you want to add it to your "
           "Favorites?";
}

CFavoritesDlg::CFavoritesDlg(std::vector<std::string> listedNames, CWnd* pParent)
    : CDialog(IDD_FAVORITES, pParent), m_bGentle(0), m_listedNames(std::move(listedNames)) {
    for (std::string& name : m_listedNames)
        name = UpperCase(name);
}

bool CFavoritesDlg::IsListed(const std::string& name) const {
    return std::find(m_listedNames.begin(), m_listedNames.end(), UpperCase(name)) !=
           m_listedNames.end();
}

void CFavoritesDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FAVORITES, m_lbFavorites);
    DDX_Control(pDX, IDC_CANDIDATES, m_lbCandidates);
    DDX_Control(pDX, IDC_ADD, m_btnAdd);
    DDX_Control(pDX, IDC_REMOVE, m_btnRemove);
    DDX_Check(pDX, IDC_KILL_GENTLY, m_bGentle);
}

BEGIN_COMMAND_MAP(CFavoritesDlg, CDialog)
ON_LBN_SELCHANGE(IDC_CANDIDATES, OnSelchangeCandidates)
ON_LBN_SELCHANGE(IDC_FAVORITES, OnSelchangeFavorites)
ON_BN_CLICKED(IDC_REMOVE, OnRemove)
ON_BN_CLICKED(IDC_ADD, OnAdd)
ON_BN_CLICKED(IDC_MANUAL_ADD, OnManualAdd)
ON_BN_CLICKED(IDC_KILL_GENTLY, OnKillGently)
END_COMMAND_MAP()

BOOL CFavoritesDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_shown = LoadFavorites(ProgramSettings());
    m_bGentleShown = m_bGentle;
    for (const std::string& name : m_shown)
        m_lbFavorites.AddString(name);
    // Every row of the list as it was shown, whose name is not a favourite in any case. A
    // name on several rows is offered as often.
    for (const std::string& name : m_listedNames)
        if (m_lbFavorites.FindStringExact(-1, name) == LB_ERR) m_lbCandidates.AddString(name);
    ListsChanged();
    return TRUE;
}

void CFavoritesDlg::ListsChanged() {
    // Long names that differ only at the end must be told apart before one becomes a
    // favourite: both lists scroll sideways to their widest name.
    m_lbFavorites.FitHorizontalExtent();
    m_lbCandidates.FitHorizontalExtent();
    UpdateArrowButtons();
}

void CFavoritesDlg::UpdateArrowButtons() {
    const BOOL canRemove = m_lbFavorites.GetCount() > 0 && m_lbFavorites.GetCurSel() != LB_ERR;
    const BOOL canAdd = m_lbCandidates.GetCount() > 0 && m_lbCandidates.GetCurSel() != LB_ERR;
    // A clicked arrow holds the focus; disabled, it would leave the dialog deaf to the
    // keyboard (Tab, Enter, Escape). The focus moves to the list the arrow takes from.
    HWND hFocus = GetFocus();
    if (!canRemove && hFocus == m_btnRemove.m_hWnd)
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_lbFavorites.m_hWnd), TRUE);
    if (!canAdd && hFocus == m_btnAdd.m_hWnd)
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_lbCandidates.m_hWnd), TRUE);
    m_btnRemove.EnableWindow(canRemove);
    m_btnAdd.EnableWindow(canAdd);
}

void CFavoritesDlg::OnSelchangeCandidates() {
    UpdateArrowButtons();
}

void CFavoritesDlg::OnSelchangeFavorites() {
    UpdateArrowButtons();
}

void CFavoritesDlg::OnAdd() {
    const int sel = m_lbCandidates.GetCurSel();
    if (sel != LB_ERR) {
        const std::string name = UpperCase(m_lbCandidates.GetText(sel));
        // A name listed with '?' for the letters the system could not spell stands for every
        // process listed the same way. Only a plain Yes adds a process that is known to resist
        // being closed.
        bool add = !IsLossyName(name);
        if (!add)
            AfxMessageBox(LossyNameText(name), MB_OK | MB_ICONEXCLAMATION);
        else if (name == "VSMON.EXE")
            add = AfxMessageBox(UngracefulQuestion(name), MB_YESNO) == IDYES;
        if (!m_hWnd) return; // the program was closed while the question was up
        if (add) {
            m_lbCandidates.DeleteString(sel);
            m_lbFavorites.AddString(name);
        }
    }
    ListsChanged();
}

void CFavoritesDlg::OnRemove() {
    const int sel = m_lbFavorites.GetCurSel();
    if (sel != LB_ERR) {
        const std::string name = UpperCase(m_lbFavorites.GetText(sel));
        m_lbFavorites.DeleteString(sel);
        // Back among the candidates only while a row shows it; otherwise it is gone.
        if (IsListed(name)) m_lbCandidates.AddString(name);
    }
    ListsChanged();
}

void CFavoritesDlg::OnManualAdd() {
    CAddNameDlg dlg;
    if (dlg.DoModal() != IDOK) return;
    // Blanks around a typed name are slips of the keyboard: a favourite that kept them would
    // never match the program meant.
    const std::string name = UpperCase(textrules::Trim(dlg.m_strName));
    if (name.empty()) return;
    if (m_lbFavorites.FindStringExact(-1, name) == LB_ERR) m_lbFavorites.AddString(name);
    ListsChanged();
}

void CFavoritesDlg::OnKillGently() {
    UpdateData(TRUE);
    if (m_bGentle) AfxMessageBox(kGentleWarning, MB_OK);
}

void CFavoritesDlg::OnOK() {
    if (!UpdateData(TRUE)) return;
    std::vector<std::string> names;
    const int count = m_lbFavorites.GetCount();
    for (int i = 0; i < count; ++i) {
        names.push_back(m_lbFavorites.GetText(i));
        // Stored by an earlier version as the system listed it: the person removes it first.
        if (IsLossyName(names.back())) {
            AfxMessageBox(LossyNameText(names.back()), MB_OK | MB_ICONEXCLAMATION);
            return;
        }
    }
    // Another window or a script may have stored a list since the dialog opened: what the
    // person changed is applied to that one. What nobody changed is not written at all, so an
    // unchanged OK never touches the store (nor makes a /kill meanwhile read the list as empty).
    const std::vector<std::string> stored = LoadFavorites(ProgramSettings());
    const std::vector<std::string> merged = MergeFavorites(m_shown, names, stored);
    const LONG lFavorites = SameFavorites(merged, stored)
                                ? ERROR_SUCCESS
                                : SaveFavorites(ProgramSettings(), merged);
    // The kill mode likewise, unless none (or none readable) is stored: OK stores the one
    // shown then.
    const bool bModeStored =
        ProgramSettings().GetInt(kSectionSetting, kValueGentle, INT_MIN) != INT_MIN;
    const LONG lGentle = m_bGentle == m_bGentleShown && bModeStored
                             ? ERROR_SUCCESS
                             : SaveKillMode(ProgramSettings(), m_bGentle);
    const bool bFavoritesFailed = lFavorites != ERROR_SUCCESS;
    if (bFavoritesFailed || lGentle != ERROR_SUCCESS) {
        // The dialog stays open with the person's choices: another OK tries again, Cancel
        // gives up.
        AfxMessageBox(SaveFailureText(bFavoritesFailed, bFavoritesFailed ? lFavorites : lGentle),
                      MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    EndDialog(IDOK);
}
