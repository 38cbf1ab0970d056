#include "unit/ScratchKey.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {
// Deletes every subkey of an open key, each opened from its parent: full paths of deep or
// long-named keys can be too long for the registry's calls. Wide calls: a name the ANSI code
// page cannot spell is still found.
void DeleteSubkeys(HKEY key) {
    for (;;) {
        wchar_t name[512];
        DWORD len = 512;
        if (RegEnumKeyExW(key, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY child;
        if (RegOpenKeyExW(key, name, 0, KEY_READ | KEY_WRITE, &child) == ERROR_SUCCESS) {
            DeleteSubkeys(child);
            RegCloseKey(child);
        }
        if (RegDeleteKeyW(key, name) != ERROR_SUCCESS) break;
    }
}
} // namespace

void DeleteKeyTree(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &key) == ERROR_SUCCESS) {
        DeleteSubkeys(key);
        RegCloseKey(key);
    }
    RegDeleteKeyA(root, path.c_str());
}

ScratchKey::ScratchKey() {
    char buf[96];
    static unsigned counter;
    snprintf(buf, sizeof buf, "Software\\VantrelTests\\k%lu_%lu_%u", GetCurrentProcessId(),
             GetTickCount(), ++counter);
    m_path = buf;
    DeleteKeyTree(Root(), m_path);
}

ScratchKey::~ScratchKey() {
    DeleteKeyTree(Root(), m_path);
}

bool ScratchKey::Exists(const std::string& sub) const {
    HKEY key;
    if (RegOpenKeyExA(Root(), Full(sub).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool ScratchKey::Query(const std::string& sub, const char* value, DWORD* type,
                       std::string* data) const {
    HKEY key;
    if (RegOpenKeyExA(Root(), Full(sub).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(key, value, nullptr, type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        data->assign(size, '\0');
        rc = RegQueryValueExA(key, value, nullptr, type, reinterpret_cast<BYTE*>(&(*data)[0]),
                              &size);
        data->resize(size);
    }
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool ScratchKey::QueryText(const std::string& sub, const char* value, std::wstring* text) const {
    HKEY key;
    if (RegOpenKeyExA(Root(), Full(sub).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    const std::wstring name(value, value + strlen(value));
    wchar_t data[1024];
    DWORD type = 0, size = sizeof data - sizeof(wchar_t);
    LONG rc =
        RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    const size_t cch = size / sizeof(wchar_t);
    if (rc != ERROR_SUCCESS || type != REG_SZ || size % 2 || cch == 0 || data[cch - 1])
        return false;
    text->assign(data, cch - 1);
    return true;
}

bool ScratchKey::Put(const std::string& sub, const char* value, DWORD type, const void* data,
                     DWORD size, KeyReading how) const {
    HKEY key;
    if (RegCreateKeyExA(Root(), Full(sub).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring name(value, value + strlen(value));
    LONG rc = how == KeyReading::Stored
                  ? RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size)
                  : RegSetValueExA(key, value, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

size_t ScratchKey::ValueCount(const std::string& sub) const {
    HKEY key;
    if (RegOpenKeyExA(Root(), Full(sub).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    DWORD values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return values;
}

std::map<std::string, std::string> ScratchKey::Values(const std::string& sub) const {
    return KeyValues(Root(), Full(sub));
}

namespace {
// The registry's ANSI and wide calls under one name, for ReadTree.
LONG EnumValue(HKEY key, DWORD i, char* name, DWORD* cch, DWORD* type, BYTE* data, DWORD* cb) {
    return RegEnumValueA(key, i, name, cch, nullptr, type, data, cb);
}
LONG EnumValue(HKEY key, DWORD i, wchar_t* name, DWORD* cch, DWORD* type, BYTE* data, DWORD* cb) {
    return RegEnumValueW(key, i, name, cch, nullptr, type, data, cb);
}
LONG EnumKey(HKEY key, DWORD i, char* name, DWORD* cch) {
    return RegEnumKeyExA(key, i, name, cch, nullptr, nullptr, nullptr, nullptr);
}
LONG EnumKey(HKEY key, DWORD i, wchar_t* name, DWORD* cch) {
    return RegEnumKeyExW(key, i, name, cch, nullptr, nullptr, nullptr, nullptr);
}
LONG OpenKey(HKEY key, const char* name, HKEY* pKey) {
    return RegOpenKeyExA(key, name, 0, KEY_READ, pKey);
}
LONG OpenKey(HKEY key, const wchar_t* name, HKEY* pKey) {
    return RegOpenKeyExW(key, name, 0, KEY_READ, pKey);
}
const std::string& Narrow(const std::string& s) {
    return s;
}
std::string Narrow(const std::wstring& w) {
    std::string s(w.size() * 3 + 1, '\0');
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &s[0], int(s.size()), nullptr, nullptr);
    s.resize(n > 0 ? size_t(n - 1) : 0);
    return s;
}

// Subkeys are opened by the names they were listed with: with the wide calls, a name the
// ANSI code page cannot spell is still found.
template <class Char> void ReadTree(HKEY key, const std::string& sub, const KeyReader& reader) {
    typedef std::basic_string<Char> Name;
    if (reader.onKey) reader.onKey(sub);
    // The largest name the registry holds; data of any size (the buffer grows to fit).
    std::vector<Char> name(16384 + 1);
    std::vector<BYTE> data(64 * 1024);
    for (DWORD i = 0;; ++i) {
        DWORD cchName = DWORD(name.size()), cbData = DWORD(data.size()), type = 0;
        const LONG rc = EnumValue(key, i, name.data(), &cchName, &type, data.data(), &cbData);
        if (rc == ERROR_MORE_DATA && cbData > data.size()) {
            data.resize(cbData);
            --i; // the same value again
            continue;
        }
        if (rc != ERROR_SUCCESS) break;
        if (reader.onValue)
            reader.onValue(sub, Narrow(Name(name.data(), cchName)), type,
                           std::string(reinterpret_cast<const char*>(data.data()), cbData));
    }
    std::vector<Name> children;
    for (DWORD i = 0;; ++i) {
        DWORD cch = DWORD(name.size());
        if (EnumKey(key, i, name.data(), &cch) != ERROR_SUCCESS) break;
        children.emplace_back(name.data(), cch);
    }
    for (const Name& child : children) {
        HKEY hChild;
        if (OpenKey(key, child.c_str(), &hChild) != ERROR_SUCCESS) {
            if (reader.onUnopened) reader.onUnopened(sub, Narrow(child));
            continue;
        }
        ReadTree<Char>(hChild, sub.empty() ? Narrow(child) : sub + "\\" + Narrow(child), reader);
        RegCloseKey(hChild);
    }
}
} // namespace

void ReadKeyTree(HKEY key, const KeyReader& reader, KeyReading how) {
    if (how == KeyReading::Stored)
        ReadTree<wchar_t>(key, "", reader);
    else
        ReadTree<char>(key, "", reader);
}

std::map<std::string, std::string> KeyValues(HKEY root, const std::string& path) {
    std::map<std::string, std::string> all;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return all;
    KeyReader reader;
    reader.onValue = [&all](const std::string& sub, const std::string& name, DWORD type,
                            const std::string& data) {
        all[sub.empty() ? name : sub + "\\" + name] = std::to_string(type) + ":" + data;
    };
    ReadKeyTree(key, reader);
    RegCloseKey(key);
    return all;
}

bool SetEveryoneAccess(HKEY key, DWORD dwAccess) {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
    BYTE aclBuffer[256];
    PACL acl = reinterpret_cast<PACL>(aclBuffer);
    InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION);
    AddAccessAllowedAce(acl, ACL_REVISION, dwAccess, everyone);
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    const LONG rc = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd);
    FreeSid(everyone);
    return rc == ERROR_SUCCESS;
}

bool SetKeyAccess(HKEY root, const std::string& path, DWORD dwAccess) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS) return false;
    const bool ok = SetEveryoneAccess(key, dwAccess);
    RegCloseKey(key);
    return ok;
}
