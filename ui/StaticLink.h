// CStaticLink: a static text control drawn as a hyperlink that hands its text to the shell.
#pragma once

#include "fw/Controls.h"
#include "fw/Gdi.h"

#include <string>

// How the links reach the shell and the speaker. Tests put recorders in their place.
struct LinkShell {
    HINSTANCE(WINAPI* pfnShellExecute)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    BOOL(WINAPI* pfnMessageBeep)(UINT);
};
// Replaces the functions the links call; returns the ones used before.
LinkShell SetLinkShell(const LinkShell& shell);

class CStaticLink : public CStatic {
  public:
    CStaticLink();

    COLORREF m_colorUnvisited;
    COLORREF m_colorVisited;
    // The owner's visited flag; the link counts as visited while it equals 1. The owner sets
    // it before the control is first drawn; without it the link is drawn unvisited.
    int* m_pbVisited;
    int m_bCaptured;    // the pointer is over the control and the control holds the capture
    int m_bPauseHover;  // hover tracking is off during the second after a click
    std::string m_link; // the target handed to the shell, from the window text at first click
    CFont m_font;       // an underlined copy of the control's font, made at the first drawing

    // The parent's colour request for this control: makes the control report clicks and,
    // for a plain text static, draws it as a link. Returns null for the ordinary drawing.
    HBRUSH CtlColor(HDC hDC, UINT nCtlColor);
    void OnClicked();
    void OnMouseMove(UINT nFlags, POINT point);
    void OnTimer(UINT_PTR nIDEvent);

  protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* pResult) override;
    void PostNcDestroy() override;

  private:
    bool IsVisited() const { return m_pbVisited && *m_pbVisited == 1; }
};

// The pause after a click during which pointer moves are ignored.
const UINT_PTR kLinkPauseTimerId = 102;
const UINT kLinkPauseDelay = 1000;
// The local part of the contact address and its at sign: a target containing it is mail.
extern const char kMailboxMarker[];
