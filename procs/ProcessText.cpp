#include "procs/ProcessText.h"
#include "win/Utf8.h"

#include <cstdio>

std::string UpperCase(std::string utf8) {
    const int cch = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                        int(utf8.size()), nullptr, 0);
    if (cch <= 0) {
        // Not UTF-8: bytes of the ANSI code page from a source that still hands names over so,
        // upper-cased in that code page as they always were.
        if (!utf8.empty()) CharUpperBuffA(&utf8[0], DWORD(utf8.size()));
        return utf8;
    }
    std::wstring wide = WideFromUtf8(utf8);
    CharUpperBuffW(&wide[0], DWORD(wide.size()));
    return Utf8FromWide(wide.data(), int(wide.size()));
}

bool IsLossyName(const std::string& name) {
    return name.find('?') != std::string::npos;
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
