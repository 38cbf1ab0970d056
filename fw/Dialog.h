// CDialog: modal dialogs from a template, with data exchange between controls and members.
#pragma once

#include "fw/Wnd.h"

#include <string>

class CDialog;

// One direction of data exchange: into the controls (load) or out of them (save).
class CDataExchange {
  public:
    CDataExchange(CDialog* pDlg, BOOL bSaveAndValidate)
        : m_pDlgWnd(pDlg), m_bSaveAndValidate(bSaveAndValidate) {}
    HWND PrepareCtrl(int nID);
    // Ends a failed save: focus goes back to the last control, UpdateData returns FALSE.
    void Fail();

    CDialog* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
    bool m_bFailed = false;
    HWND m_hWndLastControl = nullptr;
};

// Binds a control of the dialog to a wrapper member (once).
void DDX_Control(CDataExchange* pDX, int nID, CWnd& rControl);
// A check box's state and an int (0 or 1).
void DDX_Check(CDataExchange* pDX, int nID, int& value);
// An edit control's text and a UTF-8 string (see GetWindowTextUtf8).
void DDX_Text(CDataExchange* pDX, int nID, std::string& value);
// Limits the text to nChars UTF-16 characters: the control takes no more on load; a longer
// text is refused with a message on save.
void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int nChars);

class CDialog : public CWnd {
  public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParent = nullptr);
    // Runs the dialog; owner is the parent given, else the dialog this one is opened from,
    // else the main window. Returns the id that ended it (IDOK, IDCANCEL) or -1 when it
    // could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(INT_PTR nResult);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

  protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange*) {}
    virtual void OnOK();
    virtual void OnCancel();

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;

    static INT_PTR CALLBACK StdDlgProc(HWND, UINT, WPARAM, LPARAM);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

  private:
    bool m_bDefaulted = false; // the current message went to the dialog manager's handling
};
