#include "favorites/AddNameDlg.h"
#include "fw/App.h"
#include "res/resource.h"

#include <cstring>

namespace {
// The first character of a name that no file name can hold, or 0 when there is none: '?'
// (which the 95/98/Me family also puts for letters it lacks), the other wildcard, the path's
// separators and the shell's own characters, and control characters. A favourite holding one
// could never match a process.
char ForbiddenChar(const std::string& name) {
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || strchr("?*\\/:\"<>|", c)) return c;
    return 0;
}
} // namespace

std::string ForbiddenCharText(const std::string& name, char c) {
    return name + " cannot be a favourite: no file name holds \"" + c + "\".";
}

CAddNameDlg::CAddNameDlg(CWnd* pParent) : CDialog(IDD_ADD_NAME, pParent) {}

void CAddNameDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_PROCESS_NAME, m_strName);
    DDV_MaxChars(pDX, m_strName, kMaxAddNameChars);
    if (!pDX->m_bSaveAndValidate || pDX->m_bFailed) return;
    if (const char c = ForbiddenChar(m_strName)) {
        AfxMessageBox(ForbiddenCharText(m_strName, c), MB_OK | MB_ICONEXCLAMATION);
        pDX->Fail();
    }
}
