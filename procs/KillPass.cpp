#include "procs/KillPass.h"
#include "procs/ProcessText.h"

CKillPass CKillPass::ForFavorites(const CProcessCore& core, const std::vector<std::string>& names,
                                  int bGentle) {
    CKillPass pass(core, bGentle);
    pass.m_bByName = true;
    for (const std::string& name : names)
        pass.m_names.push_back(UpperCase(name));
    return pass;
}

CKillPass CKillPass::ForTargets(const CProcessCore& core, std::vector<Target> targets,
                                int bGentle) {
    CKillPass pass(core, bGentle);
    pass.m_targets = std::move(targets);
    for (Target& target : pass.m_targets)
        target.strName = UpperCase(target.strName);
    return pass;
}

CKillPass::~CKillPass() {
    Join();
}

CKillPass::Result CKillPass::Check(const Target& target, CToolHelpHandle* pPin) {
    if (CProcessCore::IsOwnProgram(target.dwPID, target.strName)) return SkippedSelf;
    if (m_pCore->IsCritical(target.dwPID, target.strName, target.strPath)) return SkippedCritical;
    // Process ids are reused quickly. The process is opened first: while the handle is held,
    // its id cannot pass to another process. Only then is the name checked, so the process
    // that is ended is the one that was listed, never one that took its id over.
    CToolHelp& th = m_pCore->ToolHelp();
    *pPin = CToolHelpHandle(th, th.OpenProcess(SYNCHRONIZE, FALSE, target.dwPID));
    if (!m_pCore->IsProcessNamed(target.dwPID, target.strName)) return Gone;
    // Listed under its name but not to be opened: the system refuses access to it.
    if (!pPin->IsValid()) return StillRunning;
    return Ended; // may be ended
}

std::vector<std::vector<CKillPass::Target>> CKillPass::FindFavorites() {
    // One walk finds every process of every favourite; a row stands for all processes of its
    // name and path, so the rows are not enough.
    std::vector<std::vector<Target>> groups(m_names.size());
    const int nVisited = m_pCore->WalkProcesses([&](const ProcessEntry& entry) {
        // Matched against the name the list shows on this system, so that a favourite picked
        // from the list is found; and against the file name, as a favourite may be typed.
        const std::string listed = m_pCore->ListedName(entry);
        const std::string file = CProcessCore::ExeFileName(entry);
        // A name had only lossy stands for more than one program: it matches nothing.
        if (IsLossyName(listed) || IsLossyName(file)) return true;
        for (size_t i = 0; i < m_names.size(); ++i)
            if (m_names[i] == listed || m_names[i] == file) {
                groups[i].push_back({entry.dwPID, m_names[i], std::string()});
                break; // a name listed twice is worked through once
            }
        return true;
    });
    m_bListFailed = nVisited < 0;
    return groups;
}

void CKillPass::EndTarget(const Target& target, std::vector<Asked>* pAsked) {
    CToolHelpHandle pin(m_pCore->ToolHelp(), nullptr);
    Outcome outcome = {target.dwPID, target.strName, Check(target, &pin)};
    if (outcome.result == Ended && m_bGentle && m_pCore->m_bNT) {
        // Asked now, waited for with the others; the pin is the handle the wait is on.
        if (m_pCore->AskToClose(target.dwPID, m_bGentle))
            pAsked->push_back({m_outcomes.size(), std::move(pin)});
        else
            outcome.result = StillRunning; // no window to ask: it stays
    } else if (outcome.result == Ended) {
        // 95/98/Me: every kill is forced.
        outcome.result = m_pCore->Kill(target.dwPID, m_bGentle) ? Ended : StillRunning;
    }
    m_outcomes.push_back(outcome);
}

void CKillPass::WaitForAsked(std::vector<Asked>& asked) {
    // Every program was asked first; all are waited for together, up to one gentle wait.
    const DWORD dwStart = GetTickCount();
    for (Asked& a : asked) {
        const DWORD dwSpent = GetTickCount() - dwStart;
        const DWORD dwLeft = dwSpent < VN_GENTLE_WAIT_MS ? VN_GENTLE_WAIT_MS - dwSpent : 0;
        if (WaitForSingleObject(a.process, dwLeft) != WAIT_OBJECT_0)
            m_outcomes[a.nOutcome].result = StillRunning;
    }
}

bool CKillPass::Bind() {
    // The 95/98/Me family ends processes itself; a stand-in for the library needs none.
    m_bind = CProcessCore::Bound;
    if (m_pCore->m_bNT && !m_pCore->HasKillStandIn()) m_bind = m_pCore->BindLibrary();
    return m_bind == CProcessCore::Bound;
}

void CKillPass::Run(const Progress& progress) {
    m_outcomes.clear();
    m_bListFailed = false;
    if (!Bind()) return;
    const std::vector<std::vector<Target>> groups =
        m_bByName ? FindFavorites() : std::vector<std::vector<Target>>{m_targets};
    std::vector<Asked> asked;
    for (size_t i = 0; i < groups.size(); ++i) {
        if (progress) progress(i);
        for (const Target& target : groups[i])
            EndTarget(target, &asked);
    }
    WaitForAsked(asked);
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
