// A console process for the tests to list and kill.
// Arguments: <ready event> <parent pid> <extra threads>. Starts that many idle threads besides
// its main one, signals the ready event, and runs until it is killed or its parent ends.
#include <windows.h>
#include <cstdlib>

namespace {

DWORD WINAPI IdleThread(LPVOID pNever) {
    WaitForSingleObject(static_cast<HANDLE>(pNever), INFINITE);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
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
