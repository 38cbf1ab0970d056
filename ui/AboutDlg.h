// CAboutDlg: the About box.
#pragma once

#include "fw/Dialog.h"

class CAboutDlg : public CDialog {
  public:
    CAboutDlg();
};
