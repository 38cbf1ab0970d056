// The long runs (ctest label "long"): ten thousand random INI files, two hundred processes
// while the favourites are killed, and a thousand refreshes that must not leak.
#include "favorites/Favorites.h"
#include "res/resource.h"
#include "unit/IniModel.h"
#include "unit/ResourceCount.h"
#include "unit/Victim.h"
#include "unit/ViewHost.h"
#include "settings/SettingNames.h"

#include <cstdio>
#include <map>
#include <vector>

namespace {

TEST(LongIniPropertyTest, TenThousandRandomFilesImportExactlyAsTheRulesSay) {
    const int n = inimodel::CountFromEnvironment("VANTREL_INI_FILES", 10000);
    EXPECT_EQ("", inimodel::RunRounds(n, 1));
}

// Many processes of a few programs: each program is a copy of the console victim under a
// name of its own, started several times from the same file.
class Crowd {
  public:
    ~Crowd() {
        for (HANDLE h : m_processes) {
            TerminateProcess(h, 0xDEAD);
            WaitForSingleObject(h, 20000);
            CloseHandle(h);
        }
        for (const std::string& path : m_paths)
            DeleteFileA(path.c_str());
    }
    // Starts nCopies processes of a new program; returns its file name, or "" on failure, with
    // Why() saying what failed.
    std::string Start(int nCopies) {
        char dir[MAX_PATH];
        GetTempPathA(MAX_PATH, dir);
        char name[64];
        snprintf(name, sizeof name, "crowd_%lu_%u.exe", GetCurrentProcessId(), unsigned(++m_n));
        const std::string path = std::string(dir) + name;
        if (!CopyFileA((TestProgramDir() + "victim_console.exe").c_str(), path.c_str(), FALSE))
            return Failed("CopyFile", GetLastError());
        m_paths.push_back(path);
        for (int i = 0; i < nCopies; ++i) {
            char event[64];
            snprintf(event, sizeof event, "VantrelCrowd_%lu_%u_%d", GetCurrentProcessId(),
                     unsigned(m_n), i);
            HANDLE hReady = CreateEventA(nullptr, TRUE, FALSE, event);
            std::string cmd =
                "\"" + path + "\" " + event + " " + std::to_string(GetCurrentProcessId()) + " 0";
            STARTUPINFOA si = {};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi = {};
            if (!CreateProcessA(path.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                &si, &pi)) {
                CloseHandle(hReady);
                return Failed("CreateProcess", GetLastError());
            }
            CloseHandle(pi.hThread);
            m_processes.push_back(pi.hProcess);
            m_pids[pi.dwProcessId] = name;
            HANDLE waits[] = {hReady, pi.hProcess};
            const DWORD waited = WaitForMultipleObjects(2, waits, FALSE, 30000);
            CloseHandle(hReady);
            if (waited == WAIT_TIMEOUT) return Failed("not ready in 30 s, copy ", DWORD(i));
            if (waited != WAIT_OBJECT_0) {
                DWORD exitCode = 0;
                GetExitCodeProcess(pi.hProcess, &exitCode);
                return Failed("ended before it was ready, exit code ", exitCode);
            }
        }
        return name;
    }
    // How many processes of a program still run.
    int Running(const std::string& name) const {
        int n = 0;
        for (HANDLE h : m_processes) {
            const auto it = m_pids.find(GetProcessId(h));
            if (it != m_pids.end() && it->second == name &&
                WaitForSingleObject(h, 0) == WAIT_TIMEOUT)
                ++n;
        }
        return n;
    }

    const std::string& Why() const { return m_why; }

  private:
    std::string Failed(const char* what, DWORD n) {
        m_why = what + std::to_string(n);
        return "";
    }
    std::string m_why;
    std::vector<HANDLE> m_processes;
    std::map<DWORD, std::string> m_pids;
    std::vector<std::string> m_paths;
    unsigned m_n = 0;
};

// A real main window with its process list, as the program has them.
class LongAppTest : public MainWindowTest {
  protected:
    void TearDown() override {
        if (view) view->ReleaseLibrary();
        MainWindowTest::TearDown();
    }
};

TEST_F(LongAppTest, TwoHundredProcessesWhileTheFavouritesAreKilled) {
    // Twenty programs of ten processes each; the first ten programs are favourites.
    Crowd crowd;
    std::vector<std::string> names;
    for (int i = 0; i < 20; ++i) {
        names.push_back(crowd.Start(10));
        ASSERT_FALSE(names.back().empty()) << "program " << i << " did not start: " << crowd.Why();
    }
    std::vector<std::string> favourites(names.begin(), names.begin() + 10);
    SaveFavorites(theApp.m_settings, favourites);
    SaveKillMode(theApp.m_settings, 0);

    // Processes of one name and path share a row, but the pass ends every process of each
    // favourite program, and nothing else; a second pass finds nothing more to end.
    for (int round = 1; round <= 2; ++round) {
        const DWORD start = GetTickCount();
        EXPECT_EQ(1, view->KillFavorites());
        EXPECT_TRUE(WaitForKillPass(view, 120000));
        EXPECT_LT(GetTickCount() - start, 120000u);
        for (int i = 0; i < 20; ++i)
            EXPECT_EQ(i < 10 ? 0 : 10, crowd.Running(names[i]))
                << "round " << round << ", " << names[i];
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(-1, ItemOf(view, names[i])) << "the killed row is removed";
        for (int i = 10; i < 20; ++i)
            EXPECT_NE(-1, ItemOf(view, names[i]));
    }
    EXPECT_TRUE(s_messages.empty());
}

TEST_F(LongAppTest, AThousandRefreshesKeepHandleGdiAndUserCountsSteady) {
    theApp.m_settings.SetString(kSectionFavorites, FavoriteValueName(0).c_str(),
                                "not_running_anywhere.exe");
    auto Round = [&](int i) {
        view->RefreshList();
        if (i % 10 == 0) { // the status bar's texts, and a pass's thread, too
            view->KillFavorites();
            WaitForKillPass(view);
        }
        PumpMessages();
    };
    for (int i = 0; i < 20; ++i)
        Round(i);
    const long handles = HandleCount(GetCurrentProcessId());
    const long gdi = GdiObjectCount();
    const long user = UserObjectCount();
    ASSERT_GT(view->GetListCtrl().GetItemCount(), 0);
    for (int i = 0; i < 1000; ++i)
        Round(i);
    printf("handles %ld -> %ld; GDI objects (%s) %ld -> %ld; USER objects (%s) %ld -> %ld\n",
           handles, HandleCount(GetCurrentProcessId()), GdiCountSource(), gdi, GdiObjectCount(),
           UserCountSource(), user, UserObjectCount());
    // A leak of one object per refresh would show as a thousand; a few may come and go with
    // the system's own caches.
    const long kSlack = 8;
    ASSERT_GE(handles, 0) << "the handle table cannot be read";
    EXPECT_LE(HandleCount(GetCurrentProcessId()), handles + kSlack);
    if (gdi >= 0) {
        EXPECT_LE(GdiObjectCount(), gdi + kSlack);
    }
    EXPECT_LE(UserObjectCount(), user + kSlack);
    EXPECT_TRUE(s_messages.empty());
}

} // namespace
