// A process as a listing would report it, for tests that fill the rows themselves.
#pragma once

#include "procs/ProcessCore.h"

#include <string>

inline ProcessRecord Record(const std::string& name, DWORD pid, const std::string& path = "",
                            LONG base = 8, DWORD cls = NORMAL_PRIORITY_CLASS, DWORD threads = 1,
                            bool bOpened = true) {
    ProcessRecord record;
    record.name = name;
    record.path = path;
    record.dwPID = pid;
    record.lBasePriority = base;
    record.dwPriorityClass = cls;
    record.dwThreads = threads;
    record.bOpened = bOpened;
    return record;
}
