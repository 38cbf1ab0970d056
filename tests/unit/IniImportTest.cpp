// The first-run INI import: real files in the temporary folder, Wine's real registry.
#include "settings/RegSettings.h"
#include "unit/ResourceCount.h"
#include "unit/ScratchKey.h"
#include "win/Utf8.h"

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

TEST_F(IniImportTest, Utf8AndUtf16FilesGiveTheLettersAnAnsiFileGives) {
    const std::string text = "[Settings]\r\nFav0=été.exe\r\nFav1=游戏.exe\r\n[Ключ]\r\nКey = 😀\r\n";
    const std::wstring wide = WideFromUtf8(text);
    const std::string utf16 =
        "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
    for (const std::string& file : {"\xEF\xBB\xBF" + text, text, utf16}) {
        DeleteKeyTree(scratch.Root(), scratch.Path());
        ASSERT_EQ(1, store.Open(scratch.Root(), scratch.Path()));
        Import(file);
        EXPECT_EQ("été.exe", store.GetString("Settings", "Fav0", "")) << Text("Settings", "Fav0");
        EXPECT_EQ("游戏.exe", store.GetString("Settings", "Fav1", ""));
        EXPECT_EQ(" 😀", store.GetString("Ключ", "Кey ", ""));
    }
    // The same letters from a file in the ANSI code page (1252 here).
    ASSERT_EQ(1252u, GetACP());
    Import("[Settings]\nFav0=\xe9t\xe9.exe\n");
    EXPECT_EQ("été.exe", store.GetString("Settings", "Fav0", ""));
    // Not valid UTF-8 throughout: the file is ANSI. With the mark it is UTF-8 all the same.
    Import("[S]\nv=\xc3\xa9\xff\n");
    EXPECT_EQ("Ã©ÿ", store.GetString("S", "v", ""));
    Import("\xEF\xBB\xBF[S]\nv=a\xff"
           "b\xe6\xb8\n");
    EXPECT_EQ("a\uFFFDb\uFFFD", store.GetString("S", "v", ""));
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

// The first start's sources, best first: the old keys (two copies of the person's, then the
// machine's), then the INI file. Scratch keys stand in for the old keys.
class FirstStartTest : public ::testing::Test {
  protected:
    FirstStartTest() {
        char windir[MAX_PATH];
        GetWindowsDirectoryA(windir, MAX_PATH);
        app = "VantrelTest" + std::to_string(GetCurrentProcessId());
        ini = std::string(windir) + "\\" + app + ".INI";
    }
    ~FirstStartTest() override { DeleteFileA(ini.c_str()); }
    static void PutText(const ScratchKey& key, const std::string& sub, const char* value,
                        const std::string& text) {
        ASSERT_TRUE(key.Put(sub, value, REG_SZ, text.c_str(), DWORD(text.size() + 1)));
    }
    // A first start: the person's key made anew. Returns its Fav0.
    std::string Start() {
        return Start({{vsWow.Root(), vsWow.Path()},
                      {vsPlain.Root(), vsPlain.Path()},
                      {machine.Root(), machine.Path()}});
    }
    std::string Start(const std::vector<RegKeyPlace>& oldKeys) {
        DeleteKeyTree(own.Root(), own.Path());
        CRegSettings store;
        EXPECT_EQ(1, store.OpenAndImportOnce(own.Root(), own.Path(), app, oldKeys));
        return store.GetString("Settings", "Fav0", "<none>");
    }
    ScratchKey own, vsWow, vsPlain, machine;
    std::string app, ini;
};

TEST_F(FirstStartTest, TheFirstSourceThereIsWinsAndAnExistingKeyTakesNothing) {
    PutText(vsWow, "Settings", "Fav0", "WOW.EXE");
    PutText(vsPlain, "Settings", "Fav0", "PLAIN.EXE");
    PutText(machine, "Settings", "Fav0", "MACHINE.EXE");
    FILE* f = fopen(ini.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    fputs("[Settings]\nFav0=INI.EXE\n", f);
    fclose(f);
    EXPECT_EQ("WOW.EXE", Start());
    DeleteKeyTree(vsWow.Root(), vsWow.Path());
    EXPECT_EQ("PLAIN.EXE", Start());
    DeleteKeyTree(vsPlain.Root(), vsPlain.Path());
    EXPECT_EQ("MACHINE.EXE", Start());
    DeleteKeyTree(machine.Root(), machine.Path());
    EXPECT_EQ("INI.EXE", Start());
    // A key that is there but holds nothing (an empty section, say) leaves the place to the
    // next source.
    auto makeEmpty = [](const ScratchKey& key, const std::string& sub) {
        HKEY h;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(key.Root(), (key.Path() + "\\" + sub).c_str(), 0,
                                                 nullptr, 0, KEY_WRITE, nullptr, &h, nullptr));
        RegCloseKey(h);
    };
    makeEmpty(machine, "Settings");
    EXPECT_EQ("INI.EXE", Start());
    makeEmpty(vsWow, "Settings");
    PutText(machine, "Settings", "Fav0", "MACHINE.EXE");
    EXPECT_EQ("MACHINE.EXE", Start());
    DeleteKeyTree(vsWow.Root(), vsWow.Path());
    DeleteKeyTree(machine.Root(), machine.Path());

    // Once the person's key exists, old keys are not read again.
    PutText(machine, "Settings", "Fav0", "LATE.EXE");
    CRegSettings again;
    ASSERT_EQ(1, again.OpenAndImportOnce(own.Root(), own.Path(), app,
                                         {{machine.Root(), machine.Path()}}));
    EXPECT_EQ("MACHINE.EXE", again.GetString("Settings", "Fav0", ""));
}

// The real old places, in the order they are read: the person's virtual store as 32-bit
// programs on 64-bit Windows filled it, then as on 32-bit Windows; then the machine's key as
// earlier 32-bit versions saw it, then in the 64-bit view, where an administrator's own tools
// put it on 64-bit Windows.
TEST_F(FirstStartTest, TheOldPlacesAreReadInTheirOrder) {
    const std::vector<RegKeyPlace> places = OldSettingsKeys(app);
    auto put = [&](HKEY root, const std::string& key, REGSAM view, const std::string& fav) {
        HKEY settings;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, (key + "\\Settings").c_str(), 0, nullptr, 0,
                                                 KEY_WRITE | view, nullptr, &settings, nullptr));
        RegSetValueExA(settings, "Fav0", 0, REG_SZ, (const BYTE*)fav.c_str(),
                       DWORD(fav.size() + 1));
        RegCloseKey(settings);
    };
    auto remove = [&](HKEY root, const std::string& key, REGSAM view) {
        const size_t cut = key.rfind('\\', key.rfind('\\') - 1); // "...\Trelmont Software\<app>"
        HKEY parent;
        if (RegOpenKeyExA(root, key.substr(0, cut).c_str(), 0, KEY_READ | KEY_WRITE | view,
                          &parent) != ERROR_SUCCESS)
            return;
        DeleteKeyTree(parent, key.substr(cut + 1));
        RegDeleteKeyA(parent, "Trelmont Software"); // only when nothing else is below it
        RegCloseKey(parent);
    };
    const std::string machineKey = "Software\\Trelmont Software\\" + app;
    const std::string store = "Software\\Classes\\VirtualStore\\MACHINE\\";
    const std::string storeWow = store + "Software\\WOW6432Node\\Trelmont Software\\" + app;
    // The store paths as a 64-bit tool writes them. In Wine's 64-bit prefix a 32-bit program's
    // own view leads the plain path to the WOW6432Node one while that one's parent exists, as
    // it does here once STOREWOW.EXE is removed.
    put(HKEY_CURRENT_USER, store + machineKey, KEY_WOW64_64KEY, "STORE.EXE");
    put(HKEY_CURRENT_USER, storeWow, KEY_WOW64_64KEY, "STOREWOW.EXE");
    put(HKEY_LOCAL_MACHINE, machineKey, KEY_WOW64_64KEY, "VIEW64.EXE");
    put(HKEY_LOCAL_MACHINE, machineKey, KEY_WOW64_32KEY, "VIEW32.EXE");
    EXPECT_EQ("STOREWOW.EXE", Start(places));
    remove(HKEY_CURRENT_USER, storeWow, KEY_WOW64_64KEY);
    EXPECT_EQ("STORE.EXE", Start(places));
    remove(HKEY_CURRENT_USER, store + machineKey, KEY_WOW64_64KEY);
    EXPECT_EQ("VIEW32.EXE", Start(places));
    remove(HKEY_LOCAL_MACHINE, machineKey, KEY_WOW64_32KEY);
    // 32-bit Windows has one view: removing it there removed both.
    BOOL bTwoViews = sizeof(void*) == 8;
    if (!bTwoViews) IsWow64Process(GetCurrentProcess(), &bTwoViews);
    EXPECT_EQ(bTwoViews ? "VIEW64.EXE" : "<none>", Start(places));
    remove(HKEY_LOCAL_MACHINE, machineKey, KEY_WOW64_64KEY);
}

TEST_F(FirstStartTest, EachSectionComesWholeFromOneSourceWithItsTypesAndTheSourcesStay) {
    // The person's copy: a shorter list; the machine's longer list must not show through.
    PutText(vsPlain, "Settings", "Fav0", "MINE.EXE");
    const DWORD two = 2;
    ASSERT_TRUE(vsPlain.Put("Deep\\Er", "dword", REG_DWORD, &two, sizeof two));
    ASSERT_TRUE(vsPlain.Put("Deep\\Er", "raw", REG_BINARY, "\0\xff", 2));
    PutText(vsPlain, "Deep", "", "default value");
    for (int i = 0; i < 5; ++i)
        PutText(machine, "Settings", ("Fav" + std::to_string(i)).c_str(), "ADMIN.EXE");
    PutText(machine, "Newbie", "Start", "0");
    const DWORD one = 1;
    ASSERT_TRUE(machine.Put("Setting", "Gentle", REG_DWORD, &one, sizeof one));
    FILE* f = fopen(ini.c_str(), "wb");
    ASSERT_NE(nullptr, f);
    fputs("[Ini]\nread=1\n", f);
    fclose(f);
    const auto plainBefore = vsPlain.Values(), machineBefore = machine.Values();

    EXPECT_EQ("MINE.EXE", Start());
    EXPECT_EQ(vsPlain.Values("Settings"), own.Values("Settings"));
    EXPECT_EQ(vsPlain.Values("Deep"), own.Values("Deep"));
    // Sections the person's copy lacks come from the machine's key, as they were seen.
    EXPECT_EQ(machine.Values("Newbie"), own.Values("Newbie"));
    EXPECT_EQ(machine.Values("Setting"), own.Values("Setting"));
    EXPECT_FALSE(own.Exists("Ini")) << "old settings found: no INI import";
    EXPECT_EQ(plainBefore, vsPlain.Values());
    EXPECT_EQ(machineBefore, machine.Values());
}

} // namespace
