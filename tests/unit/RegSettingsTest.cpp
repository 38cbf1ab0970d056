// The settings store against Wine's real registry, each test in its own scratch key.
#include "settings/RegSettings.h"
#include "unit/ScratchKey.h"
#include "win/AnsiOnly.h"

#include <gtest/gtest.h>
#include <climits>

namespace {

class RegSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(1, store.Open(scratch.Root(), scratch.Path())); }
    void PutText(const char* section, const char* value, const std::string& bytes,
                 DWORD type = REG_SZ, KeyReading how = KeyReading::Ansi) {
        ASSERT_TRUE(scratch.Put(section, value, type, bytes.data(), DWORD(bytes.size()), how));
    }
    // UTF-16 text as the registry stores it.
    static std::string Utf16(const std::wstring& text) {
        return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    }
    ScratchKey scratch;
    CRegSettings store;
};

TEST_F(RegSettingsTest, OpenReportsCreatedThenExisting) {
    ScratchKey other;
    CRegSettings s;
    bool created = false;
    ASSERT_EQ(1, s.Open(other.Root(), other.Path(), &created));
    EXPECT_TRUE(created);
    ASSERT_EQ(1, s.Open(other.Root(), other.Path(), &created));
    EXPECT_FALSE(created);
    EXPECT_EQ(other.Path(), s.BaseKey());
}

TEST_F(RegSettingsTest, FailedOpenStillRecordsPathAndReadsDefaults) {
    CRegSettings s;
    // A key name longer than the registry allows cannot be created.
    const std::string bad = scratch.Path() + "\\" + std::string(300, 'x');
    EXPECT_EQ(0, s.Open(scratch.Root(), bad));
    EXPECT_EQ(bad, s.BaseKey());
    EXPECT_EQ(0, s.GetInt("Setting", "Gentle", 0));
    EXPECT_EQ("dflt", s.GetString("Settings", "Fav0", "dflt"));
    EXPECT_EQ(0, s.SetInt("Setting", "Gentle", 1));
}

TEST_F(RegSettingsTest, IntegersAreStoredAsDecimalText) {
    EXPECT_EQ(1, store.SetInt("Grid", "col0", -1));
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(scratch.Query("Grid", "col0", &type, &data));
    EXPECT_EQ(DWORD(REG_SZ), type);
    EXPECT_EQ(std::string("-1\0", 3), data);

    EXPECT_EQ(1, store.SetInt("Grid", "col1", INT_MIN));
    EXPECT_EQ(INT_MIN, store.GetInt("Grid", "col1", 5));
    EXPECT_EQ(1, store.SetInt("Grid", "col2", 0));
    ASSERT_TRUE(scratch.Query("Grid", "col2", &type, &data));
    EXPECT_EQ(std::string("0\0", 2), data);
}

TEST_F(RegSettingsTest, IntegerTextRule) {
    struct Case {
        const char* text;
        int expected;
    } cases[] = {
        {"  42abc", 42},
        {"-7", -7},
        {"abc", 99},
        {"", 99},
        {"+5", 5},
        {"-", 99},
        {"\t\r\n 8", 8},
        {"0x10", 0},
        {"12 34", 12},
        {"--3", 99},
        {" - 3", 99},
        {"007", 7},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
    };
    for (const Case& c : cases) {
        PutText("Num", "v", std::string(c.text) + '\0');
        EXPECT_EQ(c.expected, store.GetInt("Num", "v", 99)) << "text '" << c.text << "'";
    }
}

TEST_F(RegSettingsTest, StringsInAnyScriptRoundTripUnchanged) {
    const std::string texts[] = {"",          " lead and trail ", "MiXeD.exe",  "a=b;[c]",
                                 "Äéÿ ß.exe", "游戏.exe",         "Музыка.exe", "😀.exe"};
    for (const std::string& t : texts) {
        EXPECT_EQ(1, store.SetString("Settings", "Fav0", t));
        EXPECT_EQ(t, store.GetString("Settings", "Fav0", "dflt"));
    }
}

TEST_F(RegSettingsTest, ValuesOfAnySizeAreReadWholeUpToTheirFirstNul) {
    // A value cut short or given up on would be stored back so at the next save.
    const std::string longText(40000, 'a');
    ASSERT_EQ(1, store.SetString("S", "v", longText));
    EXPECT_EQ(longText, store.GetString("S", "v", "dflt"));
    PutText("S", "raw", std::string(3000, 'b'), REG_BINARY);
    EXPECT_EQ(std::string(3000, 'b'), store.GetString("S", "raw", "dflt"));
    // Text padded after its NUL, as a program writing a whole fixed buffer leaves it.
    PutText("S", "padded", Utf16(L"B.EXE") + std::string(600, '\0'), REG_SZ,
            KeyReading::Stored);
    EXPECT_EQ("B.EXE", store.GetString("S", "padded", "dflt"));
    // Stored text without its NUL is read to its end and not a byte beyond.
    PutText("S", "odd", Utf16(L"ab") + "c", REG_SZ, KeyReading::Stored);
    EXPECT_EQ("ab", store.GetString("S", "odd", "dflt")) << "half a character is left out";
}

// The 95/98/Me family has no wide registry calls: the store uses the ANSI ones there, and
// keeps what the ANSI code page can hold.
TEST_F(RegSettingsTest, WithoutWideCallsTheAnsiCallsKeepWhatTheCodePageHolds) {
    ASSERT_EQ(1252u, GetACP()) << "the letters below are those of code page 1252";
    CForceAnsiOnly ansi(true);
    EXPECT_EQ(1, store.SetString("S", "v", "Été.exe"));
    EXPECT_EQ("Été.exe", store.GetString("S", "v", "dflt"));
    std::wstring stored;
    ASSERT_TRUE(scratch.QueryText("S", "v", &stored));
    EXPECT_EQ(L"\u00C9t\u00E9.exe", stored);
    EXPECT_EQ(1, store.SetString("S", "cjk", "游戏.exe"));
    EXPECT_EQ("??.exe", store.GetString("S", "cjk", "dflt"));
    EXPECT_EQ(1, store.SetInt("S", "n", -12));
    EXPECT_EQ(-12, store.GetInt("S", "n", 0));
    ASSERT_EQ(1, store.SetString("S", "long", std::string(3000, 'a')));
    EXPECT_EQ(std::string(3000, 'a'), store.GetString("S", "long", "dflt"));
}

TEST_F(RegSettingsTest, NumbersReadRegDwordAsItsNumberOtherTypesAsTheirBytes) {
    // As an administrator's script may write the kill mode.
    const DWORD one = 1;
    ASSERT_TRUE(scratch.Put("Setting", "Gentle", REG_DWORD, &one, sizeof one));
    EXPECT_EQ(1, store.GetInt("Setting", "Gentle", 0));
    const DWORD digits = 0x00003437; // the bytes '7', '4', 0, 0
    ASSERT_TRUE(scratch.Put("T", "dword", REG_DWORD, &digits, sizeof digits));
    EXPECT_EQ(0x3437, store.GetInt("T", "dword", 0));
    EXPECT_EQ("74", store.GetString("T", "dword", "dflt")) << "text is read as bytes";
    const DWORD all = 0xFFFFFFFF;
    ASSERT_TRUE(scratch.Put("T", "all", REG_DWORD, &all, sizeof all));
    EXPECT_EQ(-1, store.GetInt("T", "all", 0));
    // A REG_DWORD of the wrong size is no number: its bytes are read as text.
    ASSERT_TRUE(scratch.Put("T", "short", REG_DWORD, "42", 2));
    EXPECT_EQ(42, store.GetInt("T", "short", 0));
    const DWORD little = 7;
    ASSERT_TRUE(scratch.Put("T", "binary", REG_BINARY, &little, sizeof little));
    EXPECT_EQ(5, store.GetInt("T", "binary", 5));

    ASSERT_TRUE(scratch.Put("T", "empty", REG_BINARY, "", 0));
    EXPECT_EQ("", store.GetString("T", "empty", "dflt"));
    EXPECT_EQ(5, store.GetInt("T", "empty", 5));

    PutText("T", "multi", std::string("12\0ab\0\0", 7), REG_MULTI_SZ);
    EXPECT_EQ("12", store.GetString("T", "multi", "dflt"));
}

TEST_F(RegSettingsTest, ReadingAMissingSectionCreatesNothingWritingCreatesIt) {
    EXPECT_EQ(1, store.GetInt("Newbie", "Start", 1));
    EXPECT_EQ("", store.GetString("Settings", "Fav0", ""));
    EXPECT_FALSE(scratch.Exists("Newbie"));
    EXPECT_FALSE(scratch.Exists("Settings"));

    EXPECT_EQ(1, store.SetInt("Newbie", "Start", 0));
    EXPECT_TRUE(scratch.Exists("Newbie"));
    EXPECT_EQ(0, store.GetInt("Newbie", "Start", 1));
}

TEST_F(RegSettingsTest, SectionsAreSeparateKeys) {
    store.SetInt("Setting", "Gentle", 1);
    store.SetString("Settings", "Gentle", "other");
    EXPECT_EQ(1, store.GetInt("Setting", "Gentle", 0));
    EXPECT_EQ("other", store.GetString("Settings", "Gentle", ""));
    // A value written is seen by another store on the same key at once (nothing cached).
    CRegSettings second;
    ASSERT_EQ(1, second.Open(scratch.Root(), scratch.Path()));
    second.SetInt("Setting", "Gentle", 0);
    EXPECT_EQ(0, store.GetInt("Setting", "Gentle", 1));
}

} // namespace
