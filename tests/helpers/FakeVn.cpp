// A stand-in for VN.DLL that counts its calls. Built several times, each build leaving out
// at most one entry point (FAKE_VN_OMIT_QXT, _GETPI, _KILL, _HWND) to test the binding.
// Its VN_GETPI fills both text fields to the last byte without a terminating NUL.
#include "vn/vn.h"

#include <cstring>

namespace {

int g_nQxt, g_nGetPi, g_nKill, g_nHwnd;

} // namespace

extern "C" {

// How often an entry point has been called since the library was loaded; -1 for other names.
__declspec(dllexport) int FakeVn_Calls(const char* pszEntry) {
    if (!strcmp(pszEntry, "VN_QXT")) return g_nQxt;
    if (!strcmp(pszEntry, "VN_GETPI")) return g_nGetPi;
    if (!strcmp(pszEntry, "VN_KILL")) return g_nKill;
    if (!strcmp(pszEntry, "VN_HWND")) return g_nHwnd;
    return -1;
}

#ifndef FAKE_VN_OMIT_QXT
__declspec(dllexport) int WINAPI VN_QXT(void*) {
    return ++g_nQxt, 1;
}
#endif

#ifndef FAKE_VN_OMIT_GETPI
__declspec(dllexport) int WINAPI VN_GETPI(VN_PROCINFO* pInfo) {
    ++g_nGetPi;
    memset(pInfo->szName, 'N', sizeof pInfo->szName);
    memset(pInfo->szFullPath, 'P', sizeof pInfo->szFullPath);
    pInfo->dwPriorityClass = IDLE_PRIORITY_CLASS;
    pInfo->lBasePriority = 4;
    return 1;
}
#endif

#ifndef FAKE_VN_OMIT_KILL
__declspec(dllexport) int WINAPI VN_KILL(DWORD, int, int) {
    return ++g_nKill, 0;
}
#endif

#ifndef FAKE_VN_OMIT_HWND
__declspec(dllexport) HWND WINAPI VN_HWND(DWORD) {
    return ++g_nHwnd, nullptr;
}
#endif

} // extern "C"
