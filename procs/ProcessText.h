// The texts of a process row: upper-cased names, the PID in hexadecimal and back, the base
// priority with its class.
#pragma once

#include <windows.h>

#include <string>

// Upper-cases text in the ANSI code page, multi-byte aware; keeps the length.
std::string UpperCase(std::string text);

// The texts of a record's columns 1 and 2: PID, base priority with class.
std::string FormatPid(DWORD dwPID);
std::string FormatBasePriority(LONG lBasePriority, DWORD dwPriorityClass);

// The process id a row shows: its PID text read as hexadecimal. False when the text holds
// no hexadecimal number or one beyond 32 bits.
bool ParsePidText(const std::string& text, DWORD* pdwPID);

// The file name at the end of a path (the whole text when it has no folder).
std::string FileNameOf(const std::string& path);
