#include "ui/AboutDlg.h"
#include "res/resource.h"

CAboutDlg::CAboutDlg(int* pbMailVisited, int* pbWebVisited)
    : CDialog(IDD_ABOUTBOX), m_pbMailVisited(pbMailVisited), m_pbWebVisited(pbWebVisited) {}

BOOL CAboutDlg::OnInitDialog() {
    m_wndMailLink.SubclassDlgItem(IDC_MAIL_LINK, this);
    m_wndWebLink.SubclassDlgItem(IDC_WEB_LINK, this);
    if (m_pbMailVisited) m_wndMailLink.m_pbVisited = m_pbMailVisited;
    if (m_pbWebVisited) m_wndWebLink.m_pbVisited = m_pbWebVisited;
    CDialog::OnInitDialog();
    return TRUE; // the dialog manager sets the focus
}
