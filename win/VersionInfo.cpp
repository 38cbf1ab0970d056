#include "win/VersionInfo.h"
#include "win/Utf8.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {
std::string VersionString(const std::vector<BYTE>& data, WORD wLanguage, WORD wCodePage,
                          const wchar_t* pszName) {
    wchar_t query[64];
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\%ls", wLanguage, wCodePage, pszName);
    void* pValue = nullptr;
    UINT cch = 0;
    if (!VerQueryValueW(data.data(), query, &pValue, &cch) || !pValue || cch == 0) return "";
    // The length counts the NUL where there is one; the text ends at the first NUL either way.
    return Utf8FromWide(std::wstring(static_cast<const wchar_t*>(pValue), cch).c_str());
}
} // namespace

bool ReadProductIdentity(const std::string& path, std::string* pIdentity) {
    pIdentity->clear();
    const std::wstring wide = WideFromUtf8(path);
    DWORD dwHandle = 0;
    const DWORD cb = GetFileVersionInfoSizeW(wide.c_str(), &dwHandle);
    if (cb == 0) {
        // A file that was read and has no version resource is known to carry no identity.
        const DWORD dwError = GetLastError();
        return dwError == ERROR_RESOURCE_DATA_NOT_FOUND ||
               dwError == ERROR_RESOURCE_TYPE_NOT_FOUND || dwError == ERROR_RESOURCE_NAME_NOT_FOUND;
    }
    std::vector<BYTE> data(cb);
    if (!GetFileVersionInfoW(wide.c_str(), 0, cb, data.data())) return false;
    const WORD* pTranslation = nullptr;
    UINT cbTranslation = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(const_cast<WORD**>(&pTranslation)),
                        &cbTranslation) ||
        !pTranslation || cbTranslation < 2 * sizeof(WORD))
        return true;
    const std::string company =
        VersionString(data, pTranslation[0], pTranslation[1], L"CompanyName");
    const std::string product =
        VersionString(data, pTranslation[0], pTranslation[1], L"ProductName");
    if (!company.empty() || !product.empty()) *pIdentity = company + "\n" + product;
    return true;
}

unsigned long long FileSizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(WideFromUtf8(path).c_str(), GetFileExInfoStandard, &data))
        return ~0ULL;
    return (unsigned long long)data.nFileSizeHigh << 32 | data.nFileSizeLow;
}
