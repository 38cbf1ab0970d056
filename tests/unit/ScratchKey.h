// A registry key of its own for one test, under HKCU\Software\VantrelTests, removed afterwards.
#pragma once

#include <windows.h>
#include <string>

class ScratchKey {
  public:
    ScratchKey();
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    HKEY Root() const { return HKEY_CURRENT_USER; }
    const std::string& Path() const { return m_path; }

    bool Exists(const std::string& sub = "") const;
    // Reads a value raw: its type and bytes. Returns false when it is missing.
    bool Query(const std::string& sub, const char* value, DWORD* type, std::string* data) const;
    // Writes a value raw, creating the key.
    bool Put(const std::string& sub, const char* value, DWORD type, const void* data,
             DWORD size) const;
    size_t ValueCount(const std::string& sub = "") const;

  private:
    std::string Full(const std::string& sub) const {
        return sub.empty() ? m_path : m_path + "\\" + sub;
    }
    std::string m_path;
};

// Removes a key with all its subkeys.
void DeleteKeyTree(HKEY root, const std::string& path);
