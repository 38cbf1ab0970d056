// The command line's rules: which switches start what, in any case and with / or -.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLineTest, SwitchesAreReadInAnyCaseWithASlashOrADash) {
    EXPECT_EQ(CommandLine::Window, ParseCommandLine("").action);
    EXPECT_EQ(CommandLine::Window, ParseCommandLine("   ").action);
    for (const char* text : {"/kill", "-KILL", "/Kill", "  /kill  ", "\"/kill\""}) {
        const CommandLine c = ParseCommandLine(text);
        EXPECT_EQ(CommandLine::Kill, c.action) << text;
        EXPECT_EQ(-1, c.nGentle) << text << ": the stored mode";
    }
    EXPECT_EQ(1, ParseCommandLine("/kill /GENTLE").nGentle);
    EXPECT_EQ(1, ParseCommandLine("-kill -gentle").nGentle);
    EXPECT_EQ(0, ParseCommandLine("/KILL /force").nGentle);
    EXPECT_EQ(CommandLine::Usage, ParseCommandLine("/?").action);
    EXPECT_EQ(CommandLine::Usage, ParseCommandLine("-?").action);
}

TEST(CommandLineTest, AnythingElseIsNotUnderstood) {
    for (const char* text :
         {"/nonsense", "kill", "/gentle", "/force /kill", "/kill /gentle /force", "/kill /kill",
          "/kill gentle", "/kill /", "/", "-", "/? /kill", "/killer", "notepad.exe"})
        EXPECT_EQ(CommandLine::Invalid, ParseCommandLine(text).action) << text;
}

} // namespace
