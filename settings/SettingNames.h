// Where the program keeps its settings, and the name of every section and value in that key.
// The key is the person's own: HKEY_CURRENT_USER\Software\Trelmont Software\<application name>.
// Stored data depends on these exact names: "Settings" (the favourites) and "Setting" (the
// kill mode) are two sections.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A registry key: its root, the path below it, and the registry view it is read in (0 for
// the program's own; KEY_WOW64_64KEY for the 64-bit view on 64-bit Windows).
struct RegKeyPlace {
    HKEY hRoot;
    std::string strPath;
    REGSAM samView = 0;
};

// The program's settings key: the person's own.
inline HKEY SettingsRoot() {
    return HKEY_CURRENT_USER;
}
inline RegKeyPlace SettingsKey(const std::string& strAppName) {
    return {SettingsRoot(), "Software\\Trelmont Software\\" + strAppName};
}

// Where earlier versions kept the same layout, in the order they are taken. Those versions
// wrote below HKEY_LOCAL_MACHINE; a person who could not write there got a copy of their own
// in the virtual store instead (below WOW6432Node on 64-bit Windows). Read once, when the
// settings key does not exist yet; never written. The virtual-store paths are read as written,
// in the 64-bit view: where the system redirects a 32-bit program's view of that part of the
// person's registry (64-bit Vista, and Wine's 64-bit prefix as soon as any program has a
// WOW6432Node copy there), the plain path would otherwise lead to the WOW6432Node one. The
// machine's key is named first as a 32-bit program sees it: on 64-bit Windows the system maps
// it to WOW6432Node, where they wrote. Last comes the same key in the 64-bit view, where an
// administrator's regedit or reg.exe puts it on 64-bit Windows; 32-bit Windows has one view and
// ignores the flag, so there it is read twice and the second read adds nothing. A 64-bit build
// names the 32-bit view itself: its own view is the 64-bit one.
inline std::vector<RegKeyPlace> OldSettingsKeys(const std::string& strAppName) {
    const std::string own = SettingsKey(strAppName).strPath;
    const std::string store = "Software\\Classes\\VirtualStore\\MACHINE\\";
    const std::string below = own.substr(own.find('\\')); // "\Trelmont Software\<app>"
    return {{HKEY_CURRENT_USER, store + "Software\\WOW6432Node" + below, KEY_WOW64_64KEY},
            {HKEY_CURRENT_USER, store + own, KEY_WOW64_64KEY},
            {HKEY_LOCAL_MACHINE, own, sizeof(void*) == 8 ? REGSAM(KEY_WOW64_32KEY) : 0},
            {HKEY_LOCAL_MACHINE, own, KEY_WOW64_64KEY}};
}

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
