// Text between the system's UTF-16 and the program's own strings, which hold UTF-8, so that a
// name or path the ANSI code page lacks letters for passes through unchanged.
#pragma once

#include <windows.h>

#include <string>

inline std::string Utf8FromWide(const wchar_t* pszText, int cchText = -1) {
    if (!pszText || cchText == 0) return std::string();
    const int cb = WideCharToMultiByte(CP_UTF8, 0, pszText, cchText, nullptr, 0, nullptr, nullptr);
    if (cb <= 0) return std::string();
    std::string text(size_t(cb), '\0');
    WideCharToMultiByte(CP_UTF8, 0, pszText, cchText, &text[0], cb, nullptr, nullptr);
    if (cchText < 0) text.resize(size_t(cb) - 1); // without the terminating NUL
    return text;
}

inline std::wstring WideFromUtf8(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int cch = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    if (cch <= 0) return std::wstring();
    std::wstring wide(size_t(cch), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &wide[0], cch);
    return wide;
}

// Text from one code page to another, through UTF-16.
inline std::string Recode(const std::string& text, UINT cpFrom, UINT cpTo) {
    const int cch = MultiByteToWideChar(cpFrom, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(cch > 0 ? cch : 0), L'\0');
    if (wide.empty()) return std::string();
    MultiByteToWideChar(cpFrom, 0, text.data(), int(text.size()), &wide[0], cch);
    const int cb = WideCharToMultiByte(cpTo, 0, wide.data(), cch, nullptr, 0, nullptr, nullptr);
    std::string result(size_t(cb > 0 ? cb : 0), '\0');
    if (!result.empty())
        WideCharToMultiByte(cpTo, 0, wide.data(), cch, &result[0], cb, nullptr, nullptr);
    return result;
}

// Text between the ANSI code page and UTF-8, for the calls that have no wide form on the
// 95/98/Me family. Letters the code page lacks become '?'.
inline std::string Utf8FromAnsi(const std::string& ansi) {
    return Recode(ansi, CP_ACP, CP_UTF8);
}
inline std::string AnsiFromUtf8(const std::string& utf8) {
    return Recode(utf8, CP_UTF8, CP_ACP);
}
