// The Windows 95/98/Me path and the platform test, against a made-up Tool Help.
#include "procs/KillPass.h"
#include "unit/FakeToolHelp.h"
#include "unit/SnapshotRecorder.h"

#include <gtest/gtest.h>
#include <cstddef>
#include <cstring>

namespace {

const char kNoLibrary[] = "C:\\nowhere\\VN_NEVER_LOADED.DLL";

class Snapshot9xTest : public ::testing::Test {
  protected:
    void AddProcess(DWORD dwPID, DWORD dwModuleID, LONG lBase, DWORD dwThreads,
                    DWORD dwClass = NORMAL_PRIORITY_CLASS, bool bOpenable = true) {
        fake.processes.push_back({dwPID, dwModuleID, lBase, dwThreads,
                                  "EXE" + std::to_string(dwPID) + ".EXE", dwClass, bOpenable});
    }
    void AddModule(DWORD dwPID, DWORD dwModuleID, const std::string& strModule) {
        fake.modules.push_back({dwPID, dwModuleID, strModule, "C:\\WINDOWS\\" + strModule});
    }
    // Nothing the snapshot opened is left open, and nothing was closed that it did not open.
    void ExpectTidy() {
        EXPECT_EQ(0u, fake.OpenHandles());
        EXPECT_EQ(0, fake.nBadCloses);
        EXPECT_EQ(0, fake.nWrongSizes);
    }
    FakeToolHelp fake;
};

TEST_F(Snapshot9xTest, PlatformFamilyIsFixedFromTheVersionInformation) {
    SnapshotRecorder on98(&fake);
    EXPECT_EQ(0, on98.m_bNT);
    EXPECT_EQ(148u, fake.dwVersionSize);
    EXPECT_TRUE(fake.bVersionCleared);

    fake.dwPlatformId = VER_PLATFORM_WIN32_NT;
    EXPECT_EQ(1, SnapshotRecorder(&fake).m_bNT);
    fake.dwPlatformId = 3; // any other family counts as NT
    EXPECT_EQ(1, SnapshotRecorder(&fake).m_bNT);
    fake.bVersionFails = true; // the id stays 0
    EXPECT_EQ(1, SnapshotRecorder(&fake).m_bNT);
}

TEST_F(Snapshot9xTest, ARefreshListsEachProcessFromItsOwnModule) {
    AddProcess(0x10, 7, 8, 3, HIGH_PRIORITY_CLASS);
    AddModule(0x10, 6, "OTHER.DLL");
    AddModule(0x10, 7, "EXPLORER");
    AddProcess(0x24, 9, 4, 1, IDLE_PRIORITY_CLASS);
    AddModule(0x24, 9, "SPOOL32");
    SnapshotRecorder view(&fake, kNoLibrary);
    view.rows.resize(3); // left from an earlier refresh

    EXPECT_EQ(1, view.RefreshList());
    EXPECT_EQ(1, view.nDeleteAll);
    ASSERT_EQ(2u, view.rows.size());
    const ProcessRecord& first = view.rows[0];
    // The name is the module's, not the process entry's file name.
    EXPECT_EQ("EXPLORER", first.name);
    EXPECT_EQ("C:\\WINDOWS\\EXPLORER", first.path);
    EXPECT_EQ(0x10u, first.dwPID);
    EXPECT_EQ(3u, first.dwThreads);
    EXPECT_EQ(8, first.lBasePriority);
    EXPECT_EQ(DWORD(HIGH_PRIORITY_CLASS), first.dwPriorityClass);
    EXPECT_EQ("SPOOL32", view.rows[1].name);
    EXPECT_EQ(DWORD(IDLE_PRIORITY_CLASS), view.rows[1].dwPriorityClass);

    // Each process is opened with the old full access, not inheritable; the library is never
    // involved on this family.
    ASSERT_EQ(2u, fake.openAccess.size());
    EXPECT_EQ(0x1F0FFFu, fake.openAccess[0]);
    EXPECT_EQ(FALSE, fake.openInherit[0]);
    EXPECT_EQ(0, view.nLoadFailures + view.nCloseRequests);
    EXPECT_EQ(nullptr, view.LibraryHandle());
    ExpectTidy();
}

TEST_F(Snapshot9xTest, AProcessWithoutItsOwnModuleGetsNoRecord) {
    AddProcess(0x10, 5, 8, 1);
    AddModule(0x10, 4, "NOTMINE.DLL"); // no module with id 5
    AddProcess(0x14, 5, 8, 1);         // no modules at all
    AddProcess(0x18, 5, 8, 1);
    AddModule(0x18, 5, "MODULE18");
    fake.moduleSnapshotFails.insert(0x18); // its module snapshot cannot be taken
    AddProcess(0x1C, 2, 8, 1);
    AddModule(0x1C, 2, "LISTED");
    SnapshotRecorder view(&fake);

    EXPECT_EQ(1, view.ListProcesses9x());
    ASSERT_EQ(1u, view.rows.size());
    EXPECT_EQ("LISTED", view.rows[0].name);
    EXPECT_EQ(1u, fake.openAccess.size()); // only the listed process was opened
    ExpectTidy();
}

TEST_F(Snapshot9xTest, AProcessThatCannotBeOpenedHasClassZeroAndKeepsItsBasePriority) {
    AddProcess(0x30, 1, 13, 2, HIGH_PRIORITY_CLASS, false);
    AddModule(0x30, 1, "LOCKED");
    SnapshotRecorder view(&fake);

    EXPECT_EQ(1, view.ListProcesses9x());
    ASSERT_EQ(1u, view.rows.size());
    EXPECT_EQ(0u, view.rows[0].dwPriorityClass);
    EXPECT_EQ(13, view.rows[0].lBasePriority);
    EXPECT_EQ("LOCKED", view.rows[0].name);
    ExpectTidy();
}

TEST_F(Snapshot9xTest, ASnapshotThatCannotBeTakenOrIsEmptyListsNothing) {
    SnapshotRecorder view(&fake);
    EXPECT_EQ(0, view.RefreshList()); // no first entry
    fake.bProcessSnapshotFails = true;
    AddProcess(0x10, 1, 8, 1);
    AddModule(0x10, 1, "UNSEEN");
    view.rows.resize(2);
    EXPECT_EQ(0, view.RefreshList());
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(2, view.nDeleteAll);
    ExpectTidy();
}

TEST_F(Snapshot9xTest, FindProcessModuleCopiesTheFirstMatchOnlyAsFarAsAsked) {
    AddProcess(0x40, 3, 8, 1);
    AddModule(0x40, 3, "FIRST");
    AddModule(0x40, 3, "SECOND");
    AddModule(0x40, 4, "OTHER");
    SnapshotRecorder view(&fake);

    MODULEENTRY32 module;
    EXPECT_EQ(1, view.FindProcessModule(0x40, 3, &module, sizeof module));
    EXPECT_STREQ("FIRST", module.szModule);
    EXPECT_EQ(1, fake.nModuleSteps); // the walk stops at the match

    // A smaller size copies only that many bytes.
    unsigned char bytes[sizeof(MODULEENTRY32) + 16];
    memset(bytes, 0xAB, sizeof bytes);
    EXPECT_EQ(1, view.FindProcessModule(0x40, 3, bytes, 8));
    DWORD dwModuleID = 0;
    memcpy(&dwModuleID, bytes + offsetof(MODULEENTRY32, th32ModuleID), sizeof dwModuleID);
    EXPECT_EQ(3u, dwModuleID);
    EXPECT_EQ(0xAB, bytes[8]);
    // A larger size never copies more than one entry.
    memset(bytes, 0xAB, sizeof bytes);
    EXPECT_EQ(1, view.FindProcessModule(0x40, 3, bytes, sizeof bytes));
    EXPECT_EQ(0xAB, bytes[sizeof(MODULEENTRY32)]);

    EXPECT_EQ(0, view.FindProcessModule(0x40, 9, &module, sizeof module));
    EXPECT_EQ(0, view.FindProcessModule(0x41, 3, &module, sizeof module));
    ExpectTidy();
}

TEST_F(Snapshot9xTest, AFavouritePickedFromTheListIsFoundByTheModuleNameTheListShows) {
    // The list shows NOTEPAD (the module name); Tool Help names the file with its path.
    // (Ids no process of this system has: none may be taken for the test's own.)
    AddProcess(0xFFF50, 7, 8, 1);
    fake.processes.back().strExe = "C:\\WINDOWS\\NOTEPAD.EXE";
    AddModule(0xFFF50, 7, "NOTEPAD");
    AddProcess(0xFFF51, 8, 8, 1); // not a favourite
    AddModule(0xFFF51, 8, "OTHER");
    AddProcess(0xFFF52, 9, 8, 1); // a favourite typed as its file is named
    fake.processes.back().strExe = "C:\\TOOLS\\TYPED.EXE";
    AddModule(0xFFF52, 9, "TYPED");
    CProcessCore core(&fake);
    core.SetCriticalQuery([](DWORD) { return 0; });
    CKillPass pass = CKillPass::ForFavorites(core, {"notepad", "typed.exe"}, 1); // forced here
    pass.Run(nullptr);
    EXPECT_EQ((std::vector<DWORD>{0xFFF50, 0xFFF52}), fake.terminated);
    ASSERT_EQ(2u, pass.Outcomes().size());
    EXPECT_EQ(CKillPass::Ended, pass.Outcomes()[0].result);
    EXPECT_TRUE(pass.AllEnded());
    ExpectTidy();
}

int WINAPI NeverKill(DWORD, int, int, VN_KILLRESULT*) {
    ADD_FAILURE() << "the library was asked to end a process";
    return 1;
}

TEST_F(Snapshot9xTest, AnIdThatChangesOwnerBetweenTheWalkAndTheKillIsNotEnded) {
    for (DWORD dwPlatform : {DWORD(VER_PLATFORM_WIN32_WINDOWS), DWORD(VER_PLATFORM_WIN32_NT)}) {
        fake.dwPlatformId = dwPlatform;
        fake.processes.clear();
        AddProcess(0xFFF60, 9, 8, 1);
        fake.processes[0].strExe = "WORD.EXE";
        // The listed process ends and another program takes its id just before it is opened:
        // one whose name only begins with the listed one is another program all the same.
        fake.onOpenProcess = [this](DWORD pid) {
            if (pid == 0xFFF60) fake.processes[0].strExe = "WORDPAD.EXE";
        };
        CProcessCore core(&fake);
        core.SetCriticalQuery([](DWORD) { return 0; });
        core.SetKillEntry(NeverKill);
        CKillPass pass = CKillPass::ForTargets(core, {{0xFFF60, "WORD", ""}}, 0);
        pass.Run(nullptr);
        EXPECT_TRUE(fake.terminated.empty()) << dwPlatform;
        ASSERT_EQ(1u, pass.Outcomes().size());
        EXPECT_EQ(CKillPass::Gone, pass.Outcomes()[0].result) << dwPlatform;
        ExpectTidy();
    }
}

TEST_F(Snapshot9xTest, ANameHadOnlyLossyNeverMatchesAFavourite) {
    // Two programs whose names the code page lacks: the ANSI walk names both "??.EXE".
    for (DWORD pid : {0xFFF70u, 0xFFF71u}) {
        AddProcess(pid, 5, 8, 1);
        fake.processes.back().strExe =
            pid == 0xFFF70u ? "\xe6\xb8\xb8\xe6\x88\x8f.exe" : "\xe9\x9f\xb3\xe4\xb9\x90.exe";
        AddModule(pid, 5, "??");
    }
    CProcessCore core(&fake);
    core.SetCriticalQuery([](DWORD) { return 0; });
    for (const char* pszFavourite : {"??", "??.EXE"}) {
        CKillPass pass = CKillPass::ForFavorites(core, {pszFavourite}, 0);
        pass.Run(nullptr);
        EXPECT_TRUE(pass.Outcomes().empty()) << pszFavourite;
    }
    EXPECT_TRUE(fake.terminated.empty());
    ExpectTidy();
}

} // namespace
