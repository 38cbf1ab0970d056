// A process snapshot whose list is a vector: records what the snapshot hands to the view.
#pragma once

#include "procs/ProcessSnapshot.h"

#include <string>
#include <vector>

class SnapshotRecorder : public CProcessSnapshot {
  public:
    // strLibrary, when not empty, replaces "VN.DLL" as the library file the binding loads.
    explicit SnapshotRecorder(CToolHelp* pToolHelp = nullptr, const std::string& strLibrary = "")
        : CProcessSnapshot(pToolHelp), m_strLibrary(strLibrary) {}
    ~SnapshotRecorder() override { ReleaseLibrary(); }

    using CProcessSnapshot::m_bNT;
    using CProcessSnapshot::m_hLibrary;
    using CProcessSnapshot::m_pfnGetPi;
    using CProcessSnapshot::m_pfnHwnd;
    using CProcessSnapshot::m_pfnKill;
    using CProcessSnapshot::m_pfnQxt;

    bool Lists(DWORD dwPID) const {
        for (const VN_PROCINFO& row : rows)
            if (row.dwPID == dwPID) return true;
        return false;
    }
    // Calls counted by a stand-in library (tests/helpers/FakeVn.cpp); -1 when none is loaded.
    int FakeCalls(const char* pszEntry) const {
        typedef int (*PFN_CALLS)(const char*);
        PFN_CALLS pfn = m_hLibrary ? reinterpret_cast<PFN_CALLS>(reinterpret_cast<void*>(
                                         GetProcAddress(m_hLibrary, "FakeVn_Calls")))
                                   : nullptr;
        return pfn ? pfn(pszEntry) : -1;
    }
    bool NothingBound() const { return !m_pfnQxt && !m_pfnGetPi && !m_pfnKill && !m_pfnHwnd; }

    std::vector<VN_PROCINFO> rows;
    int nDeleteAll = 0;
    int nLoadFailures = 0;
    int nCloseRequests = 0;

  protected:
    void DeleteAllRows() override {
        rows.clear();
        ++nDeleteAll;
    }
    int AddProcessRow(VN_PROCINFO& info) override {
        rows.push_back(info);
        return int(rows.size()) - 1;
    }
    void ShowLoadFailure() override { ++nLoadFailures; }
    void PostCloseRequest() override { ++nCloseRequests; }
    const char* LibraryFileName() const override {
        return m_strLibrary.empty() ? CProcessSnapshot::LibraryFileName() : m_strLibrary.c_str();
    }

  private:
    std::string m_strLibrary;
};
