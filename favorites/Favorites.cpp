#include "favorites/Favorites.h"
#include "procs/ProcessText.h"
#include "settings/SettingNames.h"

std::vector<std::string> LoadFavorites(const CRegSettings& settings) {
    std::vector<std::string> names;
    for (size_t index = 0;; ++index) {
        const std::string name =
            settings.GetString(kSectionFavorites, FavoriteValueName(index).c_str(), "");
        if (name.empty()) break;
        names.push_back(UpperCase(name));
    }
    return names;
}

LONG SaveFavorites(const CRegSettings& settings, const std::vector<std::string>& names) {
    LONG lFirstError = ERROR_SUCCESS;
    auto write = [&](const std::string& value, const std::string& text) {
        LONG lError = ERROR_SUCCESS;
        if (!settings.SetString(kSectionFavorites, value.c_str(), text, &lError) &&
            lFirstError == ERROR_SUCCESS)
            lFirstError = lError;
    };
    size_t index = 0;
    for (const std::string& name : names) {
        if (name.empty()) continue;
        write(FavoriteValueName(index), name);
        ++index;
    }
    // Entries left over from a longer list are blanked, not deleted, from the terminator on;
    // the first value after it that is already missing or empty ends the clean-up.
    for (bool bTerminator = true;; ++index, bTerminator = false) {
        const std::string value = FavoriteValueName(index);
        const bool bStale = !settings.GetString(kSectionFavorites, value.c_str(), "").empty();
        if (bTerminator || bStale) write(value, "");
        if (!bStale) break;
    }
    return lFirstError;
}
