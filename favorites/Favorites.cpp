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

void SaveFavorites(const CRegSettings& settings, const std::vector<std::string>& names) {
    size_t index = 0;
    for (const std::string& name : names) {
        if (name.empty()) continue;
        settings.SetString(kSectionFavorites, FavoriteValueName(index).c_str(), name);
        ++index;
    }
    // Entries left over from a longer list are blanked, not deleted; the first value that is
    // already missing or empty ends the clean-up.
    for (;; ++index) {
        const std::string name = FavoriteValueName(index);
        if (settings.GetString(kSectionFavorites, name.c_str(), "").empty()) break;
        settings.SetString(kSectionFavorites, name.c_str(), "");
    }
}
