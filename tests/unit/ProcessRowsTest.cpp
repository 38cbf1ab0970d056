// The rows the list shows, without a window: one row per name and path with every id kept,
// the order by any column, and the key that finds a row's process after a refresh.
#include "procs/ProcessRows.h"

#include <gtest/gtest.h>
#include <cstring>

namespace {

VN_PROCINFO Record(const char* name, DWORD pid, const char* path, DWORD threads = 1) {
    VN_PROCINFO info;
    memset(&info, 0, sizeof info);
    strncpy(info.szName, name, sizeof info.szName - 1);
    strncpy(info.szFullPath, path, sizeof info.szFullPath - 1);
    info.dwPID = pid;
    info.dwThreadCount = threads;
    return info;
}

TEST(ProcessRows, OneRowPerNameAndPathKeepsEveryIdAndTheFirstProcessMetShows) {
    CProcessRows rows;
    EXPECT_TRUE(rows.Add(Record("twin.exe", 10, "C:\\A\\twin.exe")));
    EXPECT_FALSE(rows.Add(Record("TWIN.EXE", 11, "c:\\a\\TWIN.exe"))) << "same name and path";
    EXPECT_TRUE(rows.Add(Record("twin.exe", 12, "C:\\B\\twin.exe"))) << "another path";
    EXPECT_TRUE(rows.Add(Record("nopath.exe", 13, "")));
    EXPECT_FALSE(rows.Add(Record("NoPath.exe", 14, "")));
    ASSERT_EQ(3u, rows.Count());
    EXPECT_EQ("TWIN.EXE", rows[0].name);
    EXPECT_EQ("C:\\A\\TWIN.EXE", rows[0].path);
    EXPECT_EQ(10u, rows[0].dwPID);
    EXPECT_EQ((std::vector<DWORD>{10, 11}), rows[0].pids);
    EXPECT_EQ((std::vector<DWORD>{13, 14}), rows[2].pids);
    // Two rows of one name are two processes: their keys differ.
    EXPECT_NE(CProcessRows::KeyOf(rows[0]), CProcessRows::KeyOf(rows[1]));
    EXPECT_EQ(CProcessRows::Key(10, "TWIN.EXE"), CProcessRows::KeyOf(rows[0]));
    rows.Clear();
    EXPECT_TRUE(rows.Add(Record("twin.exe", 20, "C:\\A\\twin.exe"))) << "a cleared list";
}

TEST(ProcessRows, SortByAnyColumnNumbersAsNumbersASecondChoiceReverses) {
    CProcessRows rows;
    rows.Add(Record("b.exe", 0x100, "C:\\Z", 3));
    rows.Add(Record("a.exe", 0xFF, "C:\\Y", 20));
    rows.Add(Record("C.exe", 0x9, "C:\\X", 3));
    typedef std::vector<size_t> Order;
    EXPECT_EQ((Order{1, 0, 2}), rows.Ordered()) << "by name at first";
    ASSERT_TRUE(rows.SortBy(1));
    EXPECT_EQ((Order{2, 1, 0}), rows.Ordered()) << "ids as numbers";
    ASSERT_TRUE(rows.SortBy(1));
    EXPECT_TRUE(rows.IsSortDescending());
    EXPECT_EQ((Order{0, 1, 2}), rows.Ordered());
    ASSERT_TRUE(rows.SortBy(3));
    EXPECT_FALSE(rows.IsSortDescending()) << "another column starts ascending";
    EXPECT_EQ((Order{0, 2, 1}), rows.Ordered()) << "equal rows keep their listed order";
    EXPECT_FALSE(rows.SortBy(5));
    EXPECT_EQ(3, rows.SortColumn());
}

} // namespace
