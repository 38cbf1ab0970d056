// Valid UTF-8 restated by its code points, apart from the program's decoder: each character
// in its shortest form, no surrogate, nothing above U+10FFFF. Shared by the INI import's model
// and the fuzz target.
#pragma once

#include <cstddef>
#include <string>

// Appends the code points of s to *out; false when s is not valid UTF-8.
inline bool Utf8CodePoints(const std::string& s, std::u32string* out) {
    for (size_t i = 0; i < s.size();) {
        const unsigned char lead = s[i];
        const int n = lead < 0x80       ? 1
                      : lead >> 5 == 6  ? 2
                      : lead >> 4 == 14 ? 3
                      : lead >> 3 == 30 ? 4
                                        : 0;
        if (n == 0 || i + n > s.size()) return false;
        char32_t cp = n == 1 ? lead : lead & (0x7F >> n);
        for (int k = 1; k < n; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return false;
            cp = cp << 6 | (s[i + k] & 0x3F);
        }
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < least[n] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
        *out += cp;
        i += size_t(n);
    }
    return true;
}
