// The favourites: an ordered list of process names kept as "Fav0", "Fav1", ... in section
// Settings of the settings store, up to the first missing or empty value.
#pragma once

#include "settings/RegSettings.h"

#include <string>
#include <vector>

// The stored names from Fav0 upward, upper-cased, until the first missing or empty value.
std::vector<std::string> LoadFavorites(const CRegSettings& settings);

// Stores the names from Fav0 upward and an empty value right after them, which ends the list
// whatever follows; then blanks the stale entries after that, up to the first one that is
// already missing or empty. Empty names are left out: an empty value ends the list, so storing
// one would hide every name after it. Every write is tried; returns ERROR_SUCCESS, or the
// system's error code of the first write that failed.
LONG SaveFavorites(const CRegSettings& settings, const std::vector<std::string>& names);
