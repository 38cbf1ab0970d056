#include "procs/ProcessText.h"
#include "win/Utf8.h"

#include <cstdio>

std::string UpperCase(std::string text) {
    // ASCII alone needs no round trip through UTF-16 (most names and paths are).
    bool bAscii = true;
    for (char& c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            bAscii = false;
            break;
        }
    }
    if (bAscii) {
        for (char& c : text)
            if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        return text;
    }
    // The whole name at once, by the system's rules for every script (not byte by byte).
    std::wstring wide = WideFromUtf8(text);
    if (!wide.empty()) CharUpperBuffW(&wide[0], DWORD(wide.size()));
    return Utf8FromWide(wide.c_str(), int(wide.size()));
}

bool IsLossyName(const std::string& name) {
    return name.find('?') != std::string::npos;
}

int CompareNames(const std::string& a, const std::string& b) {
    const int order = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, WideFromUtf8(a).c_str(),
                                     -1, WideFromUtf8(b).c_str(), -1);
    return order == 0 ? a.compare(b) : order - 2; // CSTR_LESS_THAN 1, EQUAL 2, GREATER_THAN 3
}

std::string FormatPid(DWORD dwPID) {
    char text[16];
    snprintf(text, sizeof text, "%lX", static_cast<unsigned long>(dwPID));
    return text;
}

std::string FormatBasePriority(LONG lBasePriority, DWORD dwPriorityClass) {
    const char* label = nullptr;
    switch (dwPriorityClass) {
    case NORMAL_PRIORITY_CLASS:
        label = "Normal";
        break;
    case IDLE_PRIORITY_CLASS:
        label = "Idle";
        break;
    case HIGH_PRIORITY_CLASS:
        label = "High";
        break;
    case REALTIME_PRIORITY_CLASS:
        label = "Real Time";
        break;
    }
    char text[48];
    if (label)
        snprintf(text, sizeof text, "%ld  (%s)", static_cast<long>(lBasePriority), label);
    else
        snprintf(text, sizeof text, "%ld", static_cast<long>(lBasePriority));
    return text;
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
