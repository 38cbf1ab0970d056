// The texts of a process row: upper-cased names, the PID in hexadecimal, the base priority
// with its class, a path's file name.
#pragma once

#include <windows.h>

#include <string>

// Upper-cases UTF-8 text as a whole, letter by letter in UTF-16. Text that is not UTF-8 is
// taken as the ANSI code page's and upper-cased there.
std::string UpperCase(std::string utf8);

// True when a name holds '?', which no file name can: a system that lists names through its
// ANSI code page puts it in place of every letter the code page lacks.
bool IsLossyName(const std::string& name);

// The texts of a record's columns 1 and 2: PID, base priority with class.
std::string FormatPid(DWORD dwPID);
std::string FormatBasePriority(LONG lBasePriority, DWORD dwPriorityClass);

// The file name at the end of a path (the whole text when it has no folder).
std::string FileNameOf(const std::string& path);
