// A process core whose records go into a vector: what a refresh would hand to the list, and
// how the list would react to a failed binding.
#pragma once

#include "procs/ProcessCore.h"

#include <string>
#include <vector>

class SnapshotRecorder : public CProcessCore {
  public:
    // strLibrary, when not empty, replaces "VN.DLL" as the library file the binding loads.
    explicit SnapshotRecorder(CToolHelp* pToolHelp = nullptr, const std::string& strLibrary = "")
        : CProcessCore(pToolHelp, strLibrary.empty() ? kLibraryFileName : strLibrary.c_str()) {}

    // The list's refresh: emptied, then one walk; a failed binding is counted as the list
    // reports it (a message only when the library could not be loaded, a close for both).
    int RefreshList() {
        rows.clear();
        ++nDeleteAll;
        BindResult bind = Bound;
        const int result = ListProcesses(Sink(), &bind);
        if (bind == LoadFailed) ++nLoadFailures;
        if (bind != Bound) ++nCloseRequests;
        return result;
    }
    int ListProcesses9x() { return CProcessCore::ListProcesses9x(Sink()); }

    bool Lists(DWORD dwPID) const {
        for (const ProcessRecord& row : rows)
            if (row.dwPID == dwPID) return true;
        return false;
    }
    // Calls counted by a stand-in library (tests/helpers/FakeVn.cpp); -1 when none is loaded.
    int FakeCalls(const char* pszEntry) const { return FakeVnCalls(LibraryHandle(), pszEntry); }
    static int FakeVnCalls(HMODULE hLibrary, const char* pszEntry) {
        typedef int (*PFN_CALLS)(const char*);
        PFN_CALLS pfn = hLibrary ? reinterpret_cast<PFN_CALLS>(reinterpret_cast<void*>(
                                       GetProcAddress(hLibrary, "FakeVn_Calls")))
                                 : nullptr;
        return pfn ? pfn(pszEntry) : -1;
    }

    std::vector<ProcessRecord> rows;
    int nDeleteAll = 0;
    int nLoadFailures = 0;
    int nCloseRequests = 0;

  private:
    RecordSink Sink() {
        return [this](const ProcessRecord& record) { rows.push_back(record); };
    }
};
