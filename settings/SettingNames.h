// The name of every section and value the program keeps in its settings key,
// HKEY_LOCAL_MACHINE\Software\Trelmont Software\<application name>. Stored data depends on these
// exact names: "Settings" (the favourites) and "Setting" (the kill mode) are two sections.
#pragma once

#include <string>

// Below HKEY_LOCAL_MACHINE; the application name follows.
const char kSettingsKeyPrefix[] = "Software\\Trelmont Software\\";

// The favourites: Fav0, Fav1, ... up to the first missing or empty value.
const char kSectionFavorites[] = "Settings";
inline std::string FavoriteValueName(size_t index) {
    return "Fav" + std::to_string(index);
}

// The kill mode: Gentle, 0 forced (the default) or 1 gently.
const char kSectionSetting[] = "Setting";
const char kValueGentle[] = "Gentle";

// The main window's placement.
const char kSectionScreen[] = "Screen";
const char kValueX[] = "x";
const char kValueY[] = "y";
const char kValueCx[] = "cx";
const char kValueCy[] = "cy";

// The column widths of the process list: col0 ... col4.
const char kSectionGrid[] = "Grid";
inline std::string ColumnValueName(int index) {
    return "col" + std::to_string(index);
}

// The first-run flag: Start, non-zero while the first-run warning is due.
const char kSectionNewbie[] = "Newbie";
const char kValueStart[] = "Start";
