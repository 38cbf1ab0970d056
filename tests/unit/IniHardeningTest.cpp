// The INI import against whatever a file can hold: random files compared with a model of the
// import rules, and section names that try to leave the settings key.
#include "settings/RegSettings.h"
#include "unit/IniModel.h"
#include "unit/ScratchKey.h"

#include <gtest/gtest.h>
#include <cstdio>

namespace {

using inimodel::Tree;

// The model itself, on files whose outcome is known by hand: if it were wrong, comparing the
// import with it would prove nothing.
TEST(IniModelTest, TheModelFollowsTheImportRules) {
    Tree t = inimodel::Expected("x=before any section\r\n [ Setting ] \r\nGentle=1\r\n"
                                " a = b \n[S]x]\n[T] tail=1\n;c=d\n[]\nroot=yes\n[setting]\n");
    EXPECT_EQ("1", t.keys[L"SETTING"][L"GENTLE"]);
    EXPECT_EQ(" b", t.keys[L"SETTING"][L"A "]) << "no trimming next to the '='";
    EXPECT_EQ("1", t.keys[L"SETTING"][L"[T] TAIL"]) << "text after ']' makes it an entry";
    EXPECT_EQ("d", t.keys[L"SETTING"][L";C"]) << "no comment syntax";
    EXPECT_EQ("yes", t.keys[L""][L"ROOT"]) << "'[]' is the base key itself";
    EXPECT_EQ(2u, t.keys.size()) << "'[S]x]' is no section; [setting] is [Setting] again";
    EXPECT_EQ(4u, t.keys[L"SETTING"].size());
    EXPECT_EQ(1u, t.keys[L""].size());

    // A Ctrl+Z ends the file; a lone CR stays; a line of 600 characters arrives in two reads.
    t = inimodel::Expected("[S]\na=1\rb\x1A\nc=2\n");
    EXPECT_EQ("1\rb", t.keys[L"S"][L"A"]);
    EXPECT_EQ(1u, t.keys[L"S"].size());
    t = inimodel::Expected("[S]\n" + std::string(519, 'k') + "=v\n");
    EXPECT_EQ("v", t.keys[L"S"][L""]) << "the second read is '=v'";
    EXPECT_EQ(1u, t.keys[L"S"].size());

    // A section that cannot be created ends everything after it.
    t = inimodel::Expected("[A]\na=1\n[\\abs]\nb=2\n[B]\nc=3\n");
    EXPECT_EQ(2u, t.keys.size());
    EXPECT_EQ(0u, t.keys.count(L"B"));

    // Backslashes make nested keys; "." and ".." are names like any other.
    t = inimodel::Expected("[a\\..\\b]\nv=1\n");
    EXPECT_EQ("1", t.keys[L"A\\..\\B"][L"V"]);
    EXPECT_EQ(1u, t.keys.count(L"A\\.."));
}

// Random files of every shape, imported for real. The long run (label "long") imports tens
// of thousands; this quick one a few hundred with other seeds.
TEST(IniPropertyTest, RandomFilesImportExactlyAsTheRulesSay) {
    const int n = inimodel::CountFromEnvironment("VANTREL_INI_QUICK_FILES", 200);
    EXPECT_EQ("", inimodel::RunRounds(n, 900000));
}

// Section names that point elsewhere stay inside the key the import was given.
TEST(IniPropertyTest, SectionNamesNeverLeaveTheSettingsKey) {
    ScratchKey scratch;
    const std::string base = scratch.Path() + "\\Vantrel";
    char dir[MAX_PATH], file[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "ini", 0, file);
    FILE* f = fopen(file, "wb");
    ASSERT_NE(nullptr, f);
    fputs("[..]\na=1\n"
          "[..\\..\\Escaped]\nb=2\n"
          "[a\\..\\b]\nc=3\n"
          "[.]\nd=4\n"
          "[]\ne=5\n"
          "[HKEY_LOCAL_MACHINE\\Software]\nf=6\n"
          "[trailing\\]\ng=7\n"
          "[double\\\\slash]\nh=8\n"
          "[\\Software\\Absolute]\ni=9\n" // cannot be created: the import ends here
          "[After]\nj=10\n",
          f);
    fclose(f);
    HKEY hBase;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(scratch.Root(), base.c_str(), 0, nullptr, 0, KEY_WRITE,
                                             nullptr, &hBase, nullptr));
    CRegSettings().ImportIniPath(hBase, file);
    RegCloseKey(hBase);
    DeleteFileA(file);

    Tree inside = inimodel::Read(scratch.Root(), base);
    EXPECT_EQ("1", inside.keys[L".."][L"A"]);
    EXPECT_EQ("2", inside.keys[L"..\\..\\ESCAPED"][L"B"]);
    EXPECT_EQ("3", inside.keys[L"A\\..\\B"][L"C"]);
    EXPECT_EQ("4", inside.keys[L"."][L"D"]);
    EXPECT_EQ("5", inside.keys[L""][L"E"]) << "an empty section name is the key itself";
    EXPECT_EQ("6", inside.keys[L"HKEY_LOCAL_MACHINE\\SOFTWARE"][L"F"]);
    // This registry drops a trailing backslash and an empty part between two; either way the
    // value lands inside.
    EXPECT_EQ("7", inside.keys[L"TRAILING"][L"G"]);
    EXPECT_EQ("8", inside.keys[L"DOUBLE\\SLASH"][L"H"]);
    EXPECT_EQ(0u, inside.keys.count(L"SOFTWARE\\ABSOLUTE"));
    EXPECT_EQ(0u, inside.keys.count(L"AFTER")) << "the failed section ended the import";
    EXPECT_TRUE(inside.badValues.empty());

    // Beside the base key there is nothing, and nothing reached the root's Software key.
    Tree around = inimodel::Read(scratch.Root(), scratch.Path());
    for (const auto& key : around.keys)
        EXPECT_TRUE(key.first.empty() || key.first == L"VANTREL" ||
                    key.first.compare(0, 8, L"VANTREL\\") == 0)
            << inimodel::Escape(std::string(key.first.begin(), key.first.end()));
    EXPECT_TRUE(around.keys[L""].empty());
    for (const char* escaped : {"Software\\VantrelTests\\Escaped", "Software\\Escaped", "Escaped",
                                "Software\\Absolute", "b"}) {
        HKEY h;
        EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, escaped, 0, KEY_READ, &h))
            << escaped;
    }
}

} // namespace
