// The system calls of the settings store, with the program's UTF-8 names and text: the
// registry's wide calls, or, on the Windows 95/98/Me family, whose wide calls do nothing, the
// ANSI calls in the ANSI code page.
#pragma once

#include "win/Handles.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace storecalls {

LONG OpenKey(HKEY hParent, const std::string& path, REGSAM sam, CKey* pKey);
// Creates a key non-volatile, or opens it; *pbCreated tells whether it was created now.
LONG CreateKey(HKEY hParent, const std::string& path, REGSAM sam, CKey* pKey,
               bool* pbCreated = nullptr);

// A value as read: its type and bytes as the call handed them over.
struct Value {
    DWORD dwType = REG_NONE;
    std::string data;
    bool bWide = false; // text types came as UTF-16 (the wide calls), else in the code page
    // The data as text, up to its first NUL or to the end of the data: text types as they
    // are, other data taken as text in the ANSI code page, as the ANSI calls hand it over.
    std::string Text() const;
};
// Reads a value whole, whatever its size. False when it is missing or cannot be read.
bool ReadValue(HKEY hKey, const std::string& name, Value* pValue);
// Writes REG_SZ text with its NUL.
LONG WriteText(HKEY hKey, const std::string& name, const std::string& text);

// The values and subkeys of a key by index, names as UTF-8; data as the calls hand it over,
// to be written back with WriteRaw under the same calls. ERROR_MORE_DATA: the name is longer
// than the registry allows to be read.
LONG EnumValue(HKEY hKey, DWORD dwIndex, std::string* pName, DWORD* pdwType,
               std::vector<BYTE>* pData);
LONG EnumKey(HKEY hKey, DWORD dwIndex, std::string* pName);
// True only when the key is known to lack the value.
bool IsValueMissing(HKEY hKey, const std::string& name);
LONG WriteRaw(HKEY hKey, const std::string& name, DWORD dwType, const std::vector<BYTE>& data);

// The Windows directory; "" when the system does not say.
std::string WindowsDirectory();
// Opens a file by its UTF-8 path with the C library's mode ("rb", "rt").
typedef std::unique_ptr<FILE, int (*)(FILE*)> CFile;
CFile OpenFile(const std::string& path, const char* pszMode);

} // namespace storecalls
