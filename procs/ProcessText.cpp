#include "procs/ProcessText.h"

#include <cstdio>

std::string UpperCase(std::string text) {
    if (!text.empty()) CharUpperBuffA(&text[0], DWORD(text.size()));
    return text;
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
