#include "favorites/Favorites.h"
#include "procs/ProcessText.h"
#include "settings/SettingNames.h"

#include <algorithm>
#include <map>

namespace {
// How long the favourites' section must have been left alone before an empty list is taken
// for one, and before any other; and how long a reader waits for that at most.
const DWORD kSaveQuietMs = 500;
const DWORD kSteadyMs = 20;
const DWORD kSaveWaitMs = 3000;

std::vector<std::string> ReadFavorites(const CRegSettings& settings) {
    std::vector<std::string> names;
    for (size_t index = 0;; ++index) {
        const std::string name =
            settings.GetString(kSectionFavorites, FavoriteValueName(index).c_str(), "");
        if (name.empty()) break;
        names.push_back(UpperCase(name));
    }
    return names;
}
} // namespace

std::vector<std::string> LoadFavorites(const CRegSettings& settings) {
    // The names are read one value at a time, and a save (by another window, say) may run
    // meanwhile: it empties Fav0 first and writes it last. A read during which the section
    // was written may mix old names with new ones, and is made again. An empty list written
    // to a moment ago is read again until the section has been quiet a while, so that a /kill
    // or an F9 at that instant waits for the save instead of finding nothing to end. A list
    // that never holds still is taken for empty, never for a mix.
    const DWORD dwStart = GetTickCount();
    for (;;) {
        FILETIME ftNow;
        GetSystemTimeAsFileTime(&ftNow);
        const ULONGLONG now = ULONGLONG(ftNow.dwHighDateTime) << 32 | ftNow.dwLowDateTime;
        const ULONGLONG before = settings.SectionWriteTime(kSectionFavorites);
        std::vector<std::string> names = ReadFavorites(settings);
        const ULONGLONG after = settings.SectionWriteTime(kSectionFavorites);
        // The registry's clock may tick only every 16 ms or so: a read is steady when the
        // section's time stayed the same and was a few ticks old when the read began (a write
        // during the read would then have moved it on).
        auto quietFor = [&](DWORD dwMs) {
            return now < after || now - after >= ULONGLONG(dwMs) * 10000;
        };
        if (before == after && (after == 0 || quietFor(names.empty() ? kSaveQuietMs : kSteadyMs)))
            return names;
        if (GetTickCount() - dwStart >= kSaveWaitMs) return {};
        Sleep(10);
    }
}

int LoadKillMode(const CRegSettings& settings) {
    return settings.GetInt(kSectionSetting, kValueGentle, 0);
}

LONG SaveKillMode(const CRegSettings& settings, int nGentle) {
    LONG lError = ERROR_SUCCESS;
    settings.SetInt(kSectionSetting, kValueGentle, nGentle, &lError);
    return lError;
}

LONG StoreFavoriteList(const std::vector<std::string>& names, const FavoriteReader& read,
                       const FavoriteWriter& write) {
    std::vector<std::string> list;
    for (const std::string& name : names)
        if (!name.empty()) list.push_back(name);
    const size_t nCount = list.size();
    // What Fav0 to the new terminator held, to put back when a write fails.
    std::vector<std::string> old;
    for (size_t index = 0; index <= nCount; ++index)
        old.push_back(read(index));
    // Fav0 is emptied first and written last: while the rest is rewritten the stored list
    // reads as empty, so a write that fails midway never leaves the old names mixed with the
    // new ones - a favourite the person removed would be ended by the next Kill Favorites.
    LONG lError = write(0, "");
    if (lError != ERROR_SUCCESS) return lError; // nothing was changed
    // Then Fav1 up to the terminator, Fav<nCount>; the values below nWritten are written.
    size_t nWritten = 1;
    for (; nWritten <= nCount; ++nWritten) {
        lError = write(nWritten, nWritten < nCount ? list[nWritten] : "");
        if (lError != ERROR_SUCCESS) break;
    }
    if (lError == ERROR_SUCCESS && nCount > 0) lError = write(0, list[0]);
    if (lError != ERROR_SUCCESS) {
        // Back to the old list as far as the store lets; where even that fails, Fav0 stays
        // empty and the list reads as empty, never mixed.
        for (size_t index = nWritten; index-- > 1;)
            write(index, old[index]);
        write(0, old[0]);
        return lError;
    }
    // Entries left over from a longer list are blanked, not deleted, after the terminator; the
    // first value that is already missing or empty ends the clean-up. The list is complete
    // already, so a failure here is of no consequence.
    if (!old[nCount].empty())
        for (size_t index = nCount + 1; !read(index).empty(); ++index)
            if (write(index, "") != ERROR_SUCCESS) break;
    return ERROR_SUCCESS;
}

LONG SaveFavorites(const CRegSettings& settings, const std::vector<std::string>& names) {
    return StoreFavoriteList(
        names,
        [&](size_t index) {
            return settings.GetString(kSectionFavorites, FavoriteValueName(index).c_str(), "");
        },
        [&](size_t index, const std::string& text) {
            LONG lError = ERROR_SUCCESS;
            settings.SetString(kSectionFavorites, FavoriteValueName(index).c_str(), text, &lError);
            return lError;
        });
}

std::vector<std::string> MergeFavorites(const std::vector<std::string>& shown,
                                        const std::vector<std::string>& chosen,
                                        const std::vector<std::string>& stored) {
    if (stored == shown) return chosen;
    // How many copies of each name the person took away (< 0) or added (> 0).
    std::map<std::string, long> change;
    for (const std::string& name : shown)
        --change[name];
    for (const std::string& name : chosen)
        ++change[name];
    std::map<std::string, long> count; // copies in the merged list so far
    for (const std::string& name : stored)
        ++count[name];
    // A name removed loses as many copies, from the end.
    std::vector<std::string> merged = stored;
    for (size_t i = merged.size(); i-- > 0;) {
        long& removed = change[merged[i]];
        if (removed >= 0) continue;
        ++removed;
        --count[merged[i]];
        merged.erase(merged.begin() + long(i));
    }
    // A name added is there as often as the person chose it, even when added meanwhile too.
    std::map<std::string, long> wanted;
    for (const std::string& name : chosen)
        ++wanted[name];
    for (const std::string& name : chosen)
        if (change[name] > 0 && count[name] < wanted[name]) {
            merged.push_back(name);
            ++count[name];
        }
    return merged;
}

bool SameFavorites(std::vector<std::string> a, std::vector<std::string> b) {
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return a == b;
}
