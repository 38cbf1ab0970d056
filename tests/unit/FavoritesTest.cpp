// The favourites list in the real registry: where the stored list ends, upper-casing on load,
// the terminator and blanking of stale entries on save, that no empty name is ever stored, and
// that a save failing midway never leaves a mixed list.
#include "favorites/Favorites.h"
#include "unit/ScratchKey.h"
#include "settings/SettingNames.h"
#include "win/Utf8.h"

#include <gtest/gtest.h>
#include <map>

namespace {

typedef std::vector<std::string> Names;

class FavoritesStore : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(1, store.Open(scratch.Root(), scratch.Path())); }
    // Favourite `index` as raw registry data.
    void Put(size_t index, const std::string& text) {
        ASSERT_TRUE(scratch.Put(kSectionFavorites, FavoriteValueName(index).c_str(), REG_SZ,
                                text.c_str(), DWORD(text.size() + 1)));
    }
    // The raw stored value: "<missing>", or its text when it is REG_SZ.
    std::string Stored(size_t index) {
        const std::string value = FavoriteValueName(index);
        DWORD type = 0;
        std::string data;
        if (!scratch.Query(kSectionFavorites, value.c_str(), &type, &data)) return "<missing>";
        if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
        EXPECT_TRUE(!data.empty() && data.back() == '\0') << value << " ends with its NUL";
        return data.substr(0, data.find('\0'));
    }
    ScratchKey scratch;
    CRegSettings store;
};

TEST_F(FavoritesStore, TheListIsTheRunOfNonEmptyValuesFromFav0) {
    EXPECT_EQ(Names{}, LoadFavorites(store)) << "no Settings section at all";
    Put(1, "CALC.EXE");
    EXPECT_EQ(Names{}, LoadFavorites(store)) << "Fav0 missing hides Fav1";
    Put(0, "");
    EXPECT_EQ(Names{}, LoadFavorites(store)) << "Fav0 empty hides Fav1";
    Put(0, "notepad.exe");
    Put(2, "Mixed.Exe");
    Put(3, "");
    Put(4, "HIDDEN.EXE");
    EXPECT_EQ((Names{"NOTEPAD.EXE", "CALC.EXE", "MIXED.EXE"}), LoadFavorites(store));
}

TEST_F(FavoritesStore, DuplicatesLoadInTheirPlacesAndNamesKeepTheirBlanks) {
    Put(0, "a.exe");
    Put(1, " b.exe ");
    Put(2, "A.EXE");
    Put(3, "  ");
    EXPECT_EQ((Names{"A.EXE", " B.EXE ", "A.EXE", "  "}), LoadFavorites(store));
}

TEST_F(FavoritesStore, ALongValueIsOneFavouriteAndTheListGoesOn) {
    Put(0, "ONE.EXE");
    Put(1, std::string(300, 'y'));
    Put(2, "THREE.EXE");
    EXPECT_EQ((Names{"ONE.EXE", std::string(300, 'Y'), "THREE.EXE"}), LoadFavorites(store));
}

// Another window's save, under way: Fav0 emptied, then written again a moment later.
DWORD WINAPI FinishSave(void* pScratch) {
    Sleep(200);
    static const char kName[] = "C.EXE";
    static_cast<ScratchKey*>(pScratch)->Put(kSectionFavorites, "Fav0", REG_SZ, kName, sizeof kName);
    return 0;
}

TEST_F(FavoritesStore, AListEmptiedAMomentAgoIsReadAgainUntilTheSaveIsDone) {
    Put(0, "A.EXE");
    Put(1, "B.EXE");
    Put(0, "");
    HANDLE hThread = CreateThread(nullptr, 0, FinishSave, &scratch, 0, nullptr);
    ASSERT_NE(nullptr, hThread);
    EXPECT_EQ((Names{"C.EXE", "B.EXE"}), LoadFavorites(store));
    WaitForSingleObject(hThread, INFINITE);
    CloseHandle(hThread);
    // Left empty, it is empty once the section has been quiet a moment.
    Put(0, "");
    const DWORD dwStart = GetTickCount();
    EXPECT_EQ(Names{}, LoadFavorites(store));
    EXPECT_LT(GetTickCount() - dwStart, 1500u);
}

// Another window saving one list after another: thirty names of one letter each time.
Names ListOf(char letter) {
    Names names;
    for (int i = 0; i < 30; ++i)
        names.push_back(std::string(1, letter) + std::to_string(i));
    return names;
}
DWORD WINAPI SaveOverAndOver(void* pStore) {
    for (DWORD dwStart = GetTickCount(), i = 0; GetTickCount() - dwStart < 1500; ++i) {
        SaveFavorites(*static_cast<CRegSettings*>(pStore), ListOf(char('A' + i % 4)));
        Sleep(60); // a read may begin between two saves, and a save during it
    }
    return 0;
}

TEST_F(FavoritesStore, AReadDuringSavesGetsOneStoredListNeverAMix) {
    CRegSettings other;
    ASSERT_EQ(1, other.Open(scratch.Root(), scratch.Path()));
    HANDLE hThread = CreateThread(nullptr, 0, SaveOverAndOver, &other, 0, nullptr);
    ASSERT_NE(nullptr, hThread);
    int nLists = 0;
    while (WaitForSingleObject(hThread, 0) == WAIT_TIMEOUT) {
        const Names names = LoadFavorites(store);
        if (names.empty()) continue; // the saves never let it be read
        ++nLists;
        ASSERT_EQ(ListOf(names[0][0]), names) << "a list that was never stored";
    }
    CloseHandle(hThread);
    EXPECT_GT(nLists, 0);
}

TEST_F(FavoritesStore, SavingFewerNamesBlanksStaleEntriesUpToTheFirstGap) {
    for (size_t i = 0; i < 5; ++i)
        Put(i, "OLD" + FavoriteValueName(i));
    Put(6, "BEYOND.EXE");
    EXPECT_EQ(ERROR_SUCCESS, SaveFavorites(store, {"B.EXE", "a.exe"}));
    EXPECT_EQ("B.EXE", Stored(0));
    EXPECT_EQ("a.exe", Stored(1)) << "written as given";
    EXPECT_EQ("", Stored(2));
    EXPECT_EQ("", Stored(3));
    EXPECT_EQ("", Stored(4));
    EXPECT_EQ("<missing>", Stored(5)) << "the gap is not filled";
    EXPECT_EQ("BEYOND.EXE", Stored(6)) << "entries beyond the gap stay";
    EXPECT_EQ((Names{"B.EXE", "A.EXE"}), LoadFavorites(store));
}

TEST_F(FavoritesStore, SavingAnEmptyListBlanksTheWholeList) {
    Put(0, "A.EXE");
    Put(1, "B.EXE");
    Put(2, "");
    Put(3, "C.EXE");
    SaveFavorites(store, {});
    EXPECT_EQ("", Stored(0));
    EXPECT_EQ("", Stored(1));
    EXPECT_EQ("C.EXE", Stored(3)) << "the clean-up stops at the first empty value";
    EXPECT_EQ(Names{}, LoadFavorites(store));
}

TEST_F(FavoritesStore, ASavedListIsEndedWhateverFollows) {
    // Nothing stored yet: the value after the list is written empty all the same.
    SaveFavorites(store, {"A.EXE"});
    EXPECT_EQ("", Stored(1));
    SaveFavorites(store, {});
    EXPECT_EQ("", Stored(0));
    EXPECT_EQ(Names{}, LoadFavorites(store));
}

TEST_F(FavoritesStore, DuplicatesAreStoredTwiceAndARoundTripKeepsTheOrder) {
    const Names names = {"X.EXE", "X.EXE", "ALPHA.EXE", " SPACED "};
    SaveFavorites(store, names);
    EXPECT_EQ(names, LoadFavorites(store));
}

TEST_F(FavoritesStore, EmptyNamesAreLeftOutSoTheyCannotHideTheNamesAfterThem) {
    Put(3, "OLD3");
    Put(4, "OLD4");
    SaveFavorites(store, {"", "A.EXE", "", "", "B.EXE", ""});
    EXPECT_EQ("A.EXE", Stored(0));
    EXPECT_EQ("B.EXE", Stored(1));
    EXPECT_EQ("", Stored(2)) << "the terminator";
    EXPECT_EQ("OLD3", Stored(3)) << "beyond the first gap: untouched";
    EXPECT_EQ((Names{"A.EXE", "B.EXE"}), LoadFavorites(store));
}

TEST_F(FavoritesStore, NamesInAnyScriptRoundTripExactlyAndAnOldAnsiListKeepsItsLetters) {
    const Names names = {"游戏.EXE", "音乐.EXE", "МУЗЫКА.EXE", "😀.EXE", "ÄSSß.EXE"};
    ASSERT_EQ(ERROR_SUCCESS, SaveFavorites(store, names));
    EXPECT_EQ(names, LoadFavorites(store));
    for (size_t i = 0; i < names.size(); ++i) {
        std::wstring stored;
        ASSERT_TRUE(scratch.QueryText(kSectionFavorites, FavoriteValueName(i).c_str(), &stored));
        EXPECT_EQ(WideFromUtf8(names[i]), stored) << FavoriteValueName(i);
    }
    // Saved by an earlier version with the ANSI call, in code page 1252.
    ASSERT_EQ(1252u, GetACP());
    Put(0, "\xe9t\xe9.exe");
    Put(1, "\xd6l.exe");
    Put(2, "");
    EXPECT_EQ((Names{"ÉTÉ.EXE", "ÖL.EXE"}), LoadFavorites(store));
}

TEST(FavoriteListMerge, AnotherWindowsChangeStaysBesideThePersonsOwn) {
    const Names shown = {"A", "B", "T", "T"};
    EXPECT_EQ((Names{"B", "A"}), MergeFavorites(shown, {"B", "A"}, shown)) << "unchanged store";
    // Meanwhile C was added and T removed once; the person removed B, added D and a second E.
    EXPECT_EQ((Names{"A", "C", "T", "D", "E", "E"}),
              MergeFavorites(shown, {"A", "D", "E", "E", "T", "T"}, {"A", "B", "C", "T"}));
    // Both added the same name, or both removed it: once, or not at all.
    EXPECT_EQ((Names{"A", "D"}), MergeFavorites({"A", "B"}, {"A", "D"}, {"A", "D"}));
    EXPECT_TRUE(SameFavorites({"B", "A", "B"}, {"B", "B", "A"}));
    EXPECT_FALSE(SameFavorites({"A", "B"}, {"A", "B", "B"}));
}

// A store that refuses the write numbered nFailAt, and with bSticky every write after it, as a
// full disk would. Whichever write fails, the list reads as the old one or, when even putting
// it back is refused, as empty: never old names mixed with new ones.
TEST(FavoriteListWrites, AWriteThatFailsLeavesTheOldListOrAnEmptyOneNeverAMix) {
    const Names old = {"OLD0", "OLD1", "OLD2", "OLD3"};
    for (const Names& wanted : {Names{"NEW0"}, Names{"NEW0", "NEW1"}, Names(6, "NEW")})
        for (int nFailAt = 0; nFailAt < 12; ++nFailAt)
            for (bool bSticky : {false, true}) {
                std::map<size_t, std::string> store = {
                    {0, old[0]}, {1, old[1]}, {2, old[2]}, {3, old[3]}};
                int nWrites = 0;
                const auto read = [&](size_t i) { return store.count(i) ? store[i] : ""; };
                const auto write = [&](size_t i, const std::string& text) -> LONG {
                    if (nWrites++ == nFailAt || (bSticky && nWrites > nFailAt))
                        return ERROR_DISK_FULL;
                    store[i] = text;
                    return ERROR_SUCCESS;
                };
                const LONG lError = StoreFavoriteList(wanted, read, write);
                Names list;
                for (size_t i = 0; !read(i).empty(); ++i)
                    list.push_back(read(i));
                const bool bOldOrEmpty = list == old || (bSticky && list.empty());
                EXPECT_TRUE(lError == ERROR_SUCCESS ? list == wanted : bOldOrEmpty)
                    << "write " << nFailAt << (bSticky ? " and all after it" : "") << " refused";
            }
}

} // namespace
