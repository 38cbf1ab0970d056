// A stand-in for VN.DLL that counts its calls. Built several times, each build leaving out
// at most one entry point (FAKE_VN_OMIT_QXT, _GETPI, _GETPIW, _KILL, _KILLEX, _HWND) to test the
// binding. Its VN_GETPI and VN_GETPIW fill the text fields to the last character without a
// terminating NUL; built with FAKE_VN_GARBAGE they write the whole record with garbage that
// holds no NUL.
#include "vn/vn.h"

#include <cstring>

namespace {

int g_nQxt, g_nGetPi, g_nGetPiW, g_nKill, g_nKillEx, g_nHwnd;

// Any byte but 0, different for every call.
[[maybe_unused]] void FillWithGarbage(void* pRecord, size_t cbRecord) {
    static unsigned s_nState = 0x2545F491u;
    unsigned char* p = static_cast<unsigned char*>(pRecord);
    for (size_t i = 0; i < cbRecord; ++i) {
        s_nState = s_nState * 1103515245u + 12345u;
        p[i] = static_cast<unsigned char>(1 + (s_nState >> 16) % 255);
    }
}

} // namespace

extern "C" {

// How often an entry point has been called since the library was loaded; -1 for other names.
__declspec(dllexport) int FakeVn_Calls(const char* pszEntry) {
    if (!strcmp(pszEntry, "VN_QXT")) return g_nQxt;
    if (!strcmp(pszEntry, "VN_GETPI")) return g_nGetPi;
    if (!strcmp(pszEntry, "VN_GETPIW")) return g_nGetPiW;
    if (!strcmp(pszEntry, "VN_KILL")) return g_nKill;
    if (!strcmp(pszEntry, "VN_KILLEX")) return g_nKillEx;
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
    // Process id, class, priority and thread count are garbage too.
    FillWithGarbage(pInfo, sizeof *pInfo);
    return 1;
}
__declspec(dllexport) int WINAPI VN_GETPIW(VN_PROCINFOW* pInfo) {
    ++g_nGetPiW;
    FillWithGarbage(pInfo, sizeof *pInfo);
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
#if !defined(FAKE_VN_GARBAGE) && !defined(FAKE_VN_OMIT_GETPIW)
__declspec(dllexport) int WINAPI VN_GETPIW(VN_PROCINFOW* pInfo) {
    ++g_nGetPiW;
    for (WCHAR& c : pInfo->szFullPath)
        c = L'P';
    pInfo->dwPriorityClass = IDLE_PRIORITY_CLASS;
    pInfo->lBasePriority = 4;
    pInfo->dwFlags = VN_PI_OPENED | VN_PI_PATH;
    return 1;
}
#endif

#ifndef FAKE_VN_OMIT_KILL
__declspec(dllexport) int WINAPI VN_KILL(DWORD, int, int) {
    return ++g_nKill, 0;
}
#endif

#ifndef FAKE_VN_OMIT_KILLEX
// Ends nothing, and says the process refused.
__declspec(dllexport) int WINAPI VN_KILLEX(DWORD, int, int, VN_KILLRESULT* pResult) {
    pResult->dwOutcome = VN_KILL_DENIED;
    pResult->dwError = ERROR_ACCESS_DENIED;
    return ++g_nKillEx, 0;
}
#endif

#ifndef FAKE_VN_OMIT_HWND
__declspec(dllexport) HWND WINAPI VN_HWND(DWORD) {
    return ++g_nHwnd, nullptr;
}
#endif

} // extern "C"
