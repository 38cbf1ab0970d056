#include "unit/FakeToolHelp.h"
#include "win/Utf8.h"

#include <cstddef>
#include <cstring>
#include <cwchar>

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

void FakeToolHelp::Rewind(HANDLE hSnapshot) {
    auto it = m_handles.find(hSnapshot);
    if (it != m_handles.end()) it->second.nNext = 0;
}

const FakeToolHelp::Process* FakeToolHelp::NextProcess(HANDLE hSnapshot, DWORD dwSize,
                                                       DWORD dwExpectedSize) {
    auto it = m_handles.find(hSnapshot);
    if (it == m_handles.end() || it->second.kind != ProcessSnapshot) return nullptr;
    if (dwSize != dwExpectedSize) ++nWrongSizes;
    if (it->second.nNext >= processes.size()) return nullptr;
    return &processes[it->second.nNext++];
}

// The next process of a snapshot into an entry of either width, all but its name.
template <class Entry>
const FakeToolHelp::Process* FakeToolHelp::NextEntry(FakeToolHelp* pFake, HANDLE hSnapshot,
                                                     Entry* pEntry) {
    const Process* p = pFake->NextProcess(hSnapshot, pEntry->dwSize, sizeof *pEntry);
    if (p) FillEntry(*p, pEntry);
    return p;
}

template <class Entry> void FakeToolHelp::FillEntry(const Process& p, Entry* pEntry) {
    const DWORD dwSize = pEntry->dwSize;
    memset(pEntry, 0, sizeof *pEntry);
    pEntry->dwSize = dwSize;
    pEntry->th32ProcessID = p.dwPID;
    pEntry->th32ModuleID = p.dwModuleID;
    pEntry->cntThreads = p.dwThreads;
    pEntry->pcPriClassBase = p.lBasePriority;
}

BOOL FakeToolHelp::Process32First(HANDLE hSnapshot, PROCESSENTRY32* pEntry) {
    Rewind(hSnapshot);
    return Process32Next(hSnapshot, pEntry);
}

BOOL FakeToolHelp::Process32Next(HANDLE hSnapshot, PROCESSENTRY32* pEntry) {
    const Process* p = NextEntry(this, hSnapshot, pEntry);
    if (!p) return FALSE;
    // In the code page, as the ANSI walk would: what it lacks becomes '?'.
    const std::wstring wide = WideFromUtf8(p->strExe);
    char text[sizeof pEntry->szExeFile + 1] = "";
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), int(wide.size()), text, int(sizeof text) - 1,
                        nullptr, nullptr);
    CopyText(pEntry->szExeFile, text);
    return TRUE;
}

BOOL FakeToolHelp::Process32FirstW(HANDLE hSnapshot, PROCESSENTRY32W* pEntry) {
    Rewind(hSnapshot);
    return Process32NextW(hSnapshot, pEntry);
}

BOOL FakeToolHelp::Process32NextW(HANDLE hSnapshot, PROCESSENTRY32W* pEntry) {
    const Process* p = NextEntry(this, hSnapshot, pEntry);
    if (p)
        wcsncpy(pEntry->szExeFile, WideFromUtf8(p->strExe).c_str(), MAX_PATH); // no NUL when full
    return p != nullptr;
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
