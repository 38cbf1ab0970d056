// CRegSettings: the program's settings, kept as REG_SZ text values in one registry key.
#pragma once

#include <windows.h>
#include <string>

class CRegSettings {
  public:
    CRegSettings();
    virtual ~CRegSettings();

    // Records root and path, then creates the base key or checks that it can be written.
    // *pbCreated, when given, tells whether the key was created now. No handle is kept.
    // Returns 1 on success, 0 on failure.
    int Open(HKEY hRootKey, const std::string& strBaseKey, bool* pbCreated = nullptr);
    // Open for the program's start: a key created now (the first start) gets the one-time
    // import of "<Windows directory>\<strAppName>.INI"; an existing key never does.
    int OpenAndImportOnce(HKEY hRootKey, const std::string& strBaseKey,
                          const std::string& strAppName);

    int GetInt(const char* pszSection, const char* pszValue, int nDefault) const;
    int SetInt(const char* pszSection, const char* pszValue, int nValue) const;
    std::string GetString(const char* pszSection, const char* pszValue,
                          const std::string& strDefault) const;
    int SetString(const char* pszSection, const char* pszValue, const std::string& strText) const;

    // Imports "<Windows directory>\<appName>.INI" into the base key.
    void ImportIniFile(const std::string& strAppName) const;
    // The import itself, from any file: used by ImportIniFile and by the tests.
    void ImportIniPath(HKEY hBaseKey, const std::string& strPath) const;

    const std::string& BaseKey() const { return m_strBaseKey; }

  private:
    // Reads a value as text into a 260-byte buffer. Returns false when the section or the
    // value cannot be read or the data does not fit.
    bool ReadText(const char* pszSection, const char* pszValue, std::string* pstrOut) const;
    std::string SectionPath(const char* pszSection) const;

    std::string m_strBaseKey;
    HKEY m_hRootKey;
};

// The program's own settings store: opened once at start-up, then read and written by every
// part of the program that keeps something.
CRegSettings& ProgramSettings();
