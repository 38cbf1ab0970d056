// CCmdTarget, CCmdUI and CWnd: the window wrapper, its message switch and command tables.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

class CCmdUI;
class CDataExchange;

// One entry of a class's command table. A plain command (menu, accelerator, toolbar button,
// button click) has code 0; control notifications carry their own code (LBN_SELCHANGE, ...).
template <class T> struct CmdEntry {
    UINT nID;
    UINT nCode;
    bool bNotify;                  // true: a control notification with exactly nCode
    void (T::*pfnCommand)();       // the handler, or null for an update-only entry
    void (T::*pfnUpdate)(CCmdUI*); // the update handler, or null
};

// Looks a command up in a table: runs the handler (pCmdUI null) or the update handler.
// A command with a handler but no update handler is enabled.
template <class T>
bool DispatchCmd(T* self, const CmdEntry<T>* table, UINT nID, UINT nCode, bool bNotify,
                 CCmdUI* pCmdUI);

// A command table for class `cls`: OnCmdMsg consults it, then the base class's.
#define DECLARE_COMMAND_MAP()                                                                      \
  public:                                                                                          \
    BOOL OnCmdMsg(UINT nID, UINT nCode, bool bNotify, CCmdUI* pCmdUI) override;

#define BEGIN_COMMAND_MAP(cls, base)                                                               \
    BOOL cls::OnCmdMsg(UINT nID, UINT nCode, bool bNotify, CCmdUI* pCmdUI) {                       \
        typedef cls ThisClass;                                                                     \
        typedef base BaseClass;                                                                    \
        static const CmdEntry<ThisClass> table[] = {
#define ON_COMMAND(id, fn) {id, 0, false, &ThisClass::fn, nullptr},
#define ON_UPDATE_COMMAND_UI(id, fn) {id, 0, false, nullptr, &ThisClass::fn},
#define ON_BN_CLICKED(id, fn) {id, BN_CLICKED, true, &ThisClass::fn, nullptr},
#define ON_LBN_SELCHANGE(id, fn) {id, LBN_SELCHANGE, true, &ThisClass::fn, nullptr},
#define END_COMMAND_MAP()                                                                          \
    { 0, 0, false, nullptr, nullptr }                                                              \
    }                                                                                              \
    ;                                                                                              \
    if (DispatchCmd<ThisClass>(this, table, nID, nCode, bNotify, pCmdUI)) return TRUE;             \
    return BaseClass::OnCmdMsg(nID, nCode, bNotify, pCmdUI);                                       \
    }

class CCmdTarget {
  public:
    virtual ~CCmdTarget() {}
    // Runs command nID (pCmdUI null) or asks for its state (pCmdUI set). Returns TRUE when
    // this object has an entry for it.
    virtual BOOL OnCmdMsg(UINT nID, UINT nCode, bool bNotify, CCmdUI* pCmdUI);
};

// The state of one command as its update handlers set it. This class only records whether
// the command is enabled (a probe); subclasses show the state on a menu item or a button.
class CCmdUI {
  public:
    virtual ~CCmdUI() {}
    UINT m_nID = 0;
    BOOL m_bEnabled = TRUE; // result of the last Enable
    bool m_bHandled = false;

    virtual void Enable(BOOL bOn) { m_bEnabled = bOn; }
    virtual void SetCheck(int) {}
};

template <class T>
bool DispatchCmd(T* self, const CmdEntry<T>* table, UINT nID, UINT nCode, bool bNotify,
                 CCmdUI* pCmdUI) {
    const CmdEntry<T>* command = nullptr;
    for (const CmdEntry<T>* e = table; e->nID != 0; ++e) {
        if (e->nID != nID) continue;
        if (pCmdUI) {
            if (e->bNotify) continue;
            if (e->pfnUpdate) {
                pCmdUI->m_bHandled = true;
                (self->*e->pfnUpdate)(pCmdUI);
                return true;
            }
            if (e->pfnCommand) command = e;
        } else if (e->pfnCommand && e->bNotify == bNotify && (!bNotify || e->nCode == nCode)) {
            (self->*e->pfnCommand)();
            return true;
        }
    }
    if (command) {
        pCmdUI->m_bHandled = true;
        pCmdUI->Enable(TRUE);
        return true;
    }
    return false;
}

class CWnd : public CCmdTarget {
  public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd;

    operator HWND() const { return m_hWnd; }

    // The wrapper object of a window created or subclassed by us, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Creates a window: of a system class (subclassed then), or of a class of ours, which is
    // registered on first use.
    BOOL CreateEx(DWORD dwExStyle, const char* pszClass, const char* pszTitle, DWORD dwStyle, int x,
                  int y, int cx, int cy, HWND hParent, HMENU hMenuOrId);
    // Wraps a window without taking it over (dialog controls): no messages come to us.
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    // Takes over a dialog's control: our WindowProc sees its messages first.
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    BOOL SubclassWindow(HWND hWnd);
    BOOL DestroyWindow();

    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
        return ::SendMessageA(m_hWnd, msg, wp, lp);
    }
    BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
        return ::PostMessageA(m_hWnd, msg, wp, lp);
    }
    std::string GetWindowText() const;
    // The width of a text (UTF-8) in the window's font, or of the widest of several; 0 when
    // it cannot be measured.
    int TextWidth(const std::string& text) const { return WidestText({text}); }
    int WidestText(const std::vector<std::string>& texts) const;
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    void GetClientRect(RECT* pRect) const { ::GetClientRect(m_hWnd, pRect); }
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    UINT_PTR SetTimer(UINT_PTR nID, UINT nElapse) {
        return ::SetTimer(m_hWnd, nID, nElapse, nullptr);
    }
    BOOL KillTimer(UINT_PTR nID) { return ::KillTimer(m_hWnd, nID); }
    LONG_PTR GetStyle() const { return ::GetWindowLongPtrA(m_hWnd, GWL_STYLE); }

    // Sends a command to this window as a menu item would.
    void SendCommand(UINT nID) { SendMessage(WM_COMMAND, MAKEWPARAM(nID, 0), 0); }

    // The application's message loop offers every message to its main window before
    // dispatching it: TRUE when the window has handled it (an accelerator key, say).
    virtual BOOL PreTranslateMessage(MSG*) { return FALSE; }
    // The message loop calls this on the main window when the queue has run empty.
    virtual void OnIdleUpdateCmdUI() {}

    // Keeps a window object alive across a call that may destroy its window: one of its own
    // messages (every dispatch holds one), or a call another window makes into it that may run
    // a modal loop. A window destroyed meanwhile gets its PostNcDestroy - which may delete the
    // object - only when the last guard goes. Until then the object may still be looked at
    // (m_hWnd is null once its window is gone), never after the guard's scope.
    class CKeepAlive {
      public:
        explicit CKeepAlive(CWnd* pWnd) : m_pWnd(pWnd) {
            if (m_pWnd) ++m_pWnd->m_nKeepAlive;
        }
        ~CKeepAlive();
        CKeepAlive(const CKeepAlive&) = delete;
        CKeepAlive& operator=(const CKeepAlive&) = delete;

      private:
        CWnd* m_pWnd;
    };

  protected:
    // The message switch: each class handles its messages here and passes the rest to its
    // base class; CWnd ends the chain with Default().
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    // The handling the window would have without us: the subclassed procedure or
    // DefWindowProc. Dialogs override it.
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Default();

    // WM_COMMAND: routes commands and control notifications through OnCmdMsg.
    virtual BOOL OnCommand(WPARAM wp, LPARAM lp);
    // A message the parent reflected back to this control (WM_CTLCOLOR*, WM_COMMAND
    // notifications). Returns true and sets the result when the control handled it.
    virtual bool OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* pResult);
    virtual void PostNcDestroy() {}

    // Registers a class whose procedure is ours, unless the name is taken already: the
    // arrow cursor, the dialog face colour, double clicks, and icon nIDIcon when not 0.
    static void RegisterWndClass(const char* pszClass, UINT nIDIcon = 0);
    static LRESULT CALLBACK StdWndProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT Dispatch(UINT msg, WPARAM wp, LPARAM lp);
    static void SetPermanent(HWND hWnd, CWnd* pWnd);
    bool ReflectToChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT* pResult);

    WNDPROC m_pfnSuper; // procedure replaced by subclassing, if any

  private:
    struct CurrentMsg {
        UINT msg;
        WPARAM wp;
        LPARAM lp;
    } m_current;
    int m_nKeepAlive = 0;             // guards alive for this object (see CKeepAlive)
    bool m_bNcDestroyPending = false; // the window is gone; PostNcDestroy waits for the guards

    friend class CDialog;
};
