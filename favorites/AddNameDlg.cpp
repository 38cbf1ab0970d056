#include "favorites/AddNameDlg.h"
#include "res/resource.h"

CAddNameDlg::CAddNameDlg(CWnd* pParent) : CDialog(IDD_ADD_NAME, pParent) {}

void CAddNameDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_PROCESS_NAME, m_strName);
    DDV_MaxChars(pDX, m_strName, kMaxAddNameChars);
}
