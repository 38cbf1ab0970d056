#include "bench/BenchProcs.h"
#include "bench/BenchStats.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace {

// Victims started at once before their readiness is waited for: enough to keep both cores
// busy, few enough not to starve the ones already starting.
const size_t kStartBatch = 20;

std::string Lower(std::string text) {
    for (char& c : text)
        c = char(tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::string ProgramDir() {
    char szPath[MAX_PATH];
    DWORD cch = GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string path(szPath, cch);
    return path.substr(0, path.find_last_of("\\/") + 1);
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool WaitAllSignalled(const std::vector<HANDLE>& handles, DWORD dwMilliseconds) {
    const double deadline = NowMs() + dwMilliseconds;
    for (size_t i = 0; i < handles.size();) {
        // One handle at a time: once it is signalled, the next; a wait for several handles
        // is limited to 64 of them.
        if (WaitForSingleObject(handles[i], 0) == WAIT_OBJECT_0) {
            ++i;
            continue;
        }
        const double left = deadline - NowMs();
        if (left <= 0) return false;
        MsgWaitForMultipleObjects(1, &handles[i], FALSE, DWORD(std::min(left, 50.0)) + 1,
                                  QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

HANDLE StartCommand(const std::string& commandLine, const std::string& outPath,
                    const std::string& cwd, DWORD* pdwPid) {
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE hOut = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              &sa, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hOut == INVALID_HANDLE_VALUE) return nullptr;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nullptr;
    si.hStdOutput = hOut;
    si.hStdError = hOut;
    PROCESS_INFORMATION pi = {};
    std::string line = commandLine;
    const BOOL ok = CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                   nullptr, cwd.empty() ? nullptr : cwd.c_str(), &si, &pi);
    CloseHandle(hOut);
    if (!ok) return nullptr;
    CloseHandle(pi.hThread);
    if (pdwPid) *pdwPid = pi.dwProcessId;
    return pi.hProcess;
}

double TimeCommand(const std::string& commandLine, const std::string& outPath, DWORD dwTimeoutMs,
                   DWORD* pdwExitCode) {
    const double start = NowMs();
    HANDLE hProcess = StartCommand(commandLine, outPath);
    if (!hProcess) return NAN;
    const bool ended = WaitAllSignalled({hProcess}, dwTimeoutMs);
    const double elapsed = NowMs() - start;
    if (!ended) {
        TerminateProcess(hProcess, 1);
        WaitForSingleObject(hProcess, 5000);
    }
    if (pdwExitCode) GetExitCodeProcess(hProcess, pdwExitCode);
    CloseHandle(hProcess);
    return ended ? elapsed : NAN;
}

std::string TaskkillCommandLine(const std::vector<std::string>& names, bool forced) {
    std::string line = "taskkill.exe";
    if (forced) line += " /F";
    for (const std::string& name : names)
        line += " /IM " + name;
    return line;
}

int CountInFile(const std::string& path, const std::string& text) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return -1;
    std::string data;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, f)) > 0;)
        data.append(buffer, n);
    fclose(f);
    // UTF-16 (a byte-order mark): the wanted text is ASCII, so its high bytes are dropped.
    if (data.size() >= 2 && static_cast<unsigned char>(data[0]) == 0xFF &&
        static_cast<unsigned char>(data[1]) == 0xFE) {
        std::string narrow;
        for (size_t i = 2; i + 1 < data.size(); i += 2)
            narrow += data[i + 1] ? '?' : data[i];
        data.swap(narrow);
    }
    if (text.empty()) return 0;
    data = Lower(data);
    const std::string wanted = Lower(text);
    int count = 0;
    for (size_t at = data.find(wanted); at != std::string::npos;
         at = data.find(wanted, at + wanted.size()))
        ++count;
    return count;
}

VictimSet::VictimSet(std::string folder) : m_folder(std::move(folder)) {
    CreateDirectoryA(m_folder.c_str(), nullptr);
}

VictimSet::~VictimSet() {
    EndAll();
}

bool VictimSet::Start(const std::string& program, const std::vector<std::string>& names,
                      const std::string& arg, DWORD dwTimeoutMs) {
    static unsigned s_nCounter;
    const double deadline = NowMs() + dwTimeoutMs;
    bool allReady = true;
    for (size_t first = 0; first < names.size(); first += kStartBatch) {
        struct Pending {
            VictimProcess proc;
            HANDLE hReady;
        };
        std::vector<Pending> batch;
        for (size_t i = first; i < names.size() && i < first + kStartBatch; ++i) {
            const std::string path = m_folder + names[i];
            // A name keeps its copy for the whole run; later starts reuse it.
            if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
                !CopyFileA(program.c_str(), path.c_str(), TRUE)) {
                allReady = false;
                continue;
            }
            char event[80];
            snprintf(event, sizeof event, "VantrelBench_%lu_%u", GetCurrentProcessId(),
                     ++s_nCounter);
            HANDLE hReady = CreateEventA(nullptr, TRUE, FALSE, event);
            std::string line = "\"" + path + "\" " + event + " " +
                               std::to_string(GetCurrentProcessId()) + " " + arg;
            STARTUPINFOA si = {};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi = {};
            // Detached: a console victim gets no console, so the system starts no console
            // host process beside it and the victims are the only processes added.
            if (!hReady || !CreateProcessA(path.c_str(), &line[0], nullptr, nullptr, FALSE,
                                           DETACHED_PROCESS, nullptr, nullptr, &si, &pi)) {
                if (hReady) CloseHandle(hReady);
                allReady = false;
                continue;
            }
            CloseHandle(pi.hThread);
            batch.push_back({{names[i], pi.dwProcessId, pi.hProcess}, hReady});
        }
        for (Pending& p : batch) {
            HANDLE waits[] = {p.hReady, p.proc.hProcess};
            const double left = std::max(0.0, deadline - NowMs());
            if (WaitForMultipleObjects(2, waits, FALSE, DWORD(left)) != WAIT_OBJECT_0)
                allReady = false;
            CloseHandle(p.hReady);
            m_procs.push_back(p.proc);
        }
        PumpMessages();
    }
    return allReady;
}

std::vector<HANDLE> VictimSet::Handles() const {
    std::vector<HANDLE> handles;
    for (const VictimProcess& p : m_procs)
        handles.push_back(p.hProcess);
    return handles;
}

int VictimSet::Running() const {
    int n = 0;
    for (const VictimProcess& p : m_procs)
        if (WaitForSingleObject(p.hProcess, 0) == WAIT_TIMEOUT) ++n;
    return n;
}

bool VictimSet::WaitAllGone(DWORD dwMilliseconds) const {
    return WaitAllSignalled(Handles(), dwMilliseconds);
}

void VictimSet::EndAll() {
    // Only the processes this set started, through the handles it holds.
    for (const VictimProcess& p : m_procs)
        if (WaitForSingleObject(p.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(p.hProcess, 1);
    WaitAllSignalled(Handles(), 20000);
    for (const VictimProcess& p : m_procs)
        CloseHandle(p.hProcess);
    m_procs.clear();
}

std::string BenchFolder() {
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    char name[64];
    snprintf(name, sizeof name, "VantrelBench_%lu\\", GetCurrentProcessId());
    const std::string folder = std::string(szTemp) + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void RemoveBenchFolder(const std::string& folder) {
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA((folder + "*").c_str(), &fd);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA((folder + fd.cFileName).c_str());
        } while (FindNextFileA(hFind, &fd));
        FindClose(hFind);
    }
    RemoveDirectoryA(folder.c_str());
}
