// CAddNameDlg: asks for one process name, typed by hand, of at most 12 characters, in any
// script; a name holding '?' is refused.
#pragma once

#include "fw/Dialog.h"

#include <string>

class CAddNameDlg : public CDialog {
  public:
    explicit CAddNameDlg(CWnd* pParent = nullptr);

    // The typed name, exactly as typed (no trimming, no change of case).
    std::string m_strName;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
};

// The longest name the dialog takes.
const int kMaxAddNameChars = 12;
// Why a typed name holding '?' is refused.
std::string QuestionMarkNameText(const std::string& name);
