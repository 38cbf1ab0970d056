#include "settings/TextRules.h"

#include <climits>
#include <cstdint>

namespace textrules {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool ParseInt(const std::string& text, int* pnValue) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= n || text[i] < '0' || text[i] > '9') return false;
    int64_t magnitude = 0;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (magnitude <= int64_t(INT_MAX) + 1) // stop growing once it cannot fit any more
            magnitude = magnitude * 10 + (text[i] - '0');
    }
    int64_t value = negative ? -magnitude : magnitude;
    if (value > INT_MAX) value = INT_MAX;
    if (value < INT_MIN) value = INT_MIN;
    *pnValue = int(value);
    return true;
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

IniLine ClassifyIniLine(const std::string& rawLine) {
    IniLine result;
    std::string line = Trim(rawLine);
    const size_t open = line.find('[');
    const size_t close = line.find(']');
    // A section line starts with "[" and its first "]" is its last character.
    if (open != std::string::npos && close != std::string::npos && close >= open &&
        close - open + 1 == line.size()) {
        line[open] = ' ';
        line[close] = ' ';
        result.kind = IniLineKind::Section;
        result.section = Trim(line);
        return result;
    }
    const size_t eq = line.find('=');
    if (eq != std::string::npos) {
        result.kind = IniLineKind::Entry;
        result.key = line.substr(0, eq);
        result.value = line.substr(eq + 1);
    }
    return result;
}

} // namespace textrules
