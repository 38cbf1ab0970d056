#include "bench/BenchProbe.h"
#include "bench/BenchProcs.h"
#include "bench/BenchStats.h"
#include "res/resource.h"

#include <commctrl.h>
#include <psapi.h>

namespace {

// Longest time one message to the program may take: a refresh of a few hundred processes.
const UINT kMessageTimeoutMs = 30000;

struct WindowCount {
    DWORD dwPid;
    int n;
};

BOOL CALLBACK CountChild(HWND, LPARAM lParam) {
    ++reinterpret_cast<WindowCount*>(lParam)->n;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hWnd, LPARAM lParam) {
    WindowCount* count = reinterpret_cast<WindowCount*>(lParam);
    DWORD dwOwner = 0;
    GetWindowThreadProcessId(hWnd, &dwOwner);
    if (dwOwner != count->dwPid) return TRUE;
    ++count->n;
    EnumChildWindows(hWnd, CountChild, lParam);
    return TRUE;
}

} // namespace

int CountWindows(DWORD dwPid) {
    WindowCount count = {dwPid, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
    return count.n;
}

DWORD CountHandlesByDuplication(HANDLE hProcess, DWORD nMaxValue) {
    DWORD n = 0;
    for (DWORD value = 4; value <= nMaxValue; value += 4) {
        HANDLE hCopy = nullptr;
        if (DuplicateHandle(hProcess, reinterpret_cast<HANDLE>(ULONG_PTR(value)),
                            GetCurrentProcess(), &hCopy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
            ++n;
            CloseHandle(hCopy);
        }
    }
    return n;
}

ResourceCounts ReadResourceCounts(HANDLE hProcess, DWORD dwPid) {
    ResourceCounts counts;
    counts.bHandles = GetProcessHandleCount(hProcess, &counts.dwHandles) && counts.dwHandles;
    if (!counts.bHandles) {
        counts.dwHandles = CountHandlesByDuplication(hProcess);
        counts.bHandles = counts.bCounted = counts.dwHandles > 0;
    }
    counts.dwGdiObjects = GetGuiResources(hProcess, GR_GDIOBJECTS);
    counts.dwUserObjects = GetGuiResources(hProcess, GR_USEROBJECTS);
    counts.nWindows = CountWindows(dwPid);
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(hProcess, &pmc, sizeof pmc) && pmc.PeakWorkingSetSize) {
        counts.bMemory = true;
        counts.peakWorkingSet = pmc.PeakWorkingSetSize;
    }
    return counts;
}

ExternalVantrel::~ExternalVantrel() {
    Close(10000);
}

HWND ExternalVantrel::FindMain() const {
    // Another frame of the same class may exist (the benchmark's own): match the process.
    for (HWND h = FindWindowExA(nullptr, nullptr, "VantrelFrame", nullptr); h;
         h = FindWindowExA(nullptr, h, "VantrelFrame", nullptr)) {
        DWORD dwOwner = 0;
        GetWindowThreadProcessId(h, &dwOwner);
        if (dwOwner == m_dwPid) return h;
    }
    return nullptr;
}

bool ExternalVantrel::Launch(const std::string& exePath, DWORD dwTimeoutMs) {
    if (m_hProcess) return false;
    const std::string folder = exePath.substr(0, exePath.find_last_of("\\/") + 1);
    std::string line = "\"" + exePath + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    const double start = NowMs();
    if (!CreateProcessA(exePath.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    m_hProcess = pi.hProcess;
    m_dwPid = pi.dwProcessId;
    // Polled every millisecond or so: the list is filled inside one message handler, so the
    // program answers the count only once the whole first listing is done.
    const double deadline = start + dwTimeoutMs;
    while (NowMs() < deadline) {
        if (WaitForSingleObject(m_hProcess, 0) == WAIT_OBJECT_0) return false;
        if (!m_hMain) m_hMain = FindMain();
        if (m_hMain && m_msShown < 0 && IsWindowVisible(m_hMain)) m_msShown = NowMs() - start;
        if (m_hMain && !m_hList) m_hList = FindWindowExA(m_hMain, nullptr, WC_LISTVIEWA, nullptr);
        if (m_hList && m_msShown >= 0 && Rows() > 0) {
            m_msRows = NowMs() - start;
            return true;
        }
        Sleep(1);
    }
    return false;
}

int ExternalVantrel::Rows() const {
    DWORD_PTR count = 0;
    if (!m_hList || !SendMessageTimeoutA(m_hList, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL,
                                         kMessageTimeoutMs, &count))
        return -1;
    return int(count);
}

bool ExternalVantrel::Refresh() {
    DWORD_PTR result = 0;
    return m_hMain && SendMessageTimeoutA(m_hMain, WM_COMMAND, MAKEWPARAM(ID_VIEW_REFRESH, 0), 0,
                                          SMTO_NORMAL, kMessageTimeoutMs, &result);
}

bool ExternalVantrel::Close(DWORD dwTimeoutMs) {
    if (!m_hProcess) return true;
    if (m_hMain) PostMessageA(m_hMain, WM_CLOSE, 0, 0);
    bool closed = WaitAllSignalled({m_hProcess}, dwTimeoutMs);
    if (!closed) {
        TerminateProcess(m_hProcess, 1); // ours: the benchmark started it
        WaitForSingleObject(m_hProcess, 5000);
    }
    CloseHandle(m_hProcess);
    m_hProcess = nullptr;
    m_hMain = m_hList = nullptr;
    return closed;
}
