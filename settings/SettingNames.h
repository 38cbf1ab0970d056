// The name of every section and value the program keeps in its settings key,
// HKEY_LOCAL_MACHINE\Software\Trelmont Software\<application name>. Stored data depends on these
// exact names: "Settings" (the favourites) and "Setting" (the kill mode) are two sections.
#pragma once

#include <string>

// Below HKEY_LOCAL_MACHINE; the application name follows.
const char kSettingsKeyPrefix[] = "Software\\Trelmont Software\\";

// The sections and what each holds.
const char kSectionFavorites[] = "Settings"; // Fav0, Fav1, ... to the first missing or empty
const char kSectionSetting[] = "Setting";    // Gentle
const char kSectionScreen[] = "Screen";      // x, y, cx, cy: the main window's placement
const char kSectionGrid[] = "Grid";          // col0 ... col4: the list's column widths
const char kSectionNewbie[] = "Newbie";      // Start

// The values of fixed name.
const char kValueGentle[] = "Gentle"; // 0 forced (the default), 1 gently
const char kValueX[] = "x";
const char kValueY[] = "y";
const char kValueCx[] = "cx";
const char kValueCy[] = "cy";
const char kValueStart[] = "Start"; // non-zero while the first-run warning is due

// The numbered values.
inline std::string FavoriteValueName(size_t index) {
    return "Fav" + std::to_string(index);
}
inline std::string ColumnValueName(int index) {
    return "col" + std::to_string(index);
}
