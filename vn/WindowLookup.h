// The windows of a process, as VN.DLL's kills and VN_HWND find them: its top-level windows
// and the store-app frames that host one of its windows. The window-tree queries go through
// a table of functions, so that a test can feed a fake tree.
#pragma once

#include "vn/vn.h"

#include <windows.h>

// The queries the look-up makes, and the close request it posts, with the system's signatures.
struct VnWindowTree {
    BOOL(WINAPI* pfnEnumWindows)(WNDENUMPROC, LPARAM);
    BOOL(WINAPI* pfnEnumChildWindows)(HWND, WNDENUMPROC, LPARAM);
    DWORD(WINAPI* pfnGetWindowThreadProcessId)(HWND, LPDWORD);
    BOOL(WINAPI* pfnIsWindowVisible)(HWND);
    int(WINAPI* pfnGetClassNameA)(HWND, LPSTR, int);
    BOOL(WINAPI* pfnPostMessageA)(HWND, UINT, WPARAM, LPARAM);
};

// The system's window tree.
VnWindowTree SystemWindowTree();

// Which windows ForEachWindowOf visits.
const unsigned VN_WINDOWS_VISIBLE = 1; // visible ones only
// Also the top-level frames of Windows 8 and later that host a store app: an
// ApplicationFrameWindow belongs to ApplicationFrameHost.exe, the app's window inside it (a
// child) to the app's process.
const unsigned VN_WINDOWS_FRAMES = 2;

// Called for each window found; returns false to stop the look-up.
typedef bool (*VnWindowVisitor)(HWND hWnd, void* pContext);

// Visits, in the tree's top-level order, each top-level window of process dwPID and, with
// VN_WINDOWS_FRAMES, each frame hosting a window of it. pfnVisit may be null (to count).
// Returns how many windows it visited.
int ForEachWindowOf(const VnWindowTree& tree, DWORD dwPID, unsigned fWhich,
                    VnWindowVisitor pfnVisit, void* pContext);

// Asks each window of process dwPID, and each frame hosting one, to close (WM_CLOSE), counting
// in *pResult the windows asked and the requests the system refused (a program at a higher
// level than the caller refuses them), with the last refusal's error. Returns
// VN_KILL_NO_WINDOW when there was no window to ask, VN_KILL_POST_REFUSED when every request
// was refused, else VN_KILL_ASKED.
DWORD AskWindowsToClose(const VnWindowTree& tree, DWORD dwPID, VN_KILLRESULT* pResult);
