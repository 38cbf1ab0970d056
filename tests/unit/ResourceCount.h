// What a process holds of the system's objects, for tests that look for leaks: kernel handles,
// GDI objects and USER objects. Wine reports 0 for all three through GetProcessHandleCount and
// GetGuiResources, so each count falls back to what Wine does report (see the .cpp).
#pragma once

#include <windows.h>

// Kernel handles of a process, from the system's handle table; -1 when it cannot be read.
long HandleCount(DWORD dwPid);
// GDI objects of this process: GetGuiResources where it answers, else the entries of this
// process in the GDI handle table the system maps into it; -1 when neither can be had.
long GdiObjectCount();
// USER objects of this process: GetGuiResources where it answers, else the windows of this
// process (top-level and child windows), the USER objects a leak would most likely be.
long UserObjectCount();
// Which source each count came from, for the test's report.
const char* GdiCountSource();
const char* UserCountSource();
