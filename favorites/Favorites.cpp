#include "favorites/Favorites.h"
#include "procs/VantrelView.h"

#include <cstdio>

namespace {
const char kSection[] = "Settings";

std::string ValueName(size_t index) {
    char name[32];
    snprintf(name, sizeof name, "Fav%u", unsigned(index));
    return name;
}
} // namespace

std::vector<std::string> LoadFavorites(const CRegSettings& settings) {
    std::vector<std::string> names;
    for (size_t index = 0;; ++index) {
        const std::string name = settings.GetString(kSection, ValueName(index).c_str(), "");
        if (name.empty()) break;
        names.push_back(UpperCase(name));
    }
    return names;
}

void SaveFavorites(const CRegSettings& settings, const std::vector<std::string>& names) {
    size_t index = 0;
    for (const std::string& name : names) {
        if (name.empty()) continue;
        settings.SetString(kSection, ValueName(index).c_str(), name);
        ++index;
    }
    // Entries left over from a longer list are blanked, not deleted; the first value that is
    // already missing or empty ends the clean-up.
    for (;; ++index) {
        const std::string name = ValueName(index);
        if (settings.GetString(kSection, name.c_str(), "").empty()) break;
        settings.SetString(kSection, name.c_str(), "");
    }
}
