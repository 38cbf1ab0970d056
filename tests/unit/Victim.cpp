#include "unit/Victim.h"

#include <cstdio>

namespace {

// Longest time a victim may take to get ready, or to end after being killed.
const DWORD kStartTimeoutMs = 20000;

std::string VictimDir() {
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    std::string dir = std::string(szTemp) + "VantrelVictims\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

} // namespace

std::string TestProgramDir() {
    char szPath[MAX_PATH];
    DWORD cch = GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string path(szPath, cch);
    return path.substr(0, path.find_last_of("\\/") + 1);
}

Victim::~Victim() {
    Kill();
    for (HANDLE h : {m_hProcess, m_hReady, m_hCloseSeen})
        if (h) CloseHandle(h);
    if (m_bOwnsFile) DeleteFileA(m_strExePath.c_str());
}

bool Victim::StartSameName(const Victim& other, bool bOtherFolder) {
    if (!bOtherFolder) return Start("", "vsam", "0", false, other.ExePath());
    char szFolder[32];
    static unsigned s_nFolder;
    snprintf(szFolder, sizeof szFolder, "f%lu_%u\\", GetCurrentProcessId(), ++s_nFolder);
    const std::string dir = VictimDir() + szFolder;
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string path = dir + other.ExeName();
    if (!CopyFileA(other.ExePath().c_str(), path.c_str(), FALSE)) return false;
    m_bOwnsFile = true; // the copy goes with this victim, even if it does not start
    m_strExePath = path;
    return Start("", "vsam", "0", false, path);
}

bool Victim::StartConsole(int nExtraThreads) {
    return Start("victim_console.exe", "vcon", std::to_string(nExtraThreads));
}

bool Victim::StartUnopenable() {
    return Start("victim_console.exe", "vlck", "0", true);
}

bool Victim::StartWindow(bool bHonourClose) {
    return Start("victim_window.exe", "vwin", bHonourClose ? "honour" : "ignore");
}

bool Victim::Start(const char* pszProgram, const char* pszPrefix, const std::string& strArgs,
                   bool bUnopenable, const std::string& strExePath) {
    if (m_hProcess) return false;
    static unsigned s_nCounter;
    char szUnique[64];
    snprintf(szUnique, sizeof szUnique, "%s_%lu_%u_%lu", pszPrefix, GetCurrentProcessId(),
             ++s_nCounter, GetTickCount() % 100000);
    if (!strExePath.empty()) {
        // An existing file: the name is its own.
        m_strExePath = strExePath;
        m_strExeName = strExePath.substr(strExePath.find_last_of("\\/") + 1);
    } else {
        m_strExeName = std::string(szUnique) + ".exe";
        m_strExePath = VictimDir() + m_strExeName;
        if (!CopyFileA((TestProgramDir() + pszProgram).c_str(), m_strExePath.c_str(), FALSE)) {
            m_strExePath.clear();
            return false;
        }
        m_bOwnsFile = true;
    }

    m_strEvent = std::string("VantrelVictim_") + szUnique;
    m_hReady = CreateEventA(nullptr, TRUE, FALSE, m_strEvent.c_str());
    m_hCloseSeen = CreateEventA(nullptr, TRUE, FALSE, (m_strEvent + "_close").c_str());
    std::string cmd = "\"" + m_strExePath + "\" " + m_strEvent + " " +
                      std::to_string(GetCurrentProcessId()) + " " + strArgs;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    // An empty access list: nobody is granted anything.
    SECURITY_DESCRIPTOR sd;
    ACL acl;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    InitializeAcl(&acl, sizeof acl, ACL_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, &acl, FALSE);
    SECURITY_ATTRIBUTES sa = {sizeof sa, &sd, FALSE};
    if (!m_hReady || !m_hCloseSeen ||
        !CreateProcessA(m_strExePath.c_str(), &cmd[0], bUnopenable ? &sa : nullptr, nullptr, FALSE,
                        0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    m_hProcess = pi.hProcess;
    m_dwPid = pi.dwProcessId;
    HANDLE waits[] = {m_hReady, m_hProcess};
    if (WaitForMultipleObjects(2, waits, FALSE, kStartTimeoutMs) != WAIT_OBJECT_0) {
        Kill();
        return false;
    }
    return true;
}

bool Victim::WaitForExit(DWORD dwMilliseconds) const {
    return m_hProcess && WaitForSingleObject(m_hProcess, dwMilliseconds) == WAIT_OBJECT_0;
}

DWORD Victim::ExitCode() const {
    DWORD dwCode = STILL_ACTIVE;
    if (m_hProcess) GetExitCodeProcess(m_hProcess, &dwCode);
    return dwCode;
}

HWND Victim::Window() const {
    return m_strEvent.empty() ? nullptr : FindWindowA("VantrelVictimWindow", m_strEvent.c_str());
}

bool Victim::WaitForCloseRequest(DWORD dwMilliseconds) const {
    return m_hCloseSeen && WaitForSingleObject(m_hCloseSeen, dwMilliseconds) == WAIT_OBJECT_0;
}

void Victim::Kill() {
    if (Running()) {
        TerminateProcess(m_hProcess, 0xDEAD);
        WaitForExit(kStartTimeoutMs);
    }
}
