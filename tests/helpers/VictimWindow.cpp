// A windowed process for the tests to list and kill.
// Arguments: <ready event> <parent pid> honour|ignore|hide. Shows one top-level window titled
// with the ready event's name, then signals that event. Every WM_CLOSE signals the event named
// "<ready event>_close"; the window then closes (honour, exit code 0), stays (ignore), or hides
// while the process runs on, as a tray program does (hide). The process also ends when its
// parent ends.
#include <windows.h>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

enum CloseMode { kHonour, kIgnore, kHide };
CloseMode g_closeMode = kHonour;
HANDLE g_hCloseSeen = nullptr;

LRESULT CALLBACK VictimProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_CLOSE:
        if (g_hCloseSeen) SetEvent(g_hCloseSeen);
        if (g_closeMode == kHonour) DestroyWindow(hWnd);
        if (g_closeMode == kHide) ShowWindow(hWnd, SW_HIDE);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    if (strcmp(argv[3], "ignore") == 0) g_closeMode = kIgnore;
    if (strcmp(argv[3], "hide") == 0) g_closeMode = kHide;
    g_hCloseSeen = OpenEventA(EVENT_MODIFY_STATE, FALSE, (std::string(argv[1]) + "_close").c_str());

    WNDCLASSA wc = {};
    wc.lpfnWndProc = VictimProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "VantrelVictimWindow";
    if (!RegisterClassA(&wc)) return 3;
    HWND hWnd = CreateWindowA(wc.lpszClassName, argv[1], WS_OVERLAPPEDWINDOW, 40, 40, 240, 120,
                              nullptr, nullptr, wc.hInstance, nullptr);
    if (!hWnd) return 4;
    ShowWindow(hWnd, SW_SHOWNOACTIVATE);
    UpdateWindow(hWnd);

    HANDLE hReady = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    if (!hReady) return 5;
    SetEvent(hReady);
    CloseHandle(hReady);

    HANDLE hParent = OpenProcess(SYNCHRONIZE, FALSE, strtoul(argv[2], nullptr, 10));
    DWORD nHandles = hParent ? 1 : 0;
    for (;;) {
        DWORD dwWait = MsgWaitForMultipleObjects(nHandles, &hParent, FALSE, INFINITE, QS_ALLINPUT);
        if (dwWait == WAIT_OBJECT_0 && nHandles) return 1; // the test ended without us
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return int(msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}
