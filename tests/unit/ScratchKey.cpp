#include "unit/ScratchKey.h"

#include <cstdio>

namespace {
// Deletes every subkey of an open key, each opened from its parent: full paths of deep or
// long-named keys can be too long for the registry's ANSI calls.
void DeleteSubkeys(HKEY key) {
    for (;;) {
        char name[512];
        DWORD len = sizeof name;
        if (RegEnumKeyExA(key, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY child;
        if (RegOpenKeyExA(key, name, 0, KEY_READ | KEY_WRITE, &child) == ERROR_SUCCESS) {
            DeleteSubkeys(child);
            RegCloseKey(child);
        }
        if (RegDeleteKeyA(key, name) != ERROR_SUCCESS) break;
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

bool ScratchKey::Put(const std::string& sub, const char* value, DWORD type, const void* data,
                     DWORD size) const {
    HKEY key;
    if (RegCreateKeyExA(Root(), Full(sub).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExA(key, value, 0, type, static_cast<const BYTE*>(data), size);
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
