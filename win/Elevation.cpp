#include "win/Elevation.h"
#include "win/Handles.h"

#include <shellapi.h>

#include <vector>

namespace {
// Not declared below _WIN32_WINNT 0x0600.
const int kTokenElevation = 20; // TOKEN_INFORMATION_CLASS TokenElevation

int QueryElevationState() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT ||
        version.dwMajorVersion < 6)
        return -1; // no user account control before Vista
    CHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return -1;
    DWORD dwElevated = 0, cb = 0;
    if (!GetTokenInformation(token, TOKEN_INFORMATION_CLASS(kTokenElevation), &dwElevated,
                             sizeof dwElevated, &cb))
        return -1;
    return dwElevated ? 1 : 0;
}
} // namespace

int ElevationState() {
    // A process keeps the token it started with: asked once, for every refresh after.
    static const int s_nState = QueryElevationState();
    return s_nState;
}

bool RestartElevated() {
    std::vector<wchar_t> path(32768, L'\0');
    const DWORD cch = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (cch == 0 || cch >= path.size()) return false;
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC;
    info.lpVerb = L"runas";
    info.lpFile = path.data();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info) != FALSE;
}
