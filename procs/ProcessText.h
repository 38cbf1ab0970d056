// The texts of a process row: upper-cased names, the PID in hexadecimal, the base priority
// with its class, a path's file name.
#pragma once

#include <windows.h>

#include <string>

// Upper-cases text in the ANSI code page, multi-byte aware; keeps the length.
std::string UpperCase(std::string text);

// The texts of a record's columns 1 and 2: PID, base priority with class.
std::string FormatPid(DWORD dwPID);
std::string FormatBasePriority(LONG lBasePriority, DWORD dwPriorityClass);

// The file name at the end of a path (the whole text when it has no folder).
std::string FileNameOf(const std::string& path);
