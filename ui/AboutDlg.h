// CAboutDlg: the About box, with the author's mail and web links.
#pragma once

#include "fw/Dialog.h"
#include "ui/StaticLink.h"

class CAboutDlg : public CDialog {
  public:
    // The links' visited flags, kept by the caller across About boxes (null: this box only).
    explicit CAboutDlg(int* pbMailVisited = nullptr, int* pbWebVisited = nullptr);

    CStaticLink m_wndMailLink;
    CStaticLink m_wndWebLink;

  protected:
    BOOL OnInitDialog() override;

  private:
    int* m_pbMailVisited;
    int* m_pbWebVisited;
};
