#include "procs/KillPass.h"
#include "procs/ProcessText.h"

#include <type_traits>

// The pass's thread holds `this`: a pass that could be moved could leave its thread behind.
static_assert(!std::is_move_constructible<CKillPass>::value, "a kill pass never moves");

CKillPass::CKillPass(const CProcessCore& core, int bGentle, std::vector<std::string> names,
                     std::vector<Target> targets, bool bByName)
    : m_pCore(core.Twin()), m_bGentle(bGentle), m_bByName(bByName), m_names(std::move(names)),
      m_targets(std::move(targets)) {}

CKillPass CKillPass::ForFavorites(const CProcessCore& core, const std::vector<std::string>& names,
                                  int bGentle) {
    std::vector<std::string> upper;
    for (const std::string& name : names)
        upper.push_back(UpperCase(name));
    return CKillPass(core, bGentle, std::move(upper), {}, true);
}

CKillPass CKillPass::ForTargets(const CProcessCore& core, std::vector<Target> targets,
                                int bGentle) {
    for (Target& target : targets)
        target.strName = UpperCase(target.strName);
    return CKillPass(core, bGentle, {}, std::move(targets), false);
}

CKillPass::~CKillPass() {
    Join();
}

CKillPass::Result CKillPass::Check(const Target& target, CToolHelpHandle* pPin, DWORD* pdwError) {
    if (CProcessCore::IsOwnProgram(target.dwPID, target.strName, target.strPath))
        return SkippedSelf;
    if (m_pCore->IsCritical(target.dwPID, target.strName, target.strPath)) return SkippedCritical;
    // Process ids are reused quickly. The process is opened first: while the handle is held,
    // its id cannot pass to another process. Only then are the name (and a row's path)
    // checked, so the process that is ended is the one that was listed, never one that took
    // its id over - not even another copy of the same program in another folder.
    CToolHelp& th = m_pCore->ToolHelp();
    *pPin = CToolHelpHandle(th, th.OpenProcess(SYNCHRONIZE, FALSE, target.dwPID));
    const DWORD dwOpenError = GetLastError();
    if (!m_pCore->IsProcessListed(target.dwPID, target.strName, target.strPath)) return Gone;
    if (!pPin->IsValid()) {
        // Listed under its name but not to be opened: the system refuses access to it.
        *pdwError = dwOpenError;
        return Denied;
    }
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
                // Its path, where it can be read, tells a copy of Vantrel from another program
                // of the same name, and is checked again before the kill.
                std::string path;
                m_pCore->ReadProcessPath(entry, &path);
                groups[i].push_back({entry.dwPID, m_names[i], path});
                break; // a name listed twice is worked through once
            }
        return true;
    });
    m_bListFailed = nVisited < 0;
    return groups;
}

namespace {
// The pass's reason for what the library reports.
CKillPass::Result FromLibrary(DWORD dwOutcome) {
    switch (dwOutcome) {
    case VN_KILL_ENDED:
        return CKillPass::Ended;
    case VN_KILL_GONE:
        return CKillPass::Gone;
    case VN_KILL_NO_WINDOW:
        return CKillPass::NoWindow;
    case VN_KILL_POST_REFUSED:
        return CKillPass::PostRefused;
    case VN_KILL_TIMED_OUT:
        return CKillPass::TimedOut;
    case VN_KILL_HIDDEN:
        return CKillPass::Hidden;
    default:
        return CKillPass::Denied;
    }
}
} // namespace

void CKillPass::EndTarget(const Target& target, std::vector<Asked>* pAsked) {
    CToolHelpHandle pin(m_pCore->ToolHelp(), nullptr);
    Outcome outcome = {target.dwPID, target.strName, Ended, 0};
    outcome.result = Check(target, &pin, &outcome.dwError);
    if (outcome.result == Ended) {
        // Gentle kills are asked now and waited for with the others (95/98/Me: every kill is
        // forced); the pin is the handle the wait is on.
        const bool bGentle = m_bGentle && m_pCore->m_bNT;
        VN_KILLRESULT result = {sizeof result, VN_KILL_DENIED, 0, 0, 0};
        // The kill mode goes to the library as it was chosen.
        m_pCore->Kill(target.dwPID, bGentle ? m_bGentle : 0, bGentle ? 0 : 1, &result);
        if (result.dwOutcome == VN_KILL_ASKED) {
            pAsked->push_back({m_outcomes.size(), std::move(pin)});
        } else {
            outcome.result = FromLibrary(result.dwOutcome);
            outcome.dwError = result.dwError;
        }
    }
    m_outcomes.push_back(outcome);
}

void CKillPass::WaitForAsked(std::vector<Asked>& asked) {
    // Every program was asked first; all are waited for together, up to one gentle wait.
    const DWORD dwStart = GetTickCount();
    for (Asked& a : asked) {
        const DWORD dwSpent = GetTickCount() - dwStart;
        const DWORD dwLeft = dwSpent < VN_GENTLE_WAIT_MS ? VN_GENTLE_WAIT_MS - dwSpent : 0;
        if (WaitForSingleObject(a.process, dwLeft) == WAIT_OBJECT_0) continue;
        // Still running: a window still shows, or it hid them (as tray programs do).
        Outcome& outcome = m_outcomes[a.nOutcome];
        outcome.result = m_pCore->HasVisibleWindow(outcome.dwPID) ? TimedOut : Hidden;
    }
}

bool CKillPass::Bind() {
    // The 95/98/Me family ends processes itself. A test's stand-in for the kill entry works
    // whatever the binding came to.
    m_bind = m_pCore->m_bNT ? m_pCore->BindLibrary() : CProcessCore::Bound;
    return m_bind == CProcessCore::Bound || m_pCore->HasKillStandIn();
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
    if (progress && !asked.empty()) progress(kWaiting);
    WaitForAsked(asked);
}

bool CKillPass::AllEnded() const {
    for (const Outcome& outcome : m_outcomes)
        if (!IsEnded(outcome.result) && outcome.result != SkippedSelf) return false;
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
