#include "vn/WindowLookup.h"

#include <cstring>

namespace {

const char kStoreFrameClass[] = "ApplicationFrameWindow";

struct Search {
    const VnWindowTree* pTree;
    DWORD dwPID;
    unsigned fWhich;
    VnWindowVisitor pfnVisit;
    void* pContext;
    int nVisited;
    bool bFound; // the child search: a window of the process lies inside the frame
};

DWORD OwnerOf(const VnWindowTree& tree, HWND hWnd) {
    DWORD dwOwner = 0;
    tree.pfnGetWindowThreadProcessId(hWnd, &dwOwner);
    return dwOwner;
}

BOOL CALLBACK VisitChild(HWND hChild, LPARAM lParam) {
    Search* pSearch = reinterpret_cast<Search*>(lParam);
    pSearch->bFound = OwnerOf(*pSearch->pTree, hChild) == pSearch->dwPID;
    return pSearch->bFound ? FALSE : TRUE;
}

// True when hFrame is a store-app frame with a window of the process among its descendants.
bool HostsWindowOf(Search* pSearch, HWND hFrame) {
    char szClass[sizeof kStoreFrameClass + 1];
    const int cch = pSearch->pTree->pfnGetClassNameA(hFrame, szClass, sizeof szClass);
    if (cch <= 0 || cch >= int(sizeof szClass) || strcmp(szClass, kStoreFrameClass) != 0)
        return false;
    pSearch->bFound = false;
    pSearch->pTree->pfnEnumChildWindows(hFrame, VisitChild, reinterpret_cast<LPARAM>(pSearch));
    return pSearch->bFound;
}

BOOL CALLBACK VisitTopLevel(HWND hWnd, LPARAM lParam) {
    Search* pSearch = reinterpret_cast<Search*>(lParam);
    const VnWindowTree& tree = *pSearch->pTree;
    if ((pSearch->fWhich & VN_WINDOWS_VISIBLE) && !tree.pfnIsWindowVisible(hWnd)) return TRUE;
    const bool bOfProcess = OwnerOf(tree, hWnd) == pSearch->dwPID ||
                            ((pSearch->fWhich & VN_WINDOWS_FRAMES) && HostsWindowOf(pSearch, hWnd));
    if (!bOfProcess) return TRUE;
    ++pSearch->nVisited;
    return !pSearch->pfnVisit || pSearch->pfnVisit(hWnd, pSearch->pContext) ? TRUE : FALSE;
}

struct Asking {
    const VnWindowTree* pTree;
    VN_KILLRESULT* pResult;
};

bool AskToClose(HWND hWnd, void* pContext) {
    const Asking* pAsking = static_cast<const Asking*>(pContext);
    ++pAsking->pResult->nWindowsAsked;
    if (!pAsking->pTree->pfnPostMessageA(hWnd, WM_CLOSE, 0, 0)) {
        ++pAsking->pResult->nPostsRefused;
        pAsking->pResult->dwError = GetLastError();
    }
    return true;
}

} // namespace

VnWindowTree SystemWindowTree() {
    VnWindowTree tree = {EnumWindows,     EnumChildWindows, GetWindowThreadProcessId,
                         IsWindowVisible, GetClassNameA,    PostMessageA};
    return tree;
}

int ForEachWindowOf(const VnWindowTree& tree, DWORD dwPID, unsigned fWhich,
                    VnWindowVisitor pfnVisit, void* pContext) {
    Search search = {&tree, dwPID, fWhich, pfnVisit, pContext, 0, false};
    tree.pfnEnumWindows(VisitTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.nVisited;
}

DWORD AskWindowsToClose(const VnWindowTree& tree, DWORD dwPID, VN_KILLRESULT* pResult) {
    Asking asking = {&tree, pResult};
    ForEachWindowOf(tree, dwPID, VN_WINDOWS_FRAMES, AskToClose, &asking);
    if (pResult->nWindowsAsked == 0) return VN_KILL_NO_WINDOW;
    return pResult->nPostsRefused == pResult->nWindowsAsked ? VN_KILL_POST_REFUSED : VN_KILL_ASKED;
}
