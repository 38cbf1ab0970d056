// Drives modal dialogs from inside their own message loops, as a user would: a thread timer
// runs the queued steps in order, one per tick, while DoModal blocks the test. A step that
// opens another modal dialog posts its click and returns; the next steps then run inside
// that dialog's loop. Whatever is still open when the deadline passes is cancelled, so a
// failing test cannot hang.
#pragma once

#include "fw/Dialog.h"

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

class DialogDriver {
  public:
    explicit DialogDriver(DWORD dwDeadlineMs = 15000);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // A step that is done once it has run.
    DialogDriver& Then(std::function<void()> step);
    // A step that is retried on every tick until it returns true.
    DialogDriver& Until(std::function<bool()> step);
    // Two steps that picture a dialog as the screen shows it: a full repaint, then, once the
    // dialog's loop has waited (when the window's drawing reaches the screen), the picture.
    DialogDriver& Picture(const char* pszCaption, const char* pszFileName);
    // Runs a modal loop (a command that opens a dialog, say) with the queued steps and returns
    // its result; fails the test when a dialog had to be cancelled by the deadline or a step
    // never ran.
    INT_PTR Run(const std::function<INT_PTR()>& modal);
    INT_PTR Run(CDialog& dlg) {
        return Run([&dlg] { return dlg.DoModal(); });
    }
    // True when the deadline passed before the dialogs were closed.
    bool TimedOut() const { return m_bTimedOut; }
    // True when every queued step has run.
    bool Finished() const { return m_next == m_steps.size(); }

  private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD);
    void Tick();

    std::vector<std::function<bool()>> m_steps;
    size_t m_next = 0;
    UINT_PTR m_nTimer = 0;
    DWORD m_dwStart;
    DWORD m_dwDeadline;
    bool m_bTimedOut = false;
};

// Helpers for the steps. Dialogs are found among this thread's visible dialog windows.
HWND FindDialog(const char* pszCaption);
// Texts are UTF-8, exchanged with the controls through the wide messages.
std::vector<std::string> ListItems(HWND hDlg, int nID);
// The index of the list entry equal to text, ignoring case; LB_ERR when there is none.
int FindListItem(HWND hDlg, int nID, const std::string& text);
// Types text into an edit control as the keyboard does, one character message at a time.
void TypeText(HWND hDlg, int nID, const std::string& text);
// The text of a control.
std::string ItemText(HWND hDlg, int nID);
int ListSelection(HWND hDlg, int nID);
// Selects an entry as a click would: sets the selection, then notifies the dialog.
void SelectListItem(HWND hDlg, int nID, int nIndex);
bool IsItemEnabled(HWND hDlg, int nID);
// Clicks a button and returns when the click has been handled.
void ClickButton(HWND hDlg, int nID);
// Clicks a button from the dialog's own loop (for a click that opens another modal dialog).
void PostClick(HWND hDlg, int nID);
// The owner window of a dialog.
HWND OwnerOf(HWND hWnd);
// Writes what the screen shows of a window to a 24-bit BMP file beside the test program.
bool SaveWindowPicture(HWND hWnd, const char* pszFileName);
