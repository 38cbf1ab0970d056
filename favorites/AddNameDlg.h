// CAddNameDlg: asks for one process name, typed by hand, of at most 12 characters, in any
// script; a name holding a character no file name can hold ('?', '\', ':' and the like) is
// refused.
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
// Why a typed name holding the character c is refused.
std::string ForbiddenCharText(const std::string& name, char c);
