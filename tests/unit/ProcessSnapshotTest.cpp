// The NT path against processes the tests start, with the real VN.DLL, and the binding of the
// library with stand-ins that lack an entry point or cannot be found.
#include "procs/ProcessText.h"
#include "unit/FakeToolHelp.h"
#include "unit/SnapshotRecorder.h"
#include "unit/Victim.h"

#include <gtest/gtest.h>
#include <cstddef>
#include <cstring>

namespace {

// The base priority the system itself reports for a process.
LONG SystemBasePriority(HANDLE hProcess) {
    struct {
        LONG ExitStatus;
        PVOID PebBaseAddress;
        ULONG_PTR AffinityMask;
        LONG BasePriority;
        ULONG_PTR UniqueProcessId;
        ULONG_PTR InheritedFromUniqueProcessId;
    } info = {};
    typedef LONG(WINAPI * PFN_QUERY)(HANDLE, int, PVOID, ULONG, PULONG);
    PFN_QUERY pfn = reinterpret_cast<PFN_QUERY>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    EXPECT_EQ(0, pfn(hProcess, 0, &info, sizeof info, nullptr));
    return info.BasePriority;
}

// The number of threads a thread snapshot finds in the process.
DWORD ThreadCount(DWORD dwPID) {
    HANDLE h = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    DWORD n = 0;
    for (BOOL b = Thread32First(h, &entry); b; b = Thread32Next(h, &entry))
        n += entry.th32OwnerProcessID == dwPID;
    CloseHandle(h);
    return n;
}

bool SamePath(const std::string& a, const std::string& b) {
    return UpperCase(a) == UpperCase(b);
}

std::vector<ProcessRecord> RowsOf(const SnapshotRecorder& view, const Victim& victim) {
    std::vector<ProcessRecord> rows;
    for (const ProcessRecord& row : view.rows)
        if (UpperCase(row.name) == UpperCase(victim.ExeName())) rows.push_back(row);
    return rows;
}

bool SameRecord(const ProcessRecord& a, const ProcessRecord& b) {
    return a.dwPID == b.dwPID && a.name == b.name && a.path == b.path &&
           a.dwPriorityClass == b.dwPriorityClass && a.lBasePriority == b.lBasePriority &&
           a.dwThreads == b.dwThreads && a.bOpened == b.bOpened;
}

std::string Helper(const char* pszFile) {
    return TestProgramDir() + pszFile;
}

TEST(ProcInfoTest, RecordLayoutIsTheLibrarysBinaryContract) {
    EXPECT_EQ(720u, sizeof(VN_PROCINFO));
    EXPECT_EQ(0u, offsetof(VN_PROCINFO, szName));
    EXPECT_EQ(352u, offsetof(VN_PROCINFO, dwPID));
    EXPECT_EQ(356u, offsetof(VN_PROCINFO, dwPriorityClass));
    EXPECT_EQ(360u, offsetof(VN_PROCINFO, lBasePriority));
    EXPECT_EQ(364u, offsetof(VN_PROCINFO, dwThreadCount));
    EXPECT_EQ(368u, offsetof(VN_PROCINFO, szFullPath));
    EXPECT_STREQ("Failed to load VN.DLL", kLoadFailureText);
}

TEST(SnapshotNTTest, AVictimGetsOneRecordWithWhatTheSystemReports) {
    Victim idle, windowed;
    ASSERT_TRUE(idle.StartConsole(3));
    ASSERT_TRUE(windowed.StartWindow(true));
    // Lowering works everywhere; raising may be refused (Wine refuses HIGH).
    bool bLowered = SetPriorityClass(idle.Process(), IDLE_PRIORITY_CLASS) != 0;

    SnapshotRecorder view;
    ASSERT_EQ(1, view.m_bNT);
    EXPECT_EQ(1, view.RefreshList());
    EXPECT_EQ(0, view.nLoadFailures + view.nCloseRequests);

    for (const Victim* victim : {&idle, &windowed}) {
        std::vector<ProcessRecord> rows = RowsOf(view, *victim);
        ASSERT_EQ(1u, rows.size()) << victim->ExeName();
        const ProcessRecord& row = rows[0];
        EXPECT_EQ(victim->Pid(), row.dwPID);
        EXPECT_TRUE(row.bOpened);
        EXPECT_EQ(ThreadCount(victim->Pid()), row.dwThreads);
        EXPECT_EQ(GetPriorityClass(victim->Process()), row.dwPriorityClass);
        EXPECT_EQ(SystemBasePriority(victim->Process()), row.lBasePriority);
        EXPECT_TRUE(SamePath(victim->ExePath(), row.path)) << row.path;
    }
    EXPECT_GE(RowsOf(view, idle)[0].dwThreads, 4u);
    if (bLowered) {
        EXPECT_EQ(DWORD(IDLE_PRIORITY_CLASS), RowsOf(view, idle)[0].dwPriorityClass);
        EXPECT_NE(RowsOf(view, windowed)[0].lBasePriority, RowsOf(view, idle)[0].lBasePriority);
    }
    EXPECT_TRUE(view.Lists(GetCurrentProcessId()));
}

TEST(SnapshotNTTest, RefreshesRepeatTheRecordsAndDropAnEndedVictim) {
    Victim stays, goes;
    ASSERT_TRUE(stays.StartConsole(2));
    ASSERT_TRUE(goes.StartWindow(true));
    SnapshotRecorder view;
    ASSERT_EQ(1, view.RefreshList());
    ASSERT_EQ(1u, RowsOf(view, stays).size());
    ASSERT_EQ(1u, RowsOf(view, goes).size());
    const ProcessRecord stayed = RowsOf(view, stays)[0];
    const ProcessRecord went = RowsOf(view, goes)[0];

    // The list is rebuilt, not added to: the same records, once each.
    ASSERT_EQ(1, view.RefreshList());
    EXPECT_EQ(2, view.nDeleteAll);
    ASSERT_EQ(1u, RowsOf(view, stays).size());
    ASSERT_EQ(1u, RowsOf(view, goes).size());
    EXPECT_TRUE(SameRecord(stayed, RowsOf(view, stays)[0]));
    EXPECT_TRUE(SameRecord(went, RowsOf(view, goes)[0]));

    goes.Kill();
    ASSERT_EQ(1, view.RefreshList());
    EXPECT_TRUE(RowsOf(view, goes).empty());
    EXPECT_FALSE(view.Lists(went.dwPID));
    ASSERT_EQ(1u, RowsOf(view, stays).size());
    EXPECT_TRUE(SameRecord(stayed, RowsOf(view, stays)[0]));
}

TEST(SnapshotNTTest, EachRefreshBindsAndStartsTheLibraryOnceAndEndsItsTexts) {
    SnapshotRecorder view(nullptr, Helper("fake_vn.dll"));
    ASSERT_EQ(1, view.RefreshList());
    size_t nFirst = view.rows.size();
    ASSERT_EQ(1, view.RefreshList());
    EXPECT_EQ(2, view.FakeCalls("VN_QXT"));
    EXPECT_EQ(int(nFirst + view.rows.size()), view.FakeCalls("VN_GETPIW"));
    EXPECT_EQ(0,
              view.FakeCalls("VN_GETPI") + view.FakeCalls("VN_KILL") + view.FakeCalls("VN_HWND"));
    // The stand-in fills the path to the last character; the snapshot ends it itself. The
    // name is Tool Help's, never the library's.
    ASSERT_FALSE(view.rows.empty());
    for (const ProcessRecord& row : view.rows) {
        EXPECT_EQ(std::string(VN_PATH_CCH, 'P'), row.path);
        EXPECT_EQ(std::string::npos, row.name.find('N'));
        EXPECT_EQ(DWORD(IDLE_PRIORITY_CLASS), row.dwPriorityClass);
    }
}

TEST(SnapshotNTTest, TheRecordStartsFromTheProcessEntryAndKeepsWhatTheLibraryCannotLearn) {
    FakeToolHelp fake;
    fake.dwPlatformId = VER_PLATFORM_WIN32_NT;
    // A process id that no process has: the library learns nothing about it.
    fake.processes.push_back({0x7FFFFFF0, 0, 2, 4, "GHOST.EXE", NORMAL_PRIORITY_CLASS, true});
    SnapshotRecorder view(&fake);
    ASSERT_EQ(1, view.RefreshList());
    ASSERT_EQ(1u, view.rows.size());
    ProcessRecord expected;
    expected.name = "GHOST.EXE";
    expected.dwPID = 0x7FFFFFF0;
    expected.dwThreads = 4;
    expected.lBasePriority = 2; // Tool Help's, as the library could not open it
    EXPECT_TRUE(SameRecord(expected, view.rows[0]));
    EXPECT_EQ(0u, fake.OpenHandles());
    EXPECT_EQ(0, fake.nWrongSizes);

    fake.bProcessSnapshotFails = true;
    EXPECT_EQ(0, view.RefreshList());
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(0, view.nLoadFailures + view.nCloseRequests);
}

TEST(BindingTest, AMissingLibraryIsReportedOnceAndClosesTheProgram) {
    SnapshotRecorder view(nullptr, Helper("VN_NOT_THERE.DLL"));
    view.rows.resize(1);
    EXPECT_EQ(0, view.RefreshList());
    EXPECT_EQ(1, view.nLoadFailures);
    EXPECT_EQ(1, view.nCloseRequests);
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(nullptr, view.LibraryHandle());
    EXPECT_FALSE(view.IsBound());
}

TEST(BindingTest, AMissingEntryPointClosesWithoutMessageAndBindsNothing) {
    const struct {
        const char* pszFile;
        int nQxtCalls;
    } cases[] = {{"fake_vn_noqxt.dll", 0},    {"fake_vn_nogetpi.dll", 1},
                 {"fake_vn_nogetpiw.dll", 1}, {"fake_vn_nokill.dll", 1},
                 {"fake_vn_nokillex.dll", 1}, {"fake_vn_nohwnd.dll", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pszFile);
        SnapshotRecorder view(nullptr, Helper(c.pszFile));
        EXPECT_EQ(0, view.RefreshList());
        EXPECT_EQ(0, view.nLoadFailures);
        EXPECT_EQ(1, view.nCloseRequests);
        EXPECT_TRUE(view.rows.empty());
        EXPECT_FALSE(view.IsBound());
        // The library stays loaded until the close; nothing but the start-up entry ran.
        ASSERT_NE(nullptr, view.LibraryHandle());
        EXPECT_EQ(c.nQxtCalls, view.FakeCalls("VN_QXT"));
        EXPECT_EQ(0, view.FakeCalls("VN_GETPI") + view.FakeCalls("VN_GETPIW") +
                         view.FakeCalls("VN_KILL") + view.FakeCalls("VN_KILLEX") +
                         view.FakeCalls("VN_HWND"));
    }
}

TEST(BindingTest, ReleaseUnloadsTheLibraryHoweverOftenItWasBound) {
    {
        SnapshotRecorder view;
        for (int i = 0; i < 3; ++i)
            ASSERT_EQ(CProcessCore::Bound, view.BindLibrary());
        EXPECT_TRUE(view.IsBound());
        EXPECT_EQ(view.LibraryHandle(), GetModuleHandleA("VN.DLL"));
        view.ReleaseLibrary();
        EXPECT_EQ(nullptr, view.LibraryHandle());
        EXPECT_FALSE(view.IsBound());
        view.ReleaseLibrary(); // a second release does nothing
    }
    EXPECT_EQ(nullptr, GetModuleHandleA("VN.DLL"));
}

typedef BOOL(WINAPI* PFN_SET_DLL_DIRECTORY)(LPCSTR);
typedef DWORD(WINAPI* PFN_GET_DLL_DIRECTORY)(DWORD, LPSTR);

template <typename T> T Kernel32(const char* pszName) {
    return reinterpret_cast<T>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), pszName)));
}

TEST(BindingTest, TheBindingMakesTheProgramsFolderTheDllDirectory) {
    PFN_SET_DLL_DIRECTORY pfnSet = Kernel32<PFN_SET_DLL_DIRECTORY>("SetDllDirectoryA");
    PFN_GET_DLL_DIRECTORY pfnGet = Kernel32<PFN_GET_DLL_DIRECTORY>("GetDllDirectoryA");
    if (!pfnSet || !pfnGet) GTEST_SKIP() << "no DLL directory on this system";
    char szWindows[MAX_PATH];
    GetWindowsDirectoryA(szWindows, MAX_PATH);
    ASSERT_TRUE(pfnSet(szWindows));
    SnapshotRecorder view;
    ASSERT_EQ(CProcessCore::Bound, view.BindLibrary());
    char szDir[MAX_PATH] = "x";
    EXPECT_NE(0u, pfnGet(MAX_PATH, szDir));
    EXPECT_EQ(0, lstrcmpiA(TestProgramDir().c_str(), szDir)) << szDir;
    pfnSet(nullptr);
}

// A library of the wanted name in the current directory, none beside the program.
TEST(BindingTest, ALibraryPlantedInTheCurrentDirectoryIsNotLoaded) {
    PFN_SET_DLL_DIRECTORY pfnSet = Kernel32<PFN_SET_DLL_DIRECTORY>("SetDllDirectoryA");
    if (!pfnSet) GTEST_SKIP() << "no DLL directory on this system";
    char szTemp[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    std::string dir = std::string(szTemp) + "VantrelPlant" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string planted = dir + "\\VNPLANT.DLL";
    ASSERT_TRUE(CopyFileA(Helper("fake_vn.dll").c_str(), planted.c_str(), FALSE));
    char szOld[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, szOld);
    ASSERT_TRUE(SetCurrentDirectoryA(dir.c_str()));

    // The usual search order finds it there. An empty DLL directory would not keep it out on
    // every system (Wine 8 still searches the current directory then); the binding must.
    auto Loads = [](const char* pszName) {
        HMODULE h = LoadLibraryA(pszName);
        if (h) FreeLibrary(h);
        return h != nullptr;
    };
    pfnSet(nullptr);
    bool bUsualOrderFindsIt = Loads("VNPLANT.DLL");

    int nLoadFailures = 0;
    HMODULE hBound = nullptr;
    {
        SnapshotRecorder view(nullptr, "VNPLANT.DLL");
        view.RefreshList();
        nLoadFailures = view.nLoadFailures;
        hBound = view.LibraryHandle();
    }
    pfnSet(nullptr);
    SetCurrentDirectoryA(szOld);
    DeleteFileA(planted.c_str());
    RemoveDirectoryA(dir.c_str());

    ASSERT_TRUE(bUsualOrderFindsIt);
    EXPECT_EQ(nullptr, hBound);
    EXPECT_EQ(1, nLoadFailures);
}

} // namespace
