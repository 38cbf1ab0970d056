// A stand-in for VN.DLL that counts its calls. Built several times, each build leaving out
// at most one entry point (FAKE_VN_OMIT_QXT, _GETPI, _KILL, _HWND) to test the binding.
// Its VN_GETPI fills both text fields to the last byte without a terminating NUL; built with
// FAKE_VN_GARBAGE it writes all 720 bytes of the record with garbage that holds no NUL.
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

#if defined(FAKE_VN_GARBAGE)
__declspec(dllexport) int WINAPI VN_GETPI(VN_PROCINFO* pInfo) {
    ++g_nGetPi;
    // Any byte but 0, different for every call: process id, class, priority and thread
    // count are garbage too.
    static unsigned s_nState = 0x2545F491u;
    unsigned char* p = reinterpret_cast<unsigned char*>(pInfo);
    for (size_t i = 0; i < sizeof *pInfo; ++i) {
        s_nState = s_nState * 1103515245u + 12345u;
        p[i] = static_cast<unsigned char>(1 + (s_nState >> 16) % 255);
    }
    return 1;
}
#elif !defined(FAKE_VN_OMIT_GETPI)
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
