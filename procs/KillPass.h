// CKillPass: ends a set of processes - every running process whose name is a favourite, or the
// processes of chosen rows - with the rules every kill follows: never the program itself, never
// a process the system cannot live without, and only while a process id still belongs to a
// process of the expected name. Gentle kills run side by side, so a pass with several programs
// that ignore the close request takes one wait, not one each. A pass runs on the calling thread
// (Run) or on a thread of its own (Start); it knows no window. It works on a core of its own,
// bound by itself, and on values copied when it is made: nothing the window does while it runs
// can change what it reads.
#pragma once

#include "procs/ProcessCore.h"
#include "procs/ToolHelp.h"
#include "win/Handles.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CKillPass {
  public:
    // A process to end, and the name it must still have.
    struct Target {
        DWORD dwPID;
        std::string strName;
        std::string strPath; // empty when unknown
    };
    // What became of one process, and why.
    enum Result {
        Ended,           // terminated, or ended after its windows were asked to close
        Gone,            // ended already: its id no longer belongs to a process of its name
        SkippedSelf,     // passed over: Vantrel itself
        SkippedCritical, // passed over: the system cannot live without it
        Denied,          // refused: the system denied access (dwError says why)
        NoWindow,        // gentle: it has no window that could be asked to close
        PostRefused,     // gentle: the system refused the close request (a higher level)
        TimedOut,        // gentle: asked, but it did not close within the wait
        Hidden,          // gentle: its windows closed, but the process runs on
    };
    struct Outcome {
        DWORD dwPID;
        std::string strName; // upper case
        Result result;
        DWORD dwError; // the system's error for Denied and PostRefused, else 0
    };

    // Every running process named one of names (upper-cased here), found by one walk of the
    // processes when the pass runs; the names are worked through in their order. core is the
    // model the pass's own core is set up from (see CProcessCore::Twin).
    static CKillPass ForFavorites(const CProcessCore& core, const std::vector<std::string>& names,
                                  int bGentle);
    // The given processes, each under the name it was listed with.
    static CKillPass ForTargets(const CProcessCore& core, std::vector<Target> targets, int bGentle);

    // A started pass hands itself to its thread, so a pass never moves: it is made where it
    // is kept (the factories return it to be built in place) and stays there until joined.
    CKillPass(const CKillPass&) = delete;
    CKillPass& operator=(const CKillPass&) = delete;
    ~CKillPass();

    // Called on the pass's thread as it reaches group nIndex (a favourite's name, or the
    // single group of a pass over targets), and with kWaiting once every program to be asked
    // was asked and the pass waits for them to close.
    typedef std::function<void(size_t nIndex)> Progress;
    static const size_t kWaiting = size_t(-1);
    // Runs the pass on this thread.
    void Run(const Progress& progress);
    // Runs the pass on a thread of its own; done is called on that thread at the end. False
    // when no thread could be started (then nothing was done).
    bool Start(Progress progress, std::function<void()> done);
    // Waits for a started pass to end.
    void Join();

    const std::vector<std::string>& Names() const { return m_names; }
    // Whether the pass over the favourites could not list the processes at all.
    bool ListFailed() const { return m_bListFailed; }
    // How the pass's binding of the library went (NT family; Bound when none was needed).
    // A pass whose binding failed ended nothing.
    CProcessCore::BindResult Binding() const { return m_bind; }
    const std::vector<Outcome>& Outcomes() const { return m_outcomes; }
    // Whether every process the pass found has ended, or was Vantrel itself: none refused,
    // kept running or was passed over as critical.
    bool AllEnded() const;
    static bool IsEnded(Result result) { return result == Ended || result == Gone; }

  private:
    CKillPass(const CProcessCore& core, int bGentle, std::vector<std::string> names,
              std::vector<Target> targets, bool bByName);
    // Binds the pass's own core where it needs the library; false when that failed.
    bool Bind();
    // A process asked to close, waited for at the end of the pass.
    struct Asked {
        size_t nOutcome;
        CToolHelpHandle process; // held from before the request: the wait is for this process
    };
    // Every running process of each favourite, by one walk; one group per favourite.
    std::vector<std::vector<Target>> FindFavorites();
    // Whether the target may be ended (Ended) or why not; *pPin receives the process, opened
    // before its name is checked so that its id cannot pass to another process meanwhile.
    Result Check(const Target& target, CToolHelpHandle* pPin, DWORD* pdwError);
    // Checks one target and ends it, or asks it to close (gentle kills on the NT family).
    void EndTarget(const Target& target, std::vector<Asked>* pAsked);
    // Waits for the asked processes together, one gentle wait at most.
    void WaitForAsked(std::vector<Asked>& asked);
    static DWORD WINAPI ThreadMain(void* pParam);

    std::unique_ptr<CProcessCore> m_pCore; // the pass's own
    int m_bGentle;
    CProcessCore::BindResult m_bind = CProcessCore::Bound;
    bool m_bByName = false;
    bool m_bListFailed = false;
    std::vector<std::string> m_names; // by name: the favourites
    std::vector<Target> m_targets;    // by target: the processes
    std::vector<Outcome> m_outcomes;  // filled by the pass
    Progress m_progress;              // for Start
    std::function<void()> m_done;     // for Start
    CHandle m_thread;
};
