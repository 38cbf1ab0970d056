// CRegSettings: the program's settings, kept as REG_SZ text values in one registry key.
// Names and text are UTF-8; they reach the registry through its wide calls.
#pragma once

#include "settings/SettingNames.h"

#include <windows.h>
#include <string>
#include <vector>

namespace storecalls {
struct Value;
}

class CRegSettings {
  public:
    CRegSettings();
    virtual ~CRegSettings();

    // Records root and path, then creates the base key or checks that it can be written.
    // *pbCreated, when given, tells whether the key was created now. No handle is kept.
    // Returns 1 on success, 0 on failure.
    int Open(HKEY hRootKey, const std::string& strBaseKey, bool* pbCreated = nullptr);
    // Open for the program's start. A key created now (the first start) is filled once: from
    // the old keys that exist, each section from the first of them that has anything in it
    // (so every section keeps the data the person last saw), or, when none holds anything, from
    // "<Windows directory>\<strAppName>.INI". An existing key is never filled; the old keys are
    // only read.
    int OpenAndImportOnce(HKEY hRootKey, const std::string& strBaseKey,
                          const std::string& strAppName,
                          const std::vector<RegKeyPlace>& oldKeys = {});

    // Reads text as a number; a REG_DWORD value (as an administrator's script may write one)
    // reads as its number.
    int GetInt(const char* pszSection, const char* pszValue, int nDefault) const;
    std::string GetString(const char* pszSection, const char* pszValue,
                          const std::string& strDefault) const;
    // Both write REG_SZ text and return 1 when it was written. On failure they return 0 and
    // put the system's error code into *plError when it is given.
    int SetInt(const char* pszSection, const char* pszValue, int nValue,
               LONG* plError = nullptr) const;
    int SetString(const char* pszSection, const char* pszValue, const std::string& strText,
                  LONG* plError = nullptr) const;

    // When anything was last written to a section, as system time (FILETIME units); 0 when
    // the section does not exist.
    ULONGLONG SectionWriteTime(const char* pszSection) const;

    // Imports an INI file (ANSI, UTF-8 or UTF-16, see CIniFile) into an open base key: the
    // first start's import, and the tests'.
    void ImportIniPath(HKEY hBaseKey, const std::string& strPath) const;

    const std::string& BaseKey() const { return m_strBaseKey; }

  private:
    // Reads a value whole, whatever its size. Returns false when the section or the value
    // cannot be read.
    bool ReadValue(const char* pszSection, const char* pszValue, storecalls::Value* pValue) const;
    std::string SectionPath(const char* pszSection) const;

    std::string m_strBaseKey;
    HKEY m_hRootKey;
};

// The program's own settings store: opened once at start-up, then read and written by every
// part of the program that keeps something.
CRegSettings& ProgramSettings();
