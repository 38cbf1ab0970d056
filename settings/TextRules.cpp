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

bool Utf8Decoder::Feed(unsigned char byte, std::u16string* pOut) {
    if (m_need == 0) {
        if (byte < 0x80) {
            *pOut += char16_t(byte);
            return true;
        }
        // No overlong forms, no surrogates, nothing above U+10FFFF.
        if (byte >= 0xC2 && byte <= 0xDF) {
            m_need = 1;
            m_code = byte & 0x1Fu;
        } else if (byte >= 0xE0 && byte <= 0xEF) {
            m_need = 2;
            m_code = byte & 0x0Fu;
            if (byte == 0xE0) m_lower = 0xA0;
            if (byte == 0xED) m_upper = 0x9F;
        } else if (byte >= 0xF0 && byte <= 0xF4) {
            m_need = 3;
            m_code = byte & 0x07u;
            if (byte == 0xF0) m_lower = 0x90;
            if (byte == 0xF4) m_upper = 0x8F;
        } else {
            *pOut += u'\uFFFD';
            return false;
        }
        return true;
    }
    if (byte < m_lower || byte > m_upper) {
        Finish(pOut);
        Feed(byte, pOut);
        return false;
    }
    m_lower = 0x80;
    m_upper = 0xBF;
    m_code = (m_code << 6) | (byte & 0x3Fu);
    if (--m_need == 0) {
        if (m_code >= 0x10000) {
            *pOut += char16_t(0xD800 + ((m_code - 0x10000) >> 10));
            *pOut += char16_t(0xDC00 + ((m_code - 0x10000) & 0x3FF));
        } else {
            *pOut += char16_t(m_code);
        }
        m_code = 0;
    }
    return true;
}

bool Utf8Decoder::Finish(std::u16string* pOut) {
    if (m_need == 0) return true;
    *pOut += u'\uFFFD';
    m_need = 0;
    m_code = 0;
    m_lower = 0x80;
    m_upper = 0xBF;
    return false;
}

} // namespace textrules
