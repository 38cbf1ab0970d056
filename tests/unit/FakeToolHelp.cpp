#include "unit/FakeToolHelp.h"

#include <cstddef>
#include <cstring>

namespace {

// Copies text into a cleared field; text as long as the field fills it without a NUL.
template <size_t N> void CopyText(char (&field)[N], const std::string& text) {
    memcpy(field, text.data(), text.size() < N ? text.size() : N);
}

} // namespace

HANDLE FakeToolHelp::NewHandle(Kind kind, DWORD dwPID) {
    HANDLE h = reinterpret_cast<HANDLE>(m_nNextHandle += 4);
    m_handles[h] = Handle{kind, dwPID, 0};
    return h;
}

HANDLE FakeToolHelp::CreateToolhelp32Snapshot(DWORD dwFlags, DWORD dwPID) {
    if (dwFlags == TH32CS_SNAPPROCESS && !bProcessSnapshotFails)
        return NewHandle(ProcessSnapshot, 0);
    if (dwFlags == TH32CS_SNAPMODULE && !moduleSnapshotFails.count(dwPID))
        return NewHandle(ModuleSnapshot, dwPID);
    return INVALID_HANDLE_VALUE;
}

BOOL FakeToolHelp::Process32First(HANDLE hSnapshot, PROCESSENTRY32* pEntry) {
    auto it = m_handles.find(hSnapshot);
    if (it == m_handles.end() || it->second.kind != ProcessSnapshot) return FALSE;
    it->second.nNext = 0;
    return NextProcess(hSnapshot, pEntry);
}

BOOL FakeToolHelp::Process32Next(HANDLE hSnapshot, PROCESSENTRY32* pEntry) {
    return NextProcess(hSnapshot, pEntry);
}

BOOL FakeToolHelp::NextProcess(HANDLE hSnapshot, PROCESSENTRY32* pEntry) {
    auto it = m_handles.find(hSnapshot);
    if (it == m_handles.end() || it->second.kind != ProcessSnapshot) return FALSE;
    if (pEntry->dwSize != sizeof *pEntry) ++nWrongSizes;
    if (it->second.nNext >= processes.size()) return FALSE;
    const Process& p = processes[it->second.nNext++];
    DWORD dwSize = pEntry->dwSize;
    memset(pEntry, 0, sizeof *pEntry);
    pEntry->dwSize = dwSize;
    pEntry->th32ProcessID = p.dwPID;
    pEntry->th32ModuleID = p.dwModuleID;
    pEntry->cntThreads = p.dwThreads;
    pEntry->pcPriClassBase = p.lBasePriority;
    CopyText(pEntry->szExeFile, p.strExe);
    return TRUE;
}

BOOL FakeToolHelp::Module32First(HANDLE hSnapshot, MODULEENTRY32* pEntry) {
    auto it = m_handles.find(hSnapshot);
    if (it == m_handles.end() || it->second.kind != ModuleSnapshot) return FALSE;
    it->second.nNext = 0;
    return NextModule(hSnapshot, pEntry);
}

BOOL FakeToolHelp::Module32Next(HANDLE hSnapshot, MODULEENTRY32* pEntry) {
    return NextModule(hSnapshot, pEntry);
}

BOOL FakeToolHelp::NextModule(HANDLE hSnapshot, MODULEENTRY32* pEntry) {
    ++nModuleSteps;
    auto it = m_handles.find(hSnapshot);
    if (it == m_handles.end() || it->second.kind != ModuleSnapshot) return FALSE;
    if (pEntry->dwSize != sizeof *pEntry) ++nWrongSizes;
    while (it->second.nNext < modules.size()) {
        const Module& m = modules[it->second.nNext++];
        if (m.dwPID != it->second.dwPID) continue;
        DWORD dwSize = pEntry->dwSize;
        memset(pEntry, 0, sizeof *pEntry);
        pEntry->dwSize = dwSize;
        pEntry->th32ProcessID = m.dwPID;
        pEntry->th32ModuleID = m.dwModuleID;
        CopyText(pEntry->szModule, m.strModule);
        CopyText(pEntry->szExePath, m.strPath);
        return TRUE;
    }
    return FALSE;
}

HANDLE FakeToolHelp::OpenProcess(DWORD dwAccess, BOOL bInherit, DWORD dwPID) {
    openAccess.push_back(dwAccess);
    openInherit.push_back(bInherit);
    if (onOpenProcess) onOpenProcess(dwPID);
    for (const Process& p : processes)
        if (p.dwPID == dwPID && p.bOpenable) return NewHandle(ProcessHandle, dwPID);
    return nullptr;
}

BOOL FakeToolHelp::TerminateProcess(HANDLE hProcess, UINT) {
    auto it = m_handles.find(hProcess);
    if (it == m_handles.end() || it->second.kind != ProcessHandle) return FALSE;
    for (size_t i = 0; i < processes.size(); ++i)
        if (processes[i].dwPID == it->second.dwPID) {
            terminated.push_back(processes[i].dwPID);
            processes.erase(processes.begin() + std::ptrdiff_t(i));
            return TRUE;
        }
    return FALSE;
}

DWORD FakeToolHelp::GetPriorityClass(HANDLE hProcess) {
    auto it = m_handles.find(hProcess);
    if (it == m_handles.end() || it->second.kind != ProcessHandle) return 0;
    for (const Process& p : processes)
        if (p.dwPID == it->second.dwPID) return p.dwPriorityClass;
    return 0;
}

BOOL FakeToolHelp::CloseHandle(HANDLE hObject) {
    if (!m_handles.erase(hObject)) {
        ++nBadCloses;
        return FALSE;
    }
    return TRUE;
}

BOOL FakeToolHelp::GetVersionExA(OSVERSIONINFOA* pInfo) {
    dwVersionSize = pInfo->dwOSVersionInfoSize;
    OSVERSIONINFOA cleared;
    memset(&cleared, 0, sizeof cleared);
    cleared.dwOSVersionInfoSize = pInfo->dwOSVersionInfoSize;
    bVersionCleared = !memcmp(&cleared, pInfo, sizeof cleared);
    if (bVersionFails) return FALSE;
    pInfo->dwPlatformId = dwPlatformId;
    pInfo->dwMajorVersion = 4;
    return TRUE;
}
