// Pure text rules of the settings store and the INI import, free of any system call so that
// they can be tested and fuzzed on their own.
#pragma once

#include <cstddef>
#include <string>

namespace textrules {

// Bytes treated as white space when trimming: space, tab, CR, LF, VT, FF.
bool IsBlank(char c);

// Converts stored text to an integer: leading white space skipped, an optional sign and the
// longest run of decimal digits after it; anything after them is ignored. Returns false when
// there is no number at that place. Values beyond the int range saturate at INT_MIN/INT_MAX.
bool ParseInt(const std::string& text, int* pnValue);

std::string Trim(const std::string& s);

enum class IniLineKind { Ignored, Section, Entry };

struct IniLine {
    IniLineKind kind = IniLineKind::Ignored;
    std::string section; // Section: the name between the brackets, trimmed
    std::string key;     // Entry: everything before the first "="
    std::string value;   // Entry: everything after the first "="
};

// Classifies one line as read from the file (not yet trimmed).
IniLine ClassifyIniLine(const std::string& rawLine);

} // namespace textrules
