// CAboutDlg: the About box, with the author's mail and web links.
#pragma once

#include "fw/Dialog.h"
#include "ui/StaticLink.h"

class CAboutDlg : public CDialog {
  public:
    CAboutDlg();

    CStaticLink m_wndMailLink;
    CStaticLink m_wndWebLink;

  protected:
    BOOL OnInitDialog() override;
};
