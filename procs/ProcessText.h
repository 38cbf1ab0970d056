// The texts of a process row: upper-cased names, the PID in hexadecimal, the base priority
// with its class, a path's file name.
#pragma once

#include <windows.h>

#include <string>

// Names and paths are UTF-8 inside the program.

// Upper-cases a whole name or path (UTF-8) by the system's rules, in every script.
std::string UpperCase(std::string text);

// Whether a name could only be had lossy: the ANSI interfaces of the 95/98/Me family put '?'
// for a letter the code page lacks, and '?' cannot occur in a real file name. Such a name
// never matches a favourite and is never saved as one.
bool IsLossyName(const std::string& name);

// The order of two names or paths as people read them, case ignored: < 0, 0 or > 0.
int CompareNames(const std::string& a, const std::string& b);

// The texts of a record's columns 1 and 2: PID, base priority with class.
std::string FormatPid(DWORD dwPID);
std::string FormatBasePriority(LONG lBasePriority, DWORD dwPriorityClass);

// The file name at the end of a path (the whole text when it has no folder).
std::string FileNameOf(const std::string& path);
