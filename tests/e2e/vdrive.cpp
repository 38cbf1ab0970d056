// vdrive: reads the state of a running Vantrel from outside, for the end-to-end tests.
// Windows console program; each command prints its answer on stdout and exits 0 on success.
//
//   vdrive wait-main MS            wait until the main window is visible; prints its title
//   vdrive msgbox MS               wait for a message box of the program; prints its text
//   vdrive rows                    prints the list's rows, cells separated by tabs
//   vdrive wait-row NAME MS        wait until a row's first column equals NAME
//   vdrive wait-gone NAME MS       wait until no row's first column equals NAME
//   vdrive select NAME             selects the first row named NAME (and only it)
//   vdrive status N                prints the text of status pane N
//   vdrive widths                  prints the five column widths
//   vdrive bars                    prints "toolbar=0|1 statusbar=0|1"
//   vdrive menu ID                 prints "enabled" or "disabled" for a main-menu command
//   vdrive toolbar ID              prints "enabled" or "disabled" for a toolbar button
//   vdrive dialog TITLE MS         wait for a dialog of the program titled TITLE; prints its
//                                  window handle in hex
//   vdrive listbox HWND ID         prints the entries of a dialog's list box, one per line
//   vdrive start-victim EXE ARG [locked]
//                                  starts a victim program (tests/helpers) and waits until it is
//                                  ready; prints its process id. ARG: extra threads, then
//                                  " noterminate" for one nobody may terminate (console; only
//                                  the prefix's wineserver -k ends it), or
//                                  honour|ignore|hide (window). The victim runs until killed.
//                                  "locked": the process grants nobody any access.
//   vdrive kill PID                ends a process the test started
//   vdrive lbselect HWND ID TEXT   selects an entry of a dialog's list box as a click would
//   vdrive click HWND ID           clicks a dialog's button
//   vdrive running PID             exit 0 when the process runs, 1 when it does not
//   vdrive close                   posts WM_CLOSE to the main window
//   vdrive close-box MS            waits for a message box of the program and posts WM_CLOSE to
//                                  it alone (the close request taskkill sends each window)
//   vdrive wait-exit MS            wait until no main window exists
//   vdrive command ID              posts a command to the main window, as a key or menu would
//   vdrive answer MS [yes|no]      waits for a message box of the program and presses its OK
//                                  button (or Yes or No); prints its text
//   vdrive cancel TITLE MS         waits for a dialog of the program titled TITLE and cancels it
//   vdrive wait-rows MS            wait until the list has at least one row
//   vdrive lengths                 prints the lengths of each row's name and path
//   vdrive select-index N          selects row N (and only it)
//   vdrive wait-start MS           wait until the first-run warning is up or the list has rows;
//                                  prints "warning" or "rows"
//   vdrive header-point N          prints the screen point (x y) in the middle of column N's
//                                  header, for a real click
//   vdrive ask-rows                asks the list for its row count (waiting 10 s at most);
//                                  prints the milliseconds the answer took and the count
//   vdrive run MS LINE [detached]  starts LINE exactly as written (CreateProcessW with no
//                                  application name, so an unquoted path stays unquoted) and
//                                  waits MS for its end; prints the exit code, or "running"
//                                  (exit 1) when it still runs. "detached": as a shortcut
//                                  starts it, with no console to attach to and no output;
//                                  "limited": with the limited token of this session's user,
//                                  as Windows starts programs of an administrator (not
//                                  elevated)
#include "helpers/NoAccess.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
    const int cb = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0,
                                       nullptr, nullptr);
    std::string out(size_t(cb > 0 ? cb : 0), '\0');
    if (cb > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), &out[0], cb, nullptr,
                            nullptr);
    return out;
}
std::wstring Wide(const std::string& text) {
    const int cch = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(cch > 0 ? cch : 0), L'\0');
    if (cch > 0) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), int(text.size()), &out[0], cch);
    return out;
}

HWND FindMain() {
    return FindWindowA("VantrelFrame", "Vantrel");
}

DWORD ProcessOf(HWND hWnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    return pid;
}

template <class Pred> bool WaitFor(Pred pred, DWORD ms) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (pred()) return true;
        if (GetTickCount() - start > ms) return false;
        Sleep(20);
    }
}

// Memory in another process, for messages whose arguments point at buffers.
class RemoteBuffer {
  public:
    RemoteBuffer(HWND hWnd, size_t size) : m_size(size) {
        m_hProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                                 ProcessOf(hWnd));
        m_p = m_hProcess ? VirtualAllocEx(m_hProcess, nullptr, size, MEM_COMMIT, PAGE_READWRITE)
                         : nullptr;
    }
    ~RemoteBuffer() {
        if (m_p) VirtualFreeEx(m_hProcess, m_p, 0, MEM_RELEASE);
        if (m_hProcess) CloseHandle(m_hProcess);
    }
    bool Write(const void* data, size_t size, size_t offset = 0) {
        return m_p && WriteProcessMemory(m_hProcess, static_cast<char*>(m_p) + offset, data, size,
                                         nullptr);
    }
    bool Read(void* data, size_t size, size_t offset = 0) {
        return m_p &&
               ReadProcessMemory(m_hProcess, static_cast<char*>(m_p) + offset, data, size, nullptr);
    }
    char* Address(size_t offset = 0) const { return static_cast<char*>(m_p) + offset; }

  private:
    HANDLE m_hProcess = nullptr;
    void* m_p = nullptr;
    size_t m_size;
};

HWND ListOf(HWND hMain) {
    return FindWindowExA(hMain, nullptr, WC_LISTVIEWA, nullptr);
}
HWND StatusOf(HWND hMain) {
    return FindWindowExA(hMain, nullptr, STATUSCLASSNAMEA, nullptr);
}
HWND ToolbarOf(HWND hMain) {
    return FindWindowExA(hMain, nullptr, TOOLBARCLASSNAMEA, nullptr);
}

// A cell's text as UTF-16, as the control holds it, in UTF-8.
std::string CellText(HWND hList, int row, int col) {
    const size_t cchText = 2048;
    RemoteBuffer buf(hList, sizeof(LVITEMW) + cchText * sizeof(wchar_t));
    LVITEMW item = {};
    item.iSubItem = col;
    item.cchTextMax = int(cchText);
    item.pszText = reinterpret_cast<LPWSTR>(buf.Address(sizeof(LVITEMW)));
    buf.Write(&item, sizeof item);
    SendMessageW(hList, LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(buf.Address()));
    std::wstring text(cchText, L'\0');
    buf.Read(&text[0], cchText * sizeof(wchar_t), sizeof(LVITEMW));
    text.resize(wcsnlen(text.c_str(), cchText));
    return Utf8(text);
}

std::vector<std::vector<std::string>> Rows(HWND hMain) {
    std::vector<std::vector<std::string>> rows;
    HWND hList = ListOf(hMain);
    if (!hList) return rows;
    int n = int(SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int r = 0; r < n; ++r) {
        std::vector<std::string> cells;
        for (int c = 0; c < 5; ++c)
            cells.push_back(CellText(hList, r, c));
        rows.push_back(cells);
    }
    return rows;
}

int FindRow(HWND hMain, const std::string& name) {
    HWND hList = ListOf(hMain);
    if (!hList) return -1;
    int n = int(SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int r = 0; r < n; ++r)
        if (CellText(hList, r, 0) == name) return r;
    return -1;
}

struct DialogSearch {
    DWORD pid;
    std::string title;
    HWND found;
};

BOOL CALLBACK FindDialogProc(HWND hWnd, LPARAM lp) {
    DialogSearch* s = reinterpret_cast<DialogSearch*>(lp);
    char cls[64] = "", title[256] = "";
    GetClassNameA(hWnd, cls, sizeof cls);
    GetWindowTextA(hWnd, title, sizeof title);
    if (strcmp(cls, "#32770") == 0 && IsWindowVisible(hWnd) && s->title == title &&
        (s->pid == 0 || ProcessOf(hWnd) == s->pid)) {
        s->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindDialog(const std::string& title) {
    HWND hMain = FindMain();
    DialogSearch s = {hMain ? ProcessOf(hMain) : 0, title, nullptr};
    EnumWindows(FindDialogProc, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

BOOL CALLBACK CollectStaticText(HWND hWnd, LPARAM lp) {
    char cls[64] = "";
    GetClassNameA(hWnd, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0) {
        wchar_t text[1024] = L"";
        GetWindowTextW(hWnd, text, 1024);
        if (text[0]) *reinterpret_cast<std::string*>(lp) += Utf8(text);
    }
    return TRUE;
}

int Usage() {
    fprintf(stderr, "vdrive: unknown command\n");
    return 2;
}

} // namespace

int main() {
    // The arguments wide, so that a name in any script arrives as it was given (UTF-8 here).
    int argc = 0;
    LPWSTR* argvW = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> argv;
    for (int i = 0; i < argc; ++i)
        argv.push_back(Utf8(argvW[i]));
    LocalFree(argvW);
    if (argc < 2) return Usage();
    const std::string cmd = argv[1];
    auto arg = [&](int i) { return i < argc ? argv[size_t(i)] : std::string(); };
    auto ms = [&](int i) { return DWORD(strtoul(arg(i).c_str(), nullptr, 10)); };

    if (cmd == "wait-main") {
        HWND h = nullptr;
        if (!WaitFor([&] { return (h = FindMain()) && IsWindowVisible(h); }, ms(2))) return 1;
        char title[256];
        GetWindowTextA(h, title, sizeof title);
        printf("%s\n", title);
        return 0;
    }
    if (cmd == "wait-exit") return WaitFor([] { return FindMain() == nullptr; }, ms(2)) ? 0 : 1;
    if (cmd == "msgbox") {
        HWND h = nullptr;
        if (!WaitFor([&] { return (h = FindDialog("Vantrel")) != nullptr; }, ms(2))) return 1;
        std::string text;
        EnumChildWindows(h, CollectStaticText, reinterpret_cast<LPARAM>(&text));
        printf("%s\n", text.c_str());
        return 0;
    }
    if (cmd == "close-box") {
        HWND h = nullptr;
        if (!WaitFor([&] { return (h = FindDialog("Vantrel")) != nullptr; }, ms(2))) return 1;
        return PostMessageA(h, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (cmd == "answer" || cmd == "cancel") {
        const std::string title = cmd == "answer" ? "Vantrel" : arg(2);
        HWND h = nullptr;
        if (!WaitFor([&] { return (h = FindDialog(title)) != nullptr; },
                     ms(cmd == "answer" ? 2 : 3)))
            return 1;
        std::string text;
        EnumChildWindows(h, CollectStaticText, reinterpret_cast<LPARAM>(&text));
        printf("%s\n", text.c_str());
        // answer MS [yes|no]: OK, or the named button of a question.
        const int id = cmd == "cancel"   ? IDCANCEL
                       : arg(3) == "yes" ? IDYES
                       : arg(3) == "no"  ? IDNO
                                         : IDOK;
        PostMessageA(h, WM_COMMAND, WPARAM(id), 0);
        return WaitFor([&] { return !IsWindow(h); }, 10000) ? 0 : 1;
    }
    if (cmd == "wait-start") {
        const char* what = nullptr;
        if (!WaitFor(
                [&] {
                    HWND hMain = FindMain();
                    HWND hList = hMain ? ListOf(hMain) : nullptr;
                    if (FindDialog("Vantrel"))
                        what = "warning";
                    else if (hList && SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0) > 0)
                        what = "rows";
                    return what != nullptr;
                },
                ms(2)))
            return 1;
        printf("%s\n", what);
        return 0;
    }
    if (cmd == "dialog") {
        HWND h = nullptr;
        if (!WaitFor([&] { return (h = FindDialog(arg(2))) != nullptr; }, ms(3))) return 1;
        printf("%llx\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(h)));
        return 0;
    }
    if (cmd == "listbox") {
        HWND hDlg = reinterpret_cast<HWND>(UINT_PTR(strtoull(arg(2).c_str(), nullptr, 16)));
        HWND hList = GetDlgItem(hDlg, atoi(arg(3).c_str()));
        if (!hList) return 1;
        int n = int(SendMessageA(hList, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            wchar_t wide[512] = L"";
            SendMessageW(hList, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(wide));
            printf("%s\n", Utf8(wide).c_str());
        }
        return 0;
    }

    if (cmd == "start-victim") {
        char event[64];
        snprintf(event, sizeof event, "vdrive_ready_%lu_%lu", GetCurrentProcessId(),
                 GetTickCount());
        HANDLE hReady = CreateEventA(nullptr, TRUE, FALSE, event);
        HANDLE hClose = CreateEventA(nullptr, TRUE, FALSE, (std::string(event) + "_close").c_str());
        // Parent id 0: the victim does not end with vdrive.
        std::wstring line = Wide("\"" + arg(2) + "\" " + event + " 0 " + arg(3));
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        NoAccess locked;
        if (!CreateProcessW(nullptr, &line[0], arg(4) == "locked" ? &locked.sa : nullptr, nullptr,
                            FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
            return 1;
        HANDLE waits[2] = {hReady, pi.hProcess};
        bool ready = WaitForMultipleObjects(2, waits, FALSE, 10000) == WAIT_OBJECT_0;
        printf("%lu\n", pi.dwProcessId);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        (void)hClose;
        return ready ? 0 : 1;
    }
    if (cmd == "run") {
        // The line is taken from the wide command line, so that letters outside the code page
        // reach the program as they were given.
        std::wstring line = Wide(arg(3));
        if (line.empty()) return Usage();
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        if (arg(4) == "detached") {
            FreeConsole();
            si.dwFlags = STARTF_USESTDHANDLES; // and every one of them null
        }
        HANDLE hToken = nullptr;
        if (arg(4) == "limited") {
            // The elevated token's linked token is the same user's limited one.
            HANDLE hOwn = nullptr;
            DWORD cb = 0;
            if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hOwn) ||
                !GetTokenInformation(hOwn, TOKEN_INFORMATION_CLASS(19 /* TokenLinkedToken */),
                                     &hToken, sizeof hToken, &cb))
                return 2;
            CloseHandle(hOwn);
        }
        PROCESS_INFORMATION pi = {};
        const BOOL started = hToken
                                 ? CreateProcessAsUserW(hToken, nullptr, &line[0], nullptr, nullptr,
                                                        FALSE, 0, nullptr, nullptr, &si, &pi)
                                 : CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0,
                                                  nullptr, nullptr, &si, &pi);
        if (hToken) CloseHandle(hToken);
        if (!started) return 2;
        CloseHandle(pi.hThread);
        const bool ended = WaitForSingleObject(pi.hProcess, ms(2)) == WAIT_OBJECT_0;
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        if (!ended) {
            printf("running\n");
            return 1;
        }
        printf("%lu\n", code);
        return 0;
    }
    if (cmd == "kill") {
        HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                               DWORD(strtoul(arg(2).c_str(), nullptr, 0)));
        if (!h) return 1;
        TerminateProcess(h, 1);
        WaitForSingleObject(h, 5000);
        CloseHandle(h);
        return 0;
    }
    if (cmd == "lbselect" || cmd == "click") {
        HWND hDlg = reinterpret_cast<HWND>(UINT_PTR(strtoull(arg(2).c_str(), nullptr, 16)));
        const int id = atoi(arg(3).c_str());
        HWND hCtrl = GetDlgItem(hDlg, id);
        if (!hCtrl) return 1;
        if (cmd == "click") return PostMessageA(hCtrl, BM_CLICK, 0, 0) ? 0 : 1;
        // List-box strings are carried across processes by the system.
        const std::wstring text = Wide(arg(4));
        LRESULT index = SendMessageW(hCtrl, LB_FINDSTRINGEXACT, WPARAM(-1),
                                     reinterpret_cast<LPARAM>(text.c_str()));
        if (index == LB_ERR) return 1;
        SendMessageA(hCtrl, LB_SETCURSEL, WPARAM(index), 0);
        SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(hCtrl));
        return 0;
    }
    HWND hMain = FindMain();
    if (cmd == "running") {
        HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, DWORD(strtoul(arg(2).c_str(), nullptr, 0)));
        bool alive = h && WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
        if (h) CloseHandle(h);
        return alive ? 0 : 1;
    }
    if (!hMain) {
        fprintf(stderr, "vdrive: no Vantrel window\n");
        return 1;
    }
    if (cmd == "rows") {
        for (const auto& row : Rows(hMain)) {
            for (size_t c = 0; c < row.size(); ++c)
                printf("%s%s", c ? "\t" : "", row[c].c_str());
            printf("\n");
        }
        return 0;
    }
    if (cmd == "wait-row")
        return WaitFor([&] { return FindRow(hMain, arg(2)) >= 0; }, ms(3)) ? 0 : 1;
    if (cmd == "wait-gone")
        return WaitFor([&] { return FindRow(hMain, arg(2)) < 0; }, ms(3)) ? 0 : 1;
    if (cmd == "lengths") {
        HWND hList = ListOf(hMain);
        int n = int(SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
        for (int r = 0; r < n; ++r)
            printf("%u %u\n", unsigned(Wide(CellText(hList, r, 0)).size()),
                   unsigned(Wide(CellText(hList, r, 4)).size()));
        return 0;
    }
    if (cmd == "select" || cmd == "select-index") {
        int row = cmd == "select" ? FindRow(hMain, arg(2)) : atoi(arg(2).c_str());
        if (row < 0) return 1;
        HWND hList = ListOf(hMain);
        RemoteBuffer buf(hList, sizeof(LVITEMA));
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = 0;
        buf.Write(&item, sizeof item);
        SendMessageA(hList, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(buf.Address()));
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        buf.Write(&item, sizeof item);
        SendMessageA(hList, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(buf.Address()));
        return 0;
    }
    if (cmd == "status") {
        HWND hStatus = StatusOf(hMain);
        int pane = atoi(arg(2).c_str());
        const size_t len = LOWORD(SendMessageW(hStatus, SB_GETTEXTLENGTHW, WPARAM(pane), 0));
        RemoteBuffer buf(hStatus, (len + 1) * sizeof(wchar_t));
        SendMessageW(hStatus, SB_GETTEXTW, WPARAM(pane), reinterpret_cast<LPARAM>(buf.Address()));
        std::wstring text(len + 1, L'\0');
        buf.Read(&text[0], (len + 1) * sizeof(wchar_t));
        text.resize(wcsnlen(text.c_str(), len + 1));
        printf("[%s]\n", Utf8(text).c_str());
        return 0;
    }
    if (cmd == "widths") {
        HWND hList = ListOf(hMain);
        for (int c = 0; c < 5; ++c)
            printf("%s%d", c ? " " : "",
                   int(SendMessageA(hList, LVM_GETCOLUMNWIDTH, WPARAM(c), 0)));
        printf("\n");
        return 0;
    }
    if (cmd == "header-point") {
        HWND hList = ListOf(hMain);
        HWND hHeader = reinterpret_cast<HWND>(SendMessageA(hList, LVM_GETHEADER, 0, 0));
        RECT rc;
        if (!hHeader || !GetWindowRect(hHeader, &rc)) return 1;
        const int n = atoi(arg(2).c_str());
        int x = rc.left;
        for (int c = 0; c < n; ++c)
            x += int(SendMessageA(hList, LVM_GETCOLUMNWIDTH, WPARAM(c), 0));
        x += int(SendMessageA(hList, LVM_GETCOLUMNWIDTH, WPARAM(n), 0)) / 2;
        printf("%d %d\n", x, int((rc.top + rc.bottom) / 2));
        return 0;
    }
    if (cmd == "bars") {
        printf("toolbar=%d statusbar=%d\n", IsWindowVisible(ToolbarOf(hMain)) ? 1 : 0,
               IsWindowVisible(StatusOf(hMain)) ? 1 : 0);
        return 0;
    }
    if (cmd == "menu") {
        UINT state = GetMenuState(GetMenu(hMain), UINT(atoi(arg(2).c_str())), MF_BYCOMMAND);
        printf("%s%s\n", state & (MF_GRAYED | MF_DISABLED) ? "disabled" : "enabled",
               state & MF_CHECKED ? " checked" : "");
        return state == UINT(-1) ? 1 : 0;
    }
    if (cmd == "toolbar") {
        LRESULT on =
            SendMessageA(ToolbarOf(hMain), TB_ISBUTTONENABLED, WPARAM(atoi(arg(2).c_str())), 0);
        printf("%s\n", on ? "enabled" : "disabled");
        return 0;
    }
    if (cmd == "close") return PostMessageA(hMain, WM_CLOSE, 0, 0) ? 0 : 1;
    if (cmd == "command")
        return PostMessageA(hMain, WM_COMMAND, WPARAM(atoi(arg(2).c_str())), 0) ? 0 : 1;
    if (cmd == "ask-rows") {
        DWORD_PTR nRows = 0;
        const DWORD t0 = GetTickCount();
        const bool answered = SendMessageTimeoutA(ListOf(hMain), LVM_GETITEMCOUNT, 0, 0,
                                                  SMTO_NORMAL, 10000, &nRows) != 0;
        printf("%lu %lu\n", static_cast<unsigned long>(GetTickCount() - t0),
               static_cast<unsigned long>(nRows));
        return answered ? 0 : 1;
    }
    if (cmd == "wait-rows")
        return WaitFor([&] { return SendMessageA(ListOf(hMain), LVM_GETITEMCOUNT, 0, 0) > 0; },
                       ms(2))
                   ? 0
                   : 1;
    return Usage();
}
