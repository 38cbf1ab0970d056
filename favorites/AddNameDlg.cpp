#include "favorites/AddNameDlg.h"
#include "fw/App.h"
#include "procs/ProcessText.h"
#include "res/resource.h"

std::string QuestionMarkNameText(const std::string& name) {
    return name + " cannot be a favourite: no file name holds \"?\".";
}

CAddNameDlg::CAddNameDlg(CWnd* pParent) : CDialog(IDD_ADD_NAME, pParent) {}

void CAddNameDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_PROCESS_NAME, m_strName);
    DDV_MaxChars(pDX, m_strName, kMaxAddNameChars);
    if (pDX->m_bSaveAndValidate && !pDX->m_bFailed && IsLossyName(m_strName)) {
        AfxMessageBox(QuestionMarkNameText(m_strName), MB_OK | MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}
