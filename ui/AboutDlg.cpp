#include "ui/AboutDlg.h"
#include "app/Vantrel.h"
#include "res/resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

BOOL CAboutDlg::OnInitDialog() {
    m_wndMailLink.SubclassDlgItem(IDC_MAIL_LINK, this);
    m_wndWebLink.SubclassDlgItem(IDC_WEB_LINK, this);
    // The visited flags belong to the application, so a link opened once keeps its colour
    // in every later About box of the run.
    if (CVantrelApp* pApp = VantrelApp()) {
        m_wndMailLink.m_pbVisited = &pApp->m_bMailVisited;
        m_wndWebLink.m_pbVisited = &pApp->m_bWebVisited;
    }
    CDialog::OnInitDialog();
    return TRUE; // the dialog manager sets the focus
}
