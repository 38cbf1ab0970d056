// A console process for the tests to list and kill.
// Arguments: <ready event> <parent pid> <extra threads> [noterminate]. Starts that many idle
// threads besides its main one, signals the ready event, and runs until it is killed or its
// parent ends. With "noterminate" it first denies everybody the right to terminate it (handles
// opened before keep their rights).
#include <windows.h>
#include <aclapi.h>
#include <cstdlib>
#include <cstring>

namespace {

DWORD WINAPI IdleThread(LPVOID pNever) {
    WaitForSingleObject(static_cast<HANDLE>(pNever), INFINITE);
    return 0;
}

// Replaces the process's access list: PROCESS_TERMINATE denied to Everyone, everything else
// allowed.
bool DenyTermination() {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID pEveryone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &pEveryone))
        return false;
    EXPLICIT_ACCESSA entries[2] = {};
    const DWORD access[2] = {PROCESS_TERMINATE, PROCESS_ALL_ACCESS};
    const ACCESS_MODE modes[2] = {DENY_ACCESS, GRANT_ACCESS};
    for (int i = 0; i < 2; ++i) {
        entries[i].grfAccessPermissions = access[i];
        entries[i].grfAccessMode = modes[i];
        entries[i].Trustee.TrusteeForm = TRUSTEE_IS_SID;
        entries[i].Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
        entries[i].Trustee.ptstrName = static_cast<LPSTR>(pEveryone);
    }
    PACL pAcl = nullptr;
    bool ok = SetEntriesInAclA(2, entries, nullptr, &pAcl) == ERROR_SUCCESS &&
              SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, pAcl, nullptr) == ERROR_SUCCESS;
    if (pAcl) LocalFree(pAcl);
    FreeSid(pEveryone);
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    if (argc > 4 && strcmp(argv[4], "noterminate") == 0 && !DenyTermination()) return 5;
    HANDLE hNever = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    for (int i = atoi(argv[3]); i > 0; --i) {
        HANDLE hThread = CreateThread(nullptr, 0, IdleThread, hNever, 0, nullptr);
        if (!hThread) return 3;
        CloseHandle(hThread);
    }
    HANDLE hParent = OpenProcess(SYNCHRONIZE, FALSE, strtoul(argv[2], nullptr, 10));
    HANDLE hReady = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    if (!hReady) return 4;
    SetEvent(hReady);
    CloseHandle(hReady);
    // Never outlive the test that started us.
    WaitForSingleObject(hParent ? hParent : hNever, INFINITE);
    return 0;
}
