#include "settings/StoreCalls.h"
#include "win/AnsiOnly.h"
#include "win/Utf8.h"

#include <cstring>

namespace storecalls {

namespace {

bool IsText(DWORD dwType) {
    return dwType == REG_SZ || dwType == REG_EXPAND_SZ || dwType == REG_MULTI_SZ;
}

// Room for the longest value name the registry holds, and its NUL; in a double-byte code page
// each character may take two bytes.
const DWORD kLongestName = 16383 + 1;

} // namespace

LONG OpenKey(HKEY hParent, const std::string& path, REGSAM sam, CKey* pKey) {
    const LONG rc =
        IsAnsiOnlySystem()
            ? RegOpenKeyExA(hParent, AnsiFromUtf8(path).c_str(), 0, sam, pKey->Receive())
            : RegOpenKeyExW(hParent, WideFromUtf8(path).c_str(), 0, sam, pKey->Receive());
    if (rc != ERROR_SUCCESS) pKey->Detach(); // whatever the failed call left there is no key
    return rc;
}

LONG CreateKey(HKEY hParent, const std::string& path, REGSAM sam, CKey* pKey, bool* pbCreated) {
    DWORD dwDisp = 0;
    const LONG rc =
        IsAnsiOnlySystem()
            ? RegCreateKeyExA(hParent, AnsiFromUtf8(path).c_str(), 0, nullptr,
                              REG_OPTION_NON_VOLATILE, sam, nullptr, pKey->Receive(), &dwDisp)
            : RegCreateKeyExW(hParent, WideFromUtf8(path).c_str(), 0, nullptr,
                              REG_OPTION_NON_VOLATILE, sam, nullptr, pKey->Receive(), &dwDisp);
    if (rc != ERROR_SUCCESS) pKey->Detach();
    if (pbCreated) *pbCreated = rc == ERROR_SUCCESS && dwDisp == REG_CREATED_NEW_KEY;
    return rc;
}

std::string Value::Text() const {
    if (bWide && IsText(dwType)) {
        // An odd last byte is half a character: it is left out.
        std::wstring wide(data.size() / sizeof(wchar_t), L'\0');
        if (!wide.empty()) memcpy(&wide[0], data.data(), wide.size() * sizeof(wchar_t));
        const size_t nul = wide.find(L'\0');
        return Utf8FromWide(wide.data(), int(nul == std::wstring::npos ? wide.size() : nul));
    }
    return Utf8FromAnsi(data.substr(0, data.find('\0')));
}

bool ReadValue(HKEY hKey, const std::string& name, Value* pValue) {
    const bool bWide = !IsAnsiOnlySystem();
    const std::wstring wideName = bWide ? WideFromUtf8(name) : std::wstring();
    const std::string ansiName = bWide ? std::string() : AnsiFromUtf8(name);
    // Read whole, whatever its size: a value cut short, or one given up on, would be written
    // back shorter (or, for a favourite, end the list) at the next save. Most values fit the
    // first buffer; a larger one is read again in a buffer of the size the call asked for.
    std::string buffer(520, '\0');
    for (;;) {
        DWORD cbData = DWORD(buffer.size()), dwType = REG_NONE;
        BYTE* pData = reinterpret_cast<BYTE*>(&buffer[0]);
        const LONG rc =
            bWide ? RegQueryValueExW(hKey, wideName.c_str(), nullptr, &dwType, pData, &cbData)
                  : RegQueryValueExA(hKey, ansiName.c_str(), nullptr, &dwType, pData, &cbData);
        if (rc == ERROR_MORE_DATA && cbData > buffer.size()) {
            buffer.assign(cbData, '\0'); // and again, should it have grown meanwhile
            continue;
        }
        if (rc != ERROR_SUCCESS || cbData > buffer.size()) return false;
        buffer.resize(cbData);
        pValue->dwType = dwType;
        pValue->data = buffer;
        pValue->bWide = bWide;
        return true;
    }
}

LONG WriteText(HKEY hKey, const std::string& name, const std::string& text) {
    if (IsAnsiOnlySystem()) {
        const std::string ansi = AnsiFromUtf8(text);
        return RegSetValueExA(hKey, AnsiFromUtf8(name).c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(ansi.c_str()), DWORD(ansi.size() + 1));
    }
    const std::wstring wide = WideFromUtf8(text);
    return RegSetValueExW(hKey, WideFromUtf8(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(wide.c_str()),
                          DWORD((wide.size() + 1) * sizeof(wchar_t)));
}

LONG EnumValue(HKEY hKey, DWORD dwIndex, std::string* pName, DWORD* pdwType,
               std::vector<BYTE>* pData) {
    const bool bAnsi = IsAnsiOnlySystem();
    std::vector<char> ansi(bAnsi ? 2 * kLongestName : 0);
    std::vector<wchar_t> wide(bAnsi ? 0 : kLongestName);
    if (pData->empty()) pData->resize(256);
    for (;;) {
        DWORD cchName = DWORD(bAnsi ? ansi.size() : wide.size()), cbData = DWORD(pData->size());
        const LONG rc = bAnsi ? RegEnumValueA(hKey, dwIndex, ansi.data(), &cchName, nullptr,
                                              pdwType, pData->data(), &cbData)
                              : RegEnumValueW(hKey, dwIndex, wide.data(), &cchName, nullptr,
                                              pdwType, pData->data(), &cbData);
        if (rc == ERROR_MORE_DATA && cbData > pData->size()) {
            pData->resize(cbData); // and the same value again
            continue;
        }
        if (rc != ERROR_SUCCESS) return rc;
        pData->resize(cbData);
        *pName = bAnsi ? Utf8FromAnsi(std::string(ansi.data(), cchName))
                       : Utf8FromWide(wide.data(), int(cchName));
        return rc;
    }
}

LONG EnumKey(HKEY hKey, DWORD dwIndex, std::string* pName) {
    if (IsAnsiOnlySystem()) {
        std::vector<char> name(2 * kLongestName);
        DWORD cch = DWORD(name.size());
        const LONG rc =
            RegEnumKeyExA(hKey, dwIndex, name.data(), &cch, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_SUCCESS) *pName = Utf8FromAnsi(std::string(name.data(), cch));
        return rc;
    }
    std::vector<wchar_t> name(kLongestName);
    DWORD cch = DWORD(name.size());
    const LONG rc =
        RegEnumKeyExW(hKey, dwIndex, name.data(), &cch, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_SUCCESS) *pName = Utf8FromWide(name.data(), int(cch));
    return rc;
}

bool IsValueMissing(HKEY hKey, const std::string& name) {
    const LONG rc = IsAnsiOnlySystem() ? RegQueryValueExA(hKey, AnsiFromUtf8(name).c_str(), nullptr,
                                                          nullptr, nullptr, nullptr)
                                       : RegQueryValueExW(hKey, WideFromUtf8(name).c_str(), nullptr,
                                                          nullptr, nullptr, nullptr);
    return rc == ERROR_FILE_NOT_FOUND;
}

LONG WriteRaw(HKEY hKey, const std::string& name, DWORD dwType, const std::vector<BYTE>& data) {
    static const BYTE kNone = 0; // no data still needs a place to point at
    const BYTE* pData = data.empty() ? &kNone : data.data();
    return IsAnsiOnlySystem() ? RegSetValueExA(hKey, AnsiFromUtf8(name).c_str(), 0, dwType, pData,
                                               DWORD(data.size()))
                              : RegSetValueExW(hKey, WideFromUtf8(name).c_str(), 0, dwType, pData,
                                               DWORD(data.size()));
}

std::string WindowsDirectory() {
    if (IsAnsiOnlySystem()) {
        char dir[MAX_PATH + 1] = "";
        const UINT len = GetWindowsDirectoryA(dir, MAX_PATH);
        return len == 0 || len > MAX_PATH ? std::string() : Utf8FromAnsi(std::string(dir, len));
    }
    wchar_t dir[MAX_PATH + 1] = L"";
    const UINT len = GetWindowsDirectoryW(dir, MAX_PATH);
    return len == 0 || len > MAX_PATH ? std::string() : Utf8FromWide(dir, int(len));
}

CFile OpenFile(const std::string& path, const char* pszMode) {
    FILE* file = IsAnsiOnlySystem()
                     ? fopen(AnsiFromUtf8(path).c_str(), pszMode)
                     : _wfopen(WideFromUtf8(path).c_str(), WideFromUtf8(pszMode).c_str());
    return CFile(file, fclose);
}

} // namespace storecalls
