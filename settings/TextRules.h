// Pure text rules of the settings store and the INI import, free of any system call so that
// they can be tested and fuzzed on their own.
#pragma once

#include <cstddef>
#include <cstdint>
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

// The INI import reads a line in pieces of at most this many characters.
const size_t kIniPieceChars = 519;

// Decodes UTF-8 a byte at a time into UTF-16. A byte that can neither start nor continue a
// character becomes U+FFFD, and so does the valid start of a character that another byte cuts
// short; that byte is then read again as a start.
class Utf8Decoder {
  public:
    // Appends to *pOut what the byte completes; false when the byte broke the rules.
    bool Feed(unsigned char byte, std::u16string* pOut);
    // Ends the text: a character cut short becomes U+FFFD, and the result is false.
    bool Finish(std::u16string* pOut);

  private:
    uint32_t m_code = 0;
    int m_need = 0;                               // continuation bytes still to come
    unsigned char m_lower = 0x80, m_upper = 0xBF; // the range of the next continuation byte
};

} // namespace textrules
