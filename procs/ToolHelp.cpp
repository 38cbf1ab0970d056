#include "procs/ToolHelp.h"

#ifndef _WIN64
static_assert(sizeof(PROCESSENTRY32) == 296, "PROCESSENTRY32 size");
static_assert(sizeof(MODULEENTRY32) == 548, "MODULEENTRY32 size");
static_assert(sizeof(PROCESSENTRY32W) == 556, "PROCESSENTRY32W size");
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA size");
#endif

HANDLE CToolHelp::CreateToolhelp32Snapshot(DWORD dwFlags, DWORD dwPID) {
    return ::CreateToolhelp32Snapshot(dwFlags, dwPID);
}
BOOL CToolHelp::Process32First(HANDLE hSnapshot, PROCESSENTRY32* pEntry) {
    return ::Process32First(hSnapshot, pEntry);
}
BOOL CToolHelp::Process32Next(HANDLE hSnapshot, PROCESSENTRY32* pEntry) {
    return ::Process32Next(hSnapshot, pEntry);
}
BOOL CToolHelp::Process32FirstW(HANDLE hSnapshot, PROCESSENTRY32W* pEntry) {
    return ::Process32FirstW(hSnapshot, pEntry);
}
BOOL CToolHelp::Process32NextW(HANDLE hSnapshot, PROCESSENTRY32W* pEntry) {
    return ::Process32NextW(hSnapshot, pEntry);
}
BOOL CToolHelp::Module32First(HANDLE hSnapshot, MODULEENTRY32* pEntry) {
    return ::Module32First(hSnapshot, pEntry);
}
BOOL CToolHelp::Module32Next(HANDLE hSnapshot, MODULEENTRY32* pEntry) {
    return ::Module32Next(hSnapshot, pEntry);
}
HANDLE CToolHelp::OpenProcess(DWORD dwAccess, BOOL bInherit, DWORD dwPID) {
    return ::OpenProcess(dwAccess, bInherit, dwPID);
}
DWORD CToolHelp::GetPriorityClass(HANDLE hProcess) {
    return ::GetPriorityClass(hProcess);
}
BOOL CToolHelp::TerminateProcess(HANDLE hProcess, UINT uExitCode) {
    return ::TerminateProcess(hProcess, uExitCode);
}
BOOL CToolHelp::CloseHandle(HANDLE hObject) {
    return ::CloseHandle(hObject);
}
BOOL CToolHelp::GetVersionExA(OSVERSIONINFOA* pInfo) {
    return ::GetVersionExA(pInfo);
}

CToolHelp& CToolHelp::System() {
    static CToolHelp s_system;
    return s_system;
}
