// The rows the list shows, without a window: one row per name and path with every id kept,
// the order by any column, and the key that finds a row's process after a refresh.
#include "procs/KillReport.h"
#include "procs/ProcessRows.h"
#include "procs/ProcessText.h"
#include "unit/Record.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(ProcessRows, OneRowPerNameAndPathKeepsEveryIdAndTheFirstProcessMetShows) {
    CProcessRows rows;
    EXPECT_TRUE(rows.Add(Record("twin.exe", 10, "C:\\A\\twin.exe")));
    EXPECT_FALSE(rows.Add(Record("TWIN.EXE", 11, "c:\\a\\TWIN.exe"))) << "same name and path";
    EXPECT_TRUE(rows.Add(Record("twin.exe", 12, "C:\\B\\twin.exe"))) << "another path";
    ASSERT_EQ(2u, rows.Count());
    EXPECT_EQ("TWIN.EXE", rows[0].name);
    EXPECT_EQ("C:\\A\\TWIN.EXE", rows[0].path);
    EXPECT_EQ(10u, rows[0].dwPID);
    EXPECT_EQ((std::vector<DWORD>{10, 11}), rows[0].pids);
    // Two rows of one name are two processes: their keys differ.
    EXPECT_NE(CProcessRows::KeyOf(rows[0]), CProcessRows::KeyOf(rows[1]));
    EXPECT_EQ(CProcessRows::Key(10, "TWIN.EXE"), CProcessRows::KeyOf(rows[0]));
    rows.Clear();
    EXPECT_TRUE(rows.Add(Record("twin.exe", 20, "C:\\A\\twin.exe"))) << "a cleared list";
}

TEST(ProcessRows, SortByAnyColumnNumbersAsNumbersASecondChoiceReverses) {
    CProcessRows rows;
    rows.Add(Record("b.exe", 0x100, "C:\\Z", 8, 0, 3));
    rows.Add(Record("a.exe", 0xFF, "C:\\Y", 8, 0, 20));
    rows.Add(Record("C.exe", 0x9, "C:\\X", 8, 0, 3));
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

TEST(NameText, NamesAreUpperCasedAndComparedWholeInEveryScript) {
    EXPECT_EQ("ABC-123_\\.EXE", UpperCase("abc-123_\\.exe"));
    EXPECT_EQ("", UpperCase(""));
    EXPECT_EQ(std::string("A\0B", 3), UpperCase(std::string("a\0b", 3)));
    // ä, Cyrillic, Greek and CJK (which has no case); ß has no single upper-case letter and
    // stays as it is.
    EXPECT_EQ("\xc3\x84RGER.EXE", UpperCase("\xc3\xa4rger.exe"));
    EXPECT_EQ("\xd0\x9f\xd0\xa3\xd0\xa2\xd0\x98", UpperCase("\xd0\xbf\xd1\x83\xd1\x82\xd0\xb8"));
    EXPECT_EQ("\xce\xa9\xce\x9c\xce\x95\xce\x93\xce\x91",
              UpperCase("\xcf\x89\xce\xbc\xce\xb5\xce\xb3\xce\xb1"));
    EXPECT_EQ("STRA\xc3\x9f"
              "E.EXE",
              UpperCase("stra\xc3\x9f"
                        "e.exe"));
    EXPECT_EQ("\xe6\xb8\xb8\xe6\x88\x8f.EXE", UpperCase("\xe6\xb8\xb8\xe6\x88\x8f.exe"));
    // Two names of one length outside the code page stay two names.
    EXPECT_NE(UpperCase("\xe6\xb8\xb8\xe6\x88\x8f.exe"), UpperCase("\xe9\x9f\xb3\xe4\xb9\x90.exe"));
    EXPECT_EQ(0, CompareNames("\xc3\xa4rger.exe", "\xc3\x84RGER.EXE"));
    EXPECT_LT(CompareNames("alpha.exe", "\xc3\xa4rger.exe"), 0);
    EXPECT_LT(CompareNames("\xc3\xa4rger.exe", "zeta.exe"), 0) << "\xc3\xa4 sorts among the a's";
    EXPECT_TRUE(IsLossyName("??.EXE"));
    EXPECT_FALSE(IsLossyName("\xe6\xb8\xb8\xe6\x88\x8f.EXE"));
}

TEST(ProcessRows, AProcessThatCannotBeOpenedHasARowOfItsOwnThatSaysSo) {
    CProcessRows rows;
    ProcessRecord hidden = Record("svchost.exe", 40, "", 8, 0, 1, false);
    EXPECT_TRUE(rows.Add(hidden));
    hidden.dwPID = 44;
    EXPECT_TRUE(rows.Add(hidden)) << "no path known: not known to be the same program";
    ASSERT_EQ(2u, rows.Count());
    EXPECT_EQ(kNotAccessibleAsUserText, CProcessRows::CellText(rows[1], 4, false));
    EXPECT_EQ(kNotAccessibleText, CProcessRows::CellText(rows[1], 4, true)) << "nothing to advise";
    EXPECT_TRUE(rows.Add(Record("svchost.exe", 48, "C:\\Windows\\svchost.exe")));
    EXPECT_FALSE(rows.Add(Record("svchost.exe", 52, "C:\\Windows\\svchost.exe")));
    EXPECT_EQ("C:\\WINDOWS\\SVCHOST.EXE", CProcessRows::CellText(rows[2], 4, false));
    // Opened, but with a path too long for the library: not known to be one program either.
    EXPECT_TRUE(rows.Add(Record("huge.exe", 60)));
    EXPECT_TRUE(rows.Add(Record("huge.exe", 64)));
}

TEST(KillReport, EachOutcomeHasItsReasonAndThePassItsSummary) {
    typedef CKillPass::Outcome O;
    const std::vector<O> outcomes = {
        {0x1A4, "A.EXE", CKillPass::Ended, 0},
        {0x1A8, "B.EXE", CKillPass::Gone, 0},
        {0x1AC, "C.EXE", CKillPass::Denied, ERROR_ACCESS_DENIED},
        {0x1B0, "D.EXE", CKillPass::NoWindow, 0},
        {0x1B4, "E.EXE", CKillPass::TimedOut, 0},
        {0x1B8, "F.EXE", CKillPass::Hidden, 0},
        {0x1BC, "G.EXE", CKillPass::PostRefused, ERROR_ACCESS_DENIED},
        {0x1C0, "VANTREL.EXE", CKillPass::SkippedSelf, 0},
    };
    EXPECT_EQ("1 ended, 1 ended already, 2 refused, 3 still running, 1 passed over",
              SummaryLine(outcomes));
    EXPECT_EQ("Nothing to end", SummaryLine({}));
    EXPECT_EQ("1 ended", SummaryLine({outcomes[0]}));
    EXPECT_EQ("C.EXE (PID 1AC): refused: access denied", OutcomeLine(outcomes[2]));
    EXPECT_EQ("ended already", ReasonText(outcomes[1]));
    EXPECT_NE(std::string::npos, ReasonText(outcomes[3]).find("no window"));
    EXPECT_NE(std::string::npos, ReasonText(outcomes[4]).find("5 seconds"));
    EXPECT_NE(std::string::npos, ReasonText(outcomes[5]).find("notification area"));
    EXPECT_NE(std::string::npos, ReasonText(outcomes[6]).find("administrator"));
    EXPECT_EQ("skipped: Vantrel itself", ReasonText(outcomes[7]));
    // Another error is said in the system's words.
    const O other = {1, "H.EXE", CKillPass::Denied, ERROR_INVALID_PARAMETER};
    EXPECT_EQ("refused: " + SystemMessage(ERROR_INVALID_PARAMETER), ReasonText(other));
    EXPECT_EQ(std::string::npos, SystemMessage(ERROR_INVALID_PARAMETER).find('\n'));
}

TEST(KillReport, ABoxOfManyNotEndedNamesTheFirstAndCountsTheRestByReason) {
    std::vector<CKillPass::Outcome> outcomes(3, {0x10, "A.EXE", CKillPass::Ended, 0});
    outcomes.resize(30, {0x20, "B.EXE", CKillPass::Denied, ERROR_ACCESS_DENIED});
    outcomes.push_back({0x30, "C.EXE", CKillPass::TimedOut, 0});
    const std::string lines = NotEndedLines(outcomes, 25);
    EXPECT_EQ(26, std::count(lines.begin(), lines.end(), '\n'));
    EXPECT_NE(std::string::npos, lines.find("\n... and 3 more: 2 refused, 1 still running"));
    EXPECT_EQ(std::string::npos, NotEndedLines(outcomes, 28).find("more"));
    // On any screen the box's lines - each process's wrapped to three, and its own ten - fit.
    for (int cyScreen : {480, 600, 768, 1024, 2160})
        for (int cyLine : {13, 16, 24})
            EXPECT_LE(int(ProcessLinesThatFit(cyScreen, cyLine) * 3 + 10) * cyLine,
                      (std::max)(cyScreen, 19 * cyLine))
                << cyScreen << " " << cyLine;
}

} // namespace
