#include "settings/RegSettings.h"
#include "settings/TextRules.h"
#include "win/Handles.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Values are read into a buffer of this size; larger data reads as the caller's default.
const DWORD kReadBufferSize = 260;
// INI lines are read into a buffer of this size; longer lines arrive as several pieces.
const int kIniLineBufferSize = 520;

LONG CreateWritableKey(HKEY hParent, const std::string& strPath, CKey* pKey,
                       bool* pbCreated = nullptr, REGSAM samMore = 0) {
    DWORD dwDisp = 0;
    LONG rc = RegCreateKeyExA(hParent, strPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_WRITE | samMore, nullptr, pKey->Receive(), &dwDisp);
    if (rc != ERROR_SUCCESS) pKey->Detach(); // whatever the failed call left there is no key
    if (pbCreated) *pbCreated = rc == ERROR_SUCCESS && dwDisp == REG_CREATED_NEW_KEY;
    return rc;
}

LONG WriteText(HKEY hKey, const char* pszValue, const std::string& strText) {
    return RegSetValueExA(hKey, pszValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(strText.c_str()),
                          DWORD(strText.size() + 1));
}

// Copies into hTarget what it lacks of hSource: each value it does not have, and each key
// below that it does not have, whole. What hTarget has stays as it is, so a section is taken
// from one source only. The ANSI calls hand text over in the ANSI code page, the form in which
// this store reads it anyway; every other type keeps its bytes. Failures leave a value or a
// key out: the sources are never changed, so nothing is lost.
void CopyMissing(HKEY hSource, HKEY hTarget) {
    // The longest name the registry allows, in bytes of a double-byte code page.
    std::vector<char> name(2 * 16384 + 2);
    std::vector<BYTE> data(kReadBufferSize);
    for (DWORD i = 0;;) {
        DWORD cchName = DWORD(name.size()), cbData = DWORD(data.size()), dwType = 0;
        const LONG rc = RegEnumValueA(hSource, i, name.data(), &cchName, nullptr, &dwType,
                                      data.data(), &cbData);
        if (rc == ERROR_MORE_DATA && cbData > data.size()) {
            data.resize(cbData); // and the same value again
            continue;
        }
        if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) break; // the end, or nothing to read
        ++i;
        if (rc != ERROR_SUCCESS || RegQueryValueExA(hTarget, name.data(), nullptr, nullptr, nullptr,
                                                    nullptr) != ERROR_FILE_NOT_FOUND)
            continue;
        RegSetValueExA(hTarget, name.data(), 0, dwType, data.data(), cbData);
    }
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        DWORD cchName = DWORD(name.size());
        const LONG rc =
            RegEnumKeyExA(hSource, i, name.data(), &cchName, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS) break;
        children.emplace_back(name.data(), cchName);
    }
    for (const std::string& child : children) {
        CKey source, target;
        bool bCreated = false;
        if (RegOpenKeyExA(hSource, child.c_str(), 0, KEY_READ, source.Receive()) != ERROR_SUCCESS) {
            source.Detach();
            continue;
        }
        if (CreateWritableKey(hTarget, child, &target, &bCreated, KEY_READ) != ERROR_SUCCESS ||
            !bCreated)
            continue;
        CopyMissing(source, target);
    }
}

// "<Windows directory>\<strAppName>.INI", or "" when the system does not say where that is.
std::string IniFilePath(const std::string& strAppName) {
    char windir[MAX_PATH + 1] = "";
    UINT len = GetWindowsDirectoryA(windir, MAX_PATH);
    if (len == 0 || len > MAX_PATH) return "";
    return std::string(windir) + "\\" + strAppName + ".INI";
}

} // namespace

CRegSettings::CRegSettings() : m_hRootKey(SettingsRoot()) {}

CRegSettings& ProgramSettings() {
    static CRegSettings s_settings;
    return s_settings;
}

CRegSettings::~CRegSettings() {}

int CRegSettings::Open(HKEY hRootKey, const std::string& strBaseKey, bool* pbCreated) {
    m_strBaseKey = strBaseKey;
    m_hRootKey = hRootKey;
    CKey key;
    return CreateWritableKey(hRootKey, strBaseKey, &key, pbCreated) == ERROR_SUCCESS ? 1 : 0;
}

int CRegSettings::OpenAndImportOnce(HKEY hRootKey, const std::string& strBaseKey,
                                    const std::string& strAppName,
                                    const std::vector<RegKeyPlace>& oldKeys) {
    bool bCreated = false;
    if (!Open(hRootKey, strBaseKey, &bCreated)) return 0;
    // Only on the first start: once the key exists, either would overwrite what the user has
    // chosen since.
    if (!bCreated) return 1;
    CKey base;
    if (CreateWritableKey(hRootKey, strBaseKey, &base, nullptr, KEY_READ) != ERROR_SUCCESS)
        return 1;
    bool bFound = false;
    for (const RegKeyPlace& old : oldKeys) {
        CKey source;
        if (RegOpenKeyExA(old.hRoot, old.strPath.c_str(), 0, KEY_READ, source.Receive()) !=
            ERROR_SUCCESS) {
            source.Detach();
            continue;
        }
        CopyMissing(source, base);
        bFound = true;
    }
    // The file is for a person with no settings yet.
    if (!bFound) ImportIniPath(base, IniFilePath(strAppName));
    return 1;
}

std::string CRegSettings::SectionPath(const char* pszSection) const {
    return m_strBaseKey + "\\" + pszSection;
}

bool CRegSettings::ReadValue(const char* pszSection, const char* pszValue, std::string* pstrData,
                             DWORD* pdwType) const {
    CKey key;
    if (RegOpenKeyExA(m_hRootKey, SectionPath(pszSection).c_str(), 0, KEY_READ, key.Receive()) !=
        ERROR_SUCCESS) {
        key.Detach();
        return false;
    }
    // One byte more than the registry may fill, so that data of exactly 260 bytes without a
    // terminating NUL still ends inside the buffer.
    char buffer[kReadBufferSize + 1];
    DWORD cbData = kReadBufferSize;
    LONG rc =
        RegQueryValueExA(key, pszValue, nullptr, pdwType, reinterpret_cast<BYTE*>(buffer), &cbData);
    if (rc != ERROR_SUCCESS || cbData > kReadBufferSize) return false;
    pstrData->assign(buffer, cbData);
    return true;
}

int CRegSettings::GetInt(const char* pszSection, const char* pszValue, int nDefault) const {
    std::string data;
    DWORD dwType = 0;
    int nValue = 0;
    if (!ReadValue(pszSection, pszValue, &data, &dwType)) return nDefault;
    if (dwType == REG_DWORD && data.size() == sizeof(DWORD)) {
        DWORD dwValue = 0;
        memcpy(&dwValue, data.data(), sizeof dwValue);
        return int(dwValue);
    }
    // Text up to its NUL, or to the end of the data when it has none.
    return textrules::ParseInt(data.c_str(), &nValue) ? nValue : nDefault;
}

std::string CRegSettings::GetString(const char* pszSection, const char* pszValue,
                                    const std::string& strDefault) const {
    std::string data;
    DWORD dwType = 0;
    return ReadValue(pszSection, pszValue, &data, &dwType) ? std::string(data.c_str()) : strDefault;
}

int CRegSettings::SetInt(const char* pszSection, const char* pszValue, int nValue,
                         LONG* plError) const {
    char text[16];
    snprintf(text, sizeof text, "%d", nValue);
    return SetString(pszSection, pszValue, text, plError);
}

int CRegSettings::SetString(const char* pszSection, const char* pszValue,
                            const std::string& strText, LONG* plError) const {
    CKey key;
    LONG rc = CreateWritableKey(m_hRootKey, SectionPath(pszSection), &key);
    if (rc == ERROR_SUCCESS) rc = WriteText(key, pszValue, strText);
    if (plError) *plError = rc;
    return rc == ERROR_SUCCESS ? 1 : 0;
}

void CRegSettings::ImportIniPath(HKEY hBaseKey, const std::string& strPath) const {
    if (strPath.empty()) return;
    FILE* file = fopen(strPath.c_str(), "rt");
    if (!file) return;
    CKey section;
    char line[kIniLineBufferSize];
    while (fgets(line, sizeof line, file)) {
        // A NUL byte inside a line ends the text there, as it would for any C string.
        const textrules::IniLine parsed = textrules::ClassifyIniLine(line);
        if (parsed.kind == textrules::IniLineKind::Section) {
            if (CreateWritableKey(hBaseKey, parsed.section, &section) != ERROR_SUCCESS)
                break; // a section that cannot be created ends the import
        } else if (parsed.kind == textrules::IniLineKind::Entry && section.IsValid()) {
            WriteText(section, parsed.key.c_str(), parsed.value);
        }
    }
    fclose(file);
}
