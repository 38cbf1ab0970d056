// The favourites list in the real registry: where the stored list ends, upper-casing on load,
// blanking of stale entries on save, and that no empty name is ever stored.
#include "favorites/Favorites.h"
#include "unit/ScratchKey.h"

#include <gtest/gtest.h>

namespace {

typedef std::vector<std::string> Names;

class FavoritesStore : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(1, store.Open(scratch.Root(), scratch.Path()));
    }
    void Put(const char* value, const std::string& text) {
        ASSERT_TRUE(scratch.Put("Settings", value, REG_SZ, text.c_str(), DWORD(text.size() + 1)));
    }
    // The raw stored value: "<missing>", or its text when it is REG_SZ.
    std::string Stored(const char* value) {
        DWORD type = 0;
        std::string data;
        if (!scratch.Query("Settings", value, &type, &data)) return "<missing>";
        if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
        EXPECT_TRUE(!data.empty() && data.back() == '\0') << value << " ends with its NUL";
        return data.substr(0, data.find('\0'));
    }
    ScratchKey scratch;
    CRegSettings store;
};

TEST_F(FavoritesStore, TheListIsTheRunOfNonEmptyValuesFromFav0) {
    EXPECT_EQ(Names{}, LoadFavorites(store)) << "no Settings section at all";
    Put("Fav1", "CALC.EXE");
    EXPECT_EQ(Names{}, LoadFavorites(store)) << "Fav0 missing hides Fav1";
    Put("Fav0", "");
    EXPECT_EQ(Names{}, LoadFavorites(store)) << "Fav0 empty hides Fav1";
    Put("Fav0", "notepad.exe");
    Put("Fav2", "Mixed.Exe");
    Put("Fav3", "");
    Put("Fav4", "HIDDEN.EXE");
    EXPECT_EQ((Names{"NOTEPAD.EXE", "CALC.EXE", "MIXED.EXE"}), LoadFavorites(store));
}

TEST_F(FavoritesStore, DuplicatesLoadInTheirPlacesAndNamesKeepTheirBlanks) {
    Put("Fav0", "a.exe");
    Put("Fav1", " b.exe ");
    Put("Fav2", "A.EXE");
    Put("Fav3", "  ");
    EXPECT_EQ((Names{"A.EXE", " B.EXE ", "A.EXE", "  "}), LoadFavorites(store));
}

TEST_F(FavoritesStore, AValueTooLongForTheReadBufferEndsTheList) {
    Put("Fav0", "ONE.EXE");
    Put("Fav1", std::string(259, 'x'));
    Put("Fav2", "THREE.EXE");
    Put("Fav3", std::string(300, 'y'));
    Put("Fav4", "FIVE.EXE");
    EXPECT_EQ((Names{"ONE.EXE", std::string(259, 'X'), "THREE.EXE"}), LoadFavorites(store));
}

TEST_F(FavoritesStore, SavingFewerNamesBlanksStaleEntriesUpToTheFirstGap) {
    for (const char* v : {"Fav0", "Fav1", "Fav2", "Fav3", "Fav4"})
        Put(v, std::string("OLD") + v);
    Put("Fav6", "BEYOND.EXE");
    SaveFavorites(store, {"B.EXE", "a.exe"});
    EXPECT_EQ("B.EXE", Stored("Fav0"));
    EXPECT_EQ("a.exe", Stored("Fav1")) << "written as given";
    EXPECT_EQ("", Stored("Fav2"));
    EXPECT_EQ("", Stored("Fav3"));
    EXPECT_EQ("", Stored("Fav4"));
    EXPECT_EQ("<missing>", Stored("Fav5")) << "the gap is not filled";
    EXPECT_EQ("BEYOND.EXE", Stored("Fav6")) << "entries beyond the gap stay";
    EXPECT_EQ((Names{"B.EXE", "A.EXE"}), LoadFavorites(store));
}

TEST_F(FavoritesStore, SavingAnEmptyListBlanksTheWholeList) {
    Put("Fav0", "A.EXE");
    Put("Fav1", "B.EXE");
    Put("Fav2", "");
    Put("Fav3", "C.EXE");
    SaveFavorites(store, {});
    EXPECT_EQ("", Stored("Fav0"));
    EXPECT_EQ("", Stored("Fav1"));
    EXPECT_EQ("C.EXE", Stored("Fav3")) << "the clean-up stops at the first empty value";
    EXPECT_EQ(Names{}, LoadFavorites(store));

    ScratchKey fresh;
    CRegSettings other;
    ASSERT_EQ(1, other.Open(fresh.Root(), fresh.Path()));
    SaveFavorites(other, {});
    EXPECT_FALSE(fresh.Exists("Settings")) << "nothing to save: nothing written";
}

TEST_F(FavoritesStore, DuplicatesAreStoredTwiceAndARoundTripKeepsTheOrder) {
    const Names names = {"X.EXE", "X.EXE", "ALPHA.EXE", " SPACED "};
    SaveFavorites(store, names);
    EXPECT_EQ(names, LoadFavorites(store));
}

TEST_F(FavoritesStore, EmptyNamesAreLeftOutSoTheyCannotHideTheNamesAfterThem) {
    Put("Fav3", "OLD3");
    Put("Fav4", "OLD4");
    SaveFavorites(store, {"", "A.EXE", "", "", "B.EXE", ""});
    EXPECT_EQ("A.EXE", Stored("Fav0"));
    EXPECT_EQ("B.EXE", Stored("Fav1"));
    EXPECT_EQ("<missing>", Stored("Fav2"));
    EXPECT_EQ("OLD3", Stored("Fav3")) << "beyond the first gap: untouched";
    EXPECT_EQ((Names{"A.EXE", "B.EXE"}), LoadFavorites(store));
}

} // namespace
