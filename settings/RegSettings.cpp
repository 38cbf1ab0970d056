#include "settings/RegSettings.h"
#include "settings/TextRules.h"
#include "win/Handles.h"

#include <cstdio>
#include <cstring>

namespace {

// Values are read into a buffer of this size; larger data reads as the caller's default.
const DWORD kReadBufferSize = 260;
// INI lines are read into a buffer of this size; longer lines arrive as several pieces.
const int kIniLineBufferSize = 520;

LONG CreateWritableKey(HKEY hParent, const std::string& strPath, CKey* pKey,
                       bool* pbCreated = nullptr) {
    DWORD dwDisp = 0;
    LONG rc = RegCreateKeyExA(hParent, strPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_WRITE, nullptr, pKey->Receive(), &dwDisp);
    if (rc != ERROR_SUCCESS) pKey->Detach(); // whatever the failed call left there is no key
    if (pbCreated) *pbCreated = rc == ERROR_SUCCESS && dwDisp == REG_CREATED_NEW_KEY;
    return rc;
}

LONG WriteText(HKEY hKey, const char* pszValue, const std::string& strText) {
    return RegSetValueExA(hKey, pszValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(strText.c_str()),
                          DWORD(strText.size() + 1));
}

} // namespace

CRegSettings::CRegSettings() : m_hRootKey(HKEY_LOCAL_MACHINE) {}

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
                                    const std::string& strAppName) {
    bool bCreated = false;
    if (!Open(hRootKey, strBaseKey, &bCreated)) return 0;
    // Only on the first start: once the key exists, the file would overwrite what the user
    // has chosen since.
    if (bCreated) ImportIniFile(strAppName);
    return 1;
}

std::string CRegSettings::SectionPath(const char* pszSection) const {
    return m_strBaseKey + "\\" + pszSection;
}

bool CRegSettings::ReadText(const char* pszSection, const char* pszValue,
                            std::string* pstrOut) const {
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
    DWORD dwType = 0;
    LONG rc =
        RegQueryValueExA(key, pszValue, nullptr, &dwType, reinterpret_cast<BYTE*>(buffer), &cbData);
    if (rc != ERROR_SUCCESS || cbData > kReadBufferSize) return false;
    buffer[cbData] = '\0';
    pstrOut->assign(buffer, strnlen(buffer, cbData));
    return true;
}

int CRegSettings::GetInt(const char* pszSection, const char* pszValue, int nDefault) const {
    std::string text;
    int nValue = 0;
    if (!ReadText(pszSection, pszValue, &text) || !textrules::ParseInt(text, &nValue))
        return nDefault;
    return nValue;
}

std::string CRegSettings::GetString(const char* pszSection, const char* pszValue,
                                    const std::string& strDefault) const {
    std::string text;
    return ReadText(pszSection, pszValue, &text) ? text : strDefault;
}

int CRegSettings::SetInt(const char* pszSection, const char* pszValue, int nValue) const {
    char text[16];
    snprintf(text, sizeof text, "%d", nValue);
    return SetString(pszSection, pszValue, text);
}

int CRegSettings::SetString(const char* pszSection, const char* pszValue,
                            const std::string& strText) const {
    CKey key;
    if (CreateWritableKey(m_hRootKey, SectionPath(pszSection), &key) != ERROR_SUCCESS) return 0;
    return WriteText(key, pszValue, strText) == ERROR_SUCCESS ? 1 : 0;
}

void CRegSettings::ImportIniFile(const std::string& strAppName) const {
    char windir[MAX_PATH + 1] = "";
    UINT len = GetWindowsDirectoryA(windir, MAX_PATH);
    if (len == 0 || len > MAX_PATH) return;
    CKey base;
    if (CreateWritableKey(m_hRootKey, m_strBaseKey, &base) != ERROR_SUCCESS) return;
    ImportIniPath(base, std::string(windir) + "\\" + strAppName + ".INI");
}

void CRegSettings::ImportIniPath(HKEY hBaseKey, const std::string& strPath) const {
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
