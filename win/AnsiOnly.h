// Whether the system is of the 95/98/Me family, whose wide calls (registry, files, dialogs,
// window text) do nothing: there text goes through the ANSI calls, in the ANSI code page.
#pragma once

#include <windows.h>

#include <atomic>

// What tests force: -1 nothing (the system is asked), 0 a system with wide calls, 1 without.
inline std::atomic<int>& ForcedAnsiOnly() {
    static std::atomic<int> s_nForced{-1};
    return s_nForced;
}

// True on the 95/98/Me family; asked of the system once.
inline bool IsAnsiOnlySystem() {
    static const bool s_bAnsiOnly = [] {
        OSVERSIONINFOA version = {};
        version.dwOSVersionInfoSize = sizeof version;
        return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
    }();
    const int nForced = ForcedAnsiOnly();
    return nForced < 0 ? s_bAnsiOnly : nForced != 0;
}

// For tests: makes IsAnsiOnlySystem answer bAnsiOnly while it lives.
class CForceAnsiOnly {
  public:
    explicit CForceAnsiOnly(bool bAnsiOnly) { ForcedAnsiOnly() = bAnsiOnly ? 1 : 0; }
    ~CForceAnsiOnly() { ForcedAnsiOnly() = -1; }
    CForceAnsiOnly(const CForceAnsiOnly&) = delete;
    CForceAnsiOnly& operator=(const CForceAnsiOnly&) = delete;
};
