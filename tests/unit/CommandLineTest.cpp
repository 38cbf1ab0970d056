// The command line's rules: where the program's own name ends, which switches start what, in
// any case and with / or -; what /kill answers when the processes cannot be listed.
#include "app/CommandLine.h"
#include "favorites/Favorites.h"
#include "unit/AppTestEnv.h"
#include "unit/FakeToolHelp.h"

#include <gtest/gtest.h>

namespace {

const wchar_t kModule[] = L"C:\\Program Files\\Vantrel\\Vantrel.exe";

CommandLine Parse(const wchar_t* pszArgs) {
    const std::wstring line = std::wstring(L"Vantrel.exe ") + pszArgs;
    return ParseCommandLine(ProgramArguments(line.c_str(), kModule));
}

TEST(CommandLineTest, SwitchesAreReadInAnyCaseWithASlashOrADash) {
    EXPECT_EQ(CommandLine::Window, Parse(L"").action);
    EXPECT_EQ(CommandLine::Window, Parse(L"   ").action);
    for (const wchar_t* text : {L"/kill", L"-KILL", L"/Kill", L"  /kill  ", L"\"/kill\""}) {
        const CommandLine c = Parse(text);
        EXPECT_EQ(CommandLine::Kill, c.action) << text;
        EXPECT_EQ(-1, c.nGentle) << text << ": the stored mode";
    }
    EXPECT_EQ(1, Parse(L"/kill /GENTLE").nGentle);
    EXPECT_EQ(1, Parse(L"-kill -gentle").nGentle);
    EXPECT_EQ(0, Parse(L"/KILL /force").nGentle);
    EXPECT_EQ(CommandLine::Usage, Parse(L"/?").action);
    EXPECT_EQ(CommandLine::Usage, Parse(L"-?").action);
}

TEST(CommandLineTest, AnythingElseIsNotUnderstood) {
    // A letter the code page lacks never becomes a '?' (the usage's exit code 0), and only
    // ASCII letters fold: the dotless i of "/kıll" is not an I.
    for (const wchar_t* text :
         {L"/nonsense", L"kill", L"/gentle", L"/force /kill", L"/kill /gentle /force",
          L"/kill /kill", L"/kill gentle", L"/kill /", L"/", L"-", L"/? /kill", L"/killer",
          L"notepad.exe", L"/\u2605", L"/k\u0131ll", L"/kill /\u00dfforce"})
        EXPECT_EQ(CommandLine::Invalid, Parse(text).action) << text;
}

TEST(CommandLineTest, TheProgramsOwnPathIsNeverAnArgument) {
    struct Case {
        const wchar_t* pszLine;
        size_t nArgs;
    };
    const Case cases[] = {
        // Unquoted, with letters beyond ASCII: the name ends at the blank.
        {L"C:\\Pr\u00fcfung\\Vantrel.exe", 0},
        {L"C:\\Pr\u00fcfung\\Vantrel.exe /kill", 1},
        {L"C:\\Users\\Jos\u00e9\\\u6e38\u620f\\Vantrel.exe /kill /force", 2},
        // Unquoted with blanks: the system starts the program's own file from such a line.
        {L"C:\\Program Files\\Vantrel\\Vantrel.exe", 0},
        {L"c:\\program files\\vantrel\\vantrel /kill", 1},
        {L"\"C:\\Program Files\\Vantrel\\Vantrel.exe\"/kill", 1},
        {L"  \"C:\\Program Files\\Vantrel\\Vantrel.exe\"   ", 0},
        {L"\"C:\\Program Files\\Vantrel\\Vantrel.exe", 0},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> args = ProgramArguments(c.pszLine, kModule);
        EXPECT_EQ(c.nArgs, args.size()) << c.pszLine;
        if (!args.empty()) {
            EXPECT_EQ("/kill", args[0]) << c.pszLine;
        }
    }
    // Another program of that folder is not this one: its blank ends the name.
    EXPECT_EQ(2u, ProgramArguments(L"C:\\Program Files\\Other.exe /kill", kModule).size());
    // A switch outside the code page arrives as it was written (UTF-8).
    EXPECT_EQ("/\xe2\x98\x85", ProgramArguments(L"V.exe /\u2605", kModule).at(0));
}

class CommandLineKillTest : public AppTest {};

TEST_F(CommandLineKillTest, ProcessesThatCannotBeListedExitOne) {
    // Nothing could be looked at, so nothing is known to have ended.
    ASSERT_EQ(ERROR_SUCCESS, SaveFavorites(ProgramSettings(), {"NOTEPAD.EXE"}));
    FakeToolHelp system; // of the 95/98 family: no library to bind
    system.bProcessSnapshotFails = true;
    EXPECT_EQ(kKillSomeRunning, KillFavoritesFromCommandLine(1, true, &system));
}

} // namespace
