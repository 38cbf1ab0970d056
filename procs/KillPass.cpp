#include "procs/KillPass.h"
#include "procs/ProcessText.h"

CKillPass CKillPass::ForFavorites(CProcessCore& core, const std::vector<std::string>& names,
                                  int bGentle) {
    CKillPass pass(core, bGentle);
    pass.m_bByName = true;
    for (const std::string& name : names)
        pass.m_names.push_back(UpperCase(name));
    return pass;
}

CKillPass CKillPass::ForTargets(CProcessCore& core, std::vector<Target> targets, int bGentle) {
    CKillPass pass(core, bGentle);
    pass.m_targets = std::move(targets);
    for (Target& target : pass.m_targets)
        target.strName = UpperCase(target.strName);
    return pass;
}

CKillPass::~CKillPass() {
    Join();
}

CKillPass::Result CKillPass::Check(const Target& target) {
    if (target.dwPID == GetCurrentProcessId()) return SkippedSelf;
    if (m_pCore->IsCritical(target.dwPID, target.strName, target.strPath)) return SkippedCritical;
    // Process ids are reused quickly: only while the id still belongs to a process of the
    // listed name, never whatever took the id over after that process ended.
    if (!m_pCore->IsProcessNamed(target.dwPID, target.strName)) return Gone;
    return Ended; // may be ended
}

void CKillPass::Run(const Progress& progress) {
    m_outcomes.clear();
    std::vector<std::vector<Target>> groups;
    if (m_bByName) {
        // One walk finds every process of every favourite; a row stands for all processes of
        // its name and path, so the rows are not enough.
        groups.resize(m_names.size());
        m_pCore->WalkProcesses([&](const PROCESSENTRY32& entry) {
            const std::string name = CProcessCore::ExeFileName(entry);
            for (size_t i = 0; i < m_names.size(); ++i)
                if (m_names[i] == name) {
                    groups[i].push_back({entry.th32ProcessID, m_names[i], std::string()});
                    break; // a name listed twice is worked through once
                }
            return true;
        });
    } else {
        groups.push_back(m_targets);
    }

    // Gentle kills wait side by side: every program is asked to close first, then all are
    // waited for together, up to one gentle wait in all.
    struct Asked {
        size_t nOutcome;
        CHandle process; // held from before the request, so the wait is for this process
    };
    std::vector<Asked> asked;
    const bool bGentle = m_bGentle && m_pCore->m_bNT; // 95/98/Me: every kill is forced
    for (size_t i = 0; i < groups.size(); ++i) {
        if (progress) progress(i);
        for (const Target& target : groups[i]) {
            Outcome outcome = {target.dwPID, target.strName, Check(target)};
            if (outcome.result == Ended && bGentle) {
                CHandle process(OpenProcess(SYNCHRONIZE, FALSE, target.dwPID));
                if (process.IsValid() && m_pCore->AskToClose(target.dwPID, m_bGentle))
                    asked.push_back({m_outcomes.size(), std::move(process)});
                else
                    outcome.result = StillRunning; // cannot be asked: it stays
            } else if (outcome.result == Ended) {
                outcome.result = m_pCore->Kill(target.dwPID, m_bGentle) ? Ended : StillRunning;
            }
            m_outcomes.push_back(outcome);
        }
    }
    const DWORD dwStart = GetTickCount();
    for (Asked& a : asked) {
        const DWORD dwSpent = GetTickCount() - dwStart;
        const DWORD dwLeft = dwSpent < VN_GENTLE_WAIT_MS ? VN_GENTLE_WAIT_MS - dwSpent : 0;
        if (WaitForSingleObject(a.process, dwLeft) != WAIT_OBJECT_0)
            m_outcomes[a.nOutcome].result = StillRunning;
    }
}

bool CKillPass::AllEnded() const {
    for (const Outcome& outcome : m_outcomes)
        if (outcome.result == StillRunning || outcome.result == SkippedCritical) return false;
    return true;
}

DWORD WINAPI CKillPass::ThreadMain(void* pParam) {
    CKillPass* pPass = static_cast<CKillPass*>(pParam);
    pPass->Run(pPass->m_progress);
    if (pPass->m_done) pPass->m_done();
    return 0;
}

bool CKillPass::Start(Progress progress, std::function<void()> done) {
    m_progress = std::move(progress);
    m_done = std::move(done);
    m_thread.Attach(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
    return m_thread.IsValid();
}

void CKillPass::Join() {
    if (m_thread.IsValid()) WaitForSingleObject(m_thread, INFINITE);
    m_thread.Close();
}
