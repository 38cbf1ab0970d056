// A registry key of its own for one test, under HKCU\Software\VantrelTests, removed afterwards;
// and the registry work the tests share: deleting, reading and locking whole keys. Plain
// Win32, so that the end-to-end tests' regtool builds it too.
#pragma once

#include <windows.h>
#include <functional>
#include <map>
#include <string>

// How ReadKeyTree reads: with the ANSI calls, which hand text values over converted to the
// ANSI code page; or with the wide calls, which hand every value over as the registry stores
// it. Names are handed over in the ANSI code page with the ANSI calls, in UTF-8 with the wide
// ones.
enum class KeyReading { Ansi, Stored };

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
    // The text of a REG_SZ value as the registry stores it (read with the wide call), without
    // its NUL. Returns false when it is missing, of another type or has no NUL at its end.
    bool QueryText(const std::string& sub, const char* value, std::wstring* text) const;
    // Writes a value, creating the key: with the ANSI call (text types converted from the
    // code page) or, Stored, its bytes exactly as given.
    bool Put(const std::string& sub, const char* value, DWORD type, const void* data, DWORD size,
             KeyReading how = KeyReading::Ansi) const;
    size_t ValueCount(const std::string& sub = "") const;
    // Every value below the key or one of its subkeys, as KeyValues has them.
    std::map<std::string, std::string> Values(const std::string& sub = "") const;

  private:
    std::string Full(const std::string& sub) const {
        return sub.empty() ? m_path : m_path + "\\" + sub;
    }
    std::string m_path;
};

// Removes a key with all its subkeys.
void DeleteKeyTree(HKEY root, const std::string& path);

// What ReadKeyTree reports, each with the path of the key below the one read ("" for that
// one itself). Any of them may be left empty.
struct KeyReader {
    // Each key, before its values and the keys below it.
    std::function<void(const std::string& sub)> onKey;
    std::function<void(const std::string& sub, const std::string& name, DWORD type,
                       const std::string& data)>
        onValue;
    // A subkey of sub that cannot be opened.
    std::function<void(const std::string& sub, const std::string& child)> onUnopened;
};
// Reads an open key and every key below it, each opened from its parent: full paths of deep
// or long-named keys can be too long for the registry's ANSI calls.
void ReadKeyTree(HKEY key, const KeyReader& reader, KeyReading how = KeyReading::Ansi);

// Every value below root\path, as "subkey\name" ("name" in the key itself) to its type and raw
// bytes, "type:bytes": to compare a key before and after. Empty when the key cannot be read.
std::map<std::string, std::string> KeyValues(HKEY root, const std::string& path);

// Lets everybody have dwAccess to a key opened with WRITE_DAC, and nobody anything else.
bool SetEveryoneAccess(HKEY key, DWORD dwAccess);
// The same for root\path.
bool SetKeyAccess(HKEY root, const std::string& path, DWORD dwAccess);
