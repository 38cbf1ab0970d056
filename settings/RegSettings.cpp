#include "settings/RegSettings.h"
#include "settings/IniFile.h"
#include "settings/StoreCalls.h"
#include "settings/TextRules.h"
#include "win/Utf8.h"

#include <cstdio>
#include <cstring>
#include <vector>

using namespace storecalls;

namespace {

LONG CreateWritableKey(HKEY hParent, const std::string& strPath, CKey* pKey,
                       bool* pbCreated = nullptr, REGSAM samMore = 0) {
    return CreateKey(hParent, strPath, KEY_WRITE | samMore, pKey, pbCreated);
}

// Whether a key holds any value, or any key below it.
bool HasContent(HKEY hKey) {
    DWORD nKeys = 0, nValues = 0;
    return RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, &nKeys, nullptr, nullptr, &nValues,
                            nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           (nKeys > 0 || nValues > 0);
}

// Copies into hTarget what it lacks of hSource: each value it does not have, and each key
// below that it does not have or that is empty, whole. What hTarget has stays as it is, so a
// section is taken from one source only - the first that has anything in it. Every value
// keeps its type and its data as the registry holds it. Failures leave a value or a key out:
// the sources are never changed, so nothing is lost. Returns how many values were copied.
size_t CopyMissing(HKEY hSource, HKEY hTarget) {
    size_t nCopied = 0;
    std::string name;
    std::vector<BYTE> data;
    for (DWORD i = 0;; ++i) {
        DWORD dwType = 0;
        const LONG rc = EnumValue(hSource, i, &name, &dwType, &data);
        if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) break; // the end, or nothing to read
        if (rc == ERROR_SUCCESS && IsValueMissing(hTarget, name) &&
            WriteRaw(hTarget, name, dwType, data) == ERROR_SUCCESS)
            ++nCopied;
    }
    std::vector<std::string> children;
    for (DWORD i = 0; EnumKey(hSource, i, &name) == ERROR_SUCCESS; ++i)
        children.push_back(name);
    for (const std::string& child : children) {
        CKey source, target;
        if (OpenKey(hSource, child, KEY_READ, &source) != ERROR_SUCCESS) continue;
        if (CreateWritableKey(hTarget, child, &target, nullptr, KEY_READ) != ERROR_SUCCESS ||
            HasContent(target))
            continue;
        nCopied += CopyMissing(source, target);
    }
    return nCopied;
}

// "<Windows directory>\<strAppName>.INI", or "" when the system does not say where that is.
std::string IniFilePath(const std::string& strAppName) {
    const std::string windir = WindowsDirectory();
    return windir.empty() ? windir : windir + "\\" + strAppName + ".INI";
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
    size_t nFound = 0;
    for (const RegKeyPlace& old : oldKeys) {
        CKey source;
        if (OpenKey(old.hRoot, old.strPath, KEY_READ | old.samView, &source) != ERROR_SUCCESS)
            continue;
        nFound += CopyMissing(source, base);
    }
    // The file is for a person with no settings yet (an old key left empty holds none).
    if (nFound == 0) ImportIniPath(base, IniFilePath(strAppName));
    return 1;
}

std::string CRegSettings::SectionPath(const char* pszSection) const {
    return m_strBaseKey + "\\" + pszSection;
}

bool CRegSettings::ReadValue(const char* pszSection, const char* pszValue,
                             storecalls::Value* pValue) const {
    CKey key;
    return OpenKey(m_hRootKey, SectionPath(pszSection), KEY_READ, &key) == ERROR_SUCCESS &&
           storecalls::ReadValue(key, pszValue, pValue);
}

ULONGLONG CRegSettings::SectionWriteTime(const char* pszSection) const {
    CKey key;
    FILETIME written = {0, 0};
    if (OpenKey(m_hRootKey, SectionPath(pszSection), KEY_READ, &key) != ERROR_SUCCESS ||
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, &written) != ERROR_SUCCESS)
        return 0;
    return ULONGLONG(written.dwHighDateTime) << 32 | written.dwLowDateTime;
}

int CRegSettings::GetInt(const char* pszSection, const char* pszValue, int nDefault) const {
    Value value;
    int nValue = 0;
    if (!ReadValue(pszSection, pszValue, &value)) return nDefault;
    if (value.dwType == REG_DWORD && value.data.size() == sizeof(DWORD)) {
        DWORD dwValue = 0;
        memcpy(&dwValue, value.data.data(), sizeof dwValue);
        return int(dwValue);
    }
    return textrules::ParseInt(value.Text(), &nValue) ? nValue : nDefault;
}

std::string CRegSettings::GetString(const char* pszSection, const char* pszValue,
                                    const std::string& strDefault) const {
    Value value;
    return ReadValue(pszSection, pszValue, &value) ? value.Text() : strDefault;
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
    CIniFile file;
    if (strPath.empty() || !file.Open(strPath)) return;
    // An ANSI line is classified as it stands, as it always was; only its parts are converted.
    const bool bAnsi = file.GetEncoding() == CIniFile::Encoding::Ansi;
    auto text = [bAnsi](const std::string& part) { return bAnsi ? Utf8FromAnsi(part) : part; };
    CKey section;
    std::string piece;
    while (file.ReadPiece(&piece)) {
        const textrules::IniLine parsed = textrules::ClassifyIniLine(piece);
        if (parsed.kind == textrules::IniLineKind::Section) {
            if (CreateWritableKey(hBaseKey, text(parsed.section), &section) != ERROR_SUCCESS)
                break; // a section that cannot be created ends the import
        } else if (parsed.kind == textrules::IniLineKind::Entry && section.IsValid()) {
            WriteText(section, text(parsed.key), text(parsed.value));
        }
    }
}
