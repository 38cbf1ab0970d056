// The favourites: an ordered list of process names kept as "Fav0", "Fav1", ... in section
// Settings of the settings store, up to the first missing or empty value.
#pragma once

#include "settings/RegSettings.h"

#include <functional>
#include <string>
#include <vector>

// The stored names from Fav0 upward, upper-cased, until the first missing or empty value. A
// save by another window or a script at the same time is waited for (see the definition): the
// names are one list as it was stored, never old and new ones mixed.
std::vector<std::string> LoadFavorites(const CRegSettings& settings);

// The stored kill mode (Setting\Gentle): nonzero asks each program to close, 0 terminates.
// Read wherever it is used, so that every window and /kill follow the last choice stored, by
// any window or by a script.
int LoadKillMode(const CRegSettings& settings);
// Stores the kill mode; returns ERROR_SUCCESS or the system's error code.
LONG SaveKillMode(const CRegSettings& settings, int nGentle);

// Stores the names from Fav0 upward and an empty value right after them, which ends the list
// whatever follows; then blanks the stale entries after that, up to the first one that is
// already missing or empty. Empty names are left out: an empty value ends the list, so storing
// one would hide every name after it. Returns ERROR_SUCCESS, or the system's error code of the
// write that failed; then the stored list is the old one again, or, where the store refused
// that too, empty - never old names mixed with new ones.
LONG SaveFavorites(const CRegSettings& settings, const std::vector<std::string>& names);

// The list an OK of the Favorites dialog stores. `shown` is the list the dialog opened with,
// `chosen` the person's list at OK, `stored` the list stored now. Unchanged meanwhile, the
// person's list is stored as it is. Changed by another window or a script, that change stays:
// the stored list less each name the person removed, with each name the person added.
std::vector<std::string> MergeFavorites(const std::vector<std::string>& shown,
                                        const std::vector<std::string>& chosen,
                                        const std::vector<std::string>& stored);
// Whether two lists hold the same names as often, in any order.
bool SameFavorites(std::vector<std::string> a, std::vector<std::string> b);

// The writes of SaveFavorites over any store: read(index) gives the text of "Fav<index>" ("" when
// missing), write(index, text) stores it and gives the system's error code.
typedef std::function<std::string(size_t index)> FavoriteReader;
typedef std::function<LONG(size_t index, const std::string& text)> FavoriteWriter;
LONG StoreFavoriteList(const std::vector<std::string>& names, const FavoriteReader& read,
                       const FavoriteWriter& write);
