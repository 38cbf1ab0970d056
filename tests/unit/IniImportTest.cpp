// The first-run INI import: real files in the temporary folder, Wine's real registry.
#include "settings/RegSettings.h"
#include "unit/ResourceCount.h"
#include "unit/ScratchKey.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <random>

namespace {

class IniImportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char dir[MAX_PATH];
        GetTempPathA(MAX_PATH, dir);
        char name[MAX_PATH];
        GetTempFileNameA(dir, "ini", 0, name);
        path = name;
        ASSERT_EQ(1, store.Open(scratch.Root(), scratch.Path()));
    }
    void TearDown() override { DeleteFileA(path.c_str()); }

    // Writes the file byte for byte (binary mode: line ends exactly as given).
    void Write(const std::string& bytes) {
        FILE* f = fopen(path.c_str(), "wb");
        ASSERT_NE(nullptr, f);
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
    void Import(const std::string& bytes) {
        Write(bytes);
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegOpenKeyExA(scratch.Root(), scratch.Path().c_str(), 0, KEY_WRITE, &key));
        store.ImportIniPath(key, path);
        RegCloseKey(key);
    }
    // The data of a value as text, or "<missing>"; checks that it is REG_SZ with its NUL.
    std::string Text(const std::string& section, const char* value) {
        DWORD type = 0;
        std::string data;
        if (!scratch.Query(section, value, &type, &data)) return "<missing>";
        EXPECT_EQ(DWORD(REG_SZ), type);
        EXPECT_TRUE(!data.empty() && data.back() == '\0');
        if (!data.empty()) data.pop_back();
        return data;
    }

    ScratchKey scratch;
    CRegSettings store;
    std::string path;
};

TEST_F(IniImportTest, SectionsAndEntriesBecomeKeysAndTextValues) {
    Import("[Setting]\nGentle=1\n[Settings]\nFav0=notepad.exe\nFav1=Calc.EXE\n");
    EXPECT_EQ("1", Text("Setting", "Gentle"));
    EXPECT_EQ(1, store.GetInt("Setting", "Gentle", 0));
    EXPECT_EQ("notepad.exe", Text("Settings", "Fav0"));
    EXPECT_EQ("Calc.EXE", Text("Settings", "Fav1"));
}

TEST_F(IniImportTest, TrimmingAndSplitRules) {
    Import("  [ Setting ]  \n"
           "a = b \n"    // trimmed at the line's ends only: key "a ", value " b"
           "k=v=w\n"     // split at the first "="
           "=nameless\n" // an empty key is the section's default value
           "empty=\n"
           "[a]b=c\n" // brackets with text after them: an entry
           "x[a]\n"   // neither section nor entry
           ";comment=kept\n"
           "\t\tplain line\n\n   \n");
    EXPECT_TRUE(scratch.Exists("Setting"));
    EXPECT_EQ(" b", Text("Setting", "a "));
    EXPECT_EQ("v=w", Text("Setting", "k"));
    EXPECT_EQ("nameless", Text("Setting", ""));
    EXPECT_EQ("", Text("Setting", "empty"));
    EXPECT_EQ("c", Text("Setting", "[a]b"));
    EXPECT_EQ("kept", Text("Setting", ";comment"));
    EXPECT_EQ(6u, scratch.ValueCount("Setting"));
    EXPECT_FALSE(scratch.Exists("a"));
    EXPECT_FALSE(scratch.Exists("x[a]"));
}

TEST_F(IniImportTest, EntriesBeforeTheFirstSectionGoNowhere) {
    Import("orphan=1\nGentle=1\n[S]\nkept=2\n");
    EXPECT_EQ(0u, scratch.ValueCount());
    EXPECT_EQ("2", Text("S", "kept"));
    EXPECT_EQ(1u, scratch.ValueCount("S"));
}

TEST_F(IniImportTest, CrLfAndLfGiveTheSameResult) {
    Import("[S]\r\na=1\r\nb = 2\r\n[T]\r\nc=3");
    EXPECT_EQ("1", Text("S", "a"));
    EXPECT_EQ(" 2", Text("S", "b "));
    EXPECT_EQ("3", Text("T", "c"));
}

TEST_F(IniImportTest, LongLinesAreReadInPiecesOf519Characters) {
    // "k=" and 998 more characters: the first 519 form an entry, the rest has no "=".
    // Then 600 characters with "=x" after them: only the second piece is an entry.
    Import("[S]\nk=" + std::string(998, 'v') + "\n" + std::string(600, 'a') + "=x\n");
    EXPECT_EQ(std::string(517, 'v'), Text("S", "k"));
    EXPECT_EQ("x", Text("S", std::string(81, 'a').c_str()));
    EXPECT_EQ(2u, scratch.ValueCount("S"));
}

TEST_F(IniImportTest, DuplicateSectionsReopenAndTheLastEntryWins) {
    Import("[S]\na=1\n[T]\nb=2\n[S]\nc=3\na=4\n");
    EXPECT_EQ("4", Text("S", "a"));
    EXPECT_EQ("3", Text("S", "c"));
    EXPECT_EQ(2u, scratch.ValueCount("S"));
    EXPECT_EQ("2", Text("T", "b"));
}

TEST_F(IniImportTest, ASectionThatCannotBeCreatedEndsTheImport) {
    Import("[S1]\na=1\n[" + std::string(300, 'n') + "]\nb=2\n[S2]\nc=3\n");
    EXPECT_EQ("1", Text("S1", "a"));
    EXPECT_EQ(1u, scratch.ValueCount("S1"));
    EXPECT_FALSE(scratch.Exists("S2"));
}

TEST_F(IniImportTest, MissingFileImportsNothing) {
    DeleteFileA(path.c_str());
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(scratch.Root(), scratch.Path().c_str(), 0, KEY_WRITE, &key));
    store.ImportIniPath(key, path);
    RegCloseKey(key);
    EXPECT_EQ(0u, scratch.ValueCount());
}

TEST_F(IniImportTest, BinaryFilesImportWithoutHarm) {
    std::mt19937 rng(12345);
    std::string bytes = "[Bin]\n";
    for (int i = 0; i < 20000; ++i)
        bytes += char(rng() & 0xFF);
    bytes += "\n[After]\nok=1\n";
    Import(bytes);
    // Whatever the noise produced, the store is still usable and nothing is left open.
    EXPECT_EQ(1, store.SetInt("Check", "v", 7));
    EXPECT_EQ(7, store.GetInt("Check", "v", 0));
    EXPECT_TRUE(DeleteFileA(path.c_str())) << "the file is still open";
}

TEST_F(IniImportTest, AValueAfterANulByteEndsAtIt) {
    Import(std::string("[S]\na=1\0tail\nb=2\n", 18));
    EXPECT_EQ("1", Text("S", "a"));
    EXPECT_EQ("2", Text("S", "b"));
}

TEST_F(IniImportTest, NothingStaysOpenAfterwards) {
    // The system's handle table: GetProcessHandleCount answers 0 under Wine.
    const long before = HandleCount(GetCurrentProcessId());
    ASSERT_GT(before, 0);
    Import("[A]\na=1\n[B]\nb=2\n[C]\nc=3\n");
    EXPECT_EQ(before, HandleCount(GetCurrentProcessId()));
    EXPECT_TRUE(DeleteFileA(path.c_str())) << "the file is still open";
    EXPECT_EQ("3", Text("C", "c"));
}

TEST_F(IniImportTest, TheFileInTheWindowsDirectoryIsImportedOnlyWhenTheKeyIsCreated) {
    char windir[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windir, MAX_PATH), 0u);
    char app[64];
    snprintf(app, sizeof app, "VantrelTest%lu", GetCurrentProcessId());
    const std::string file = std::string(windir) + "\\" + app + ".INI";
    FILE* f = fopen(file.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    fputs("[Setting]\nGentle=1\n", f);
    fclose(f);
    ScratchKey fresh;
    CRegSettings first;
    ASSERT_EQ(1, first.OpenAndImportOnce(fresh.Root(), fresh.Path(), app));
    EXPECT_EQ(1, first.GetInt("Setting", "Gentle", 0)) << "a key created now imports the file";
    // The user changes the mode; the next start must keep it.
    first.SetInt("Setting", "Gentle", 0);
    CRegSettings second;
    ASSERT_EQ(1, second.OpenAndImportOnce(fresh.Root(), fresh.Path(), app));
    DeleteFileA(file.c_str());
    EXPECT_EQ(0, second.GetInt("Setting", "Gentle", 1)) << "an existing key was imported over";
}

} // namespace
