#include "unit/Victim.h"
#include "helpers/NoAccess.h"

#include <cstdio>

namespace {

// Longest time a victim may take to get ready, or to end after being killed.
const DWORD kStartTimeoutMs = 20000;

std::wstring VictimDir() {
    wchar_t szTemp[MAX_PATH];
    GetTempPathW(MAX_PATH, szTemp);
    std::wstring dir = std::wstring(szTemp) + L"VantrelVictims\\";
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::wstring Widen(const std::string& str) {
    std::wstring wide(str.size() + 1, L'\0');
    int cch = MultiByteToWideChar(CP_ACP, 0, str.c_str(), -1, &wide[0], int(wide.size()));
    wide.resize(cch > 0 ? cch - 1 : 0);
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    std::string str(wide.size() * 2 + 1, '\0');
    int cb = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &str[0], int(str.size()), nullptr,
                                 nullptr);
    str.resize(cb > 0 ? cb - 1 : 0);
    return str;
}

// A name no other victim of this or another test program has.
std::wstring UniqueSuffix() {
    static unsigned s_nFolder;
    wchar_t szSuffix[32];
    swprintf(szSuffix, 32, L"%lu_%u", GetCurrentProcessId(), ++s_nFolder);
    return szSuffix;
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
    if (m_bOwnsFile) DeleteFileW(m_wstrExePath.c_str());
    if (!m_wstrOwnFolder.empty()) RemoveDirectoryW(m_wstrOwnFolder.c_str());
}

bool Victim::CopyToOwnFolder(const std::wstring& wstrSource, const std::wstring& wstrFolder,
                             const std::wstring& wstrName) {
    const std::wstring dir = VictimDir() + wstrFolder + L"\\";
    // One left by an earlier run under the same process id is as good.
    if (!CreateDirectoryW(dir.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    m_wstrOwnFolder = dir; // removed when empty
    const std::wstring path = dir + wstrName;
    if (!CopyFileW(wstrSource.c_str(), path.c_str(), FALSE)) return false;
    m_bOwnsFile = true; // the copy goes with this victim, even if it does not start
    m_wstrExePath = path;
    return true;
}

bool Victim::StartSameName(const Victim& other, bool bOtherFolder) {
    if (!bOtherFolder) return Start("", "vsam", "0", false, other.ExePathW());
    const std::wstring name = other.ExePathW().substr(other.ExePathW().find_last_of(L"\\/") + 1);
    return CopyToOwnFolder(other.ExePathW(), L"f" + UniqueSuffix(), name) &&
           Start("", "vsam", "0", false, m_wstrExePath);
}

bool Victim::StartWideName() {
    // Cyrillic, CJK, and an emoji outside the Basic Multilingual Plane (a surrogate pair).
    const std::wstring folder =
        L"\u041f\u0430\u043f\u043a\u0430_\u6587\u4ef6\u5939_" + UniqueSuffix();
    const std::wstring name =
        L"\u0436\u0435\u0440\u0442\u0432\u0430_\u53d7\u5bb3\u8005_\U0001F600_" + UniqueSuffix() +
        L".exe";
    return CopyToOwnFolder(Widen(TestProgramDir() + "victim_console.exe"), folder, name) &&
           Start("", "vuni", "0", false, m_wstrExePath);
}

bool Victim::StartConsole(int nExtraThreads) {
    return Start("victim_console.exe", "vcon", std::to_string(nExtraThreads));
}

bool Victim::StartUnopenable() {
    return Start("victim_console.exe", "vlck", "0", true);
}

bool Victim::StartUnterminable() {
    return Start("victim_console.exe", "vnot", "0 noterminate");
}

bool Victim::StartWindow(bool bHonourClose) {
    return Start("victim_window.exe", "vwin", bHonourClose ? "honour" : "ignore");
}

bool Victim::StartHidingWindow() {
    return Start("victim_window.exe", "vhid", "hide");
}

bool Victim::Start(const char* pszProgram, const char* pszPrefix, const std::string& strArgs,
                   bool bUnopenable, const std::wstring& wstrExePath) {
    if (m_hProcess) return false;
    static unsigned s_nCounter;
    char szUnique[64];
    snprintf(szUnique, sizeof szUnique, "%s_%lu_%u_%lu", pszPrefix, GetCurrentProcessId(),
             ++s_nCounter, GetTickCount() % 100000);
    if (!wstrExePath.empty()) {
        // An existing file: the name is its own.
        m_wstrExePath = wstrExePath;
    } else {
        m_wstrExePath = VictimDir() + Widen(std::string(szUnique) + ".exe");
        if (!CopyFileW(Widen(TestProgramDir() + pszProgram).c_str(), m_wstrExePath.c_str(),
                       FALSE)) {
            m_wstrExePath.clear();
            return false;
        }
        m_bOwnsFile = true;
    }
    m_strExePath = Narrow(m_wstrExePath);
    m_strExeName = m_strExePath.substr(m_strExePath.find_last_of("\\/") + 1);

    m_strEvent = std::string("VantrelVictim_") + szUnique;
    m_hReady = CreateEventA(nullptr, TRUE, FALSE, m_strEvent.c_str());
    m_hCloseSeen = CreateEventA(nullptr, TRUE, FALSE, (m_strEvent + "_close").c_str());
    std::wstring cmd =
        L"\"" + m_wstrExePath + L"\" " +
        Widen(m_strEvent + " " + std::to_string(GetCurrentProcessId()) + " " + strArgs);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    NoAccess unopenable;
    if (!m_hReady || !m_hCloseSeen ||
        !CreateProcessW(m_wstrExePath.c_str(), &cmd[0], bUnopenable ? &unopenable.sa : nullptr,
                        nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
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
