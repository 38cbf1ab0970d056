// libFuzzer target for the pure text rules of the settings store and the INI import: the
// line classification, the trimming, the integer conversion and the UTF-8 decoding, checked
// against a plain restatement of each rule. Built for the host by scripts/fuzz; not part of the
// test suite.
#include "settings/TextRules.h"
#include "tests/unit/Utf8Reference.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

void Check(bool ok, const char* what) {
    if (!ok) {
        fprintf(stderr, "rule broken: %s\n", what);
        abort();
    }
}

void CheckTrim(const std::string& s) {
    const std::string t = textrules::Trim(s);
    Check(s.find(t) != std::string::npos, "Trim returns a part of its input");
    Check(t.empty() || (!Blank(t.front()) && !Blank(t.back())), "Trim leaves no blank at the ends");
    Check(textrules::Trim(t) == t, "Trim twice changes nothing");
    bool allBlank = true;
    for (char c : s)
        allBlank = allBlank && Blank(c);
    Check(t.empty() == allBlank, "Trim empties only blank text");
}

void CheckParseInt(const std::string& s) {
    // strtoll reads the same syntax (in the C locale: the same blanks, one sign, decimal
    // digits) up to the first NUL, and saturates; the store then clamps to int.
    const std::string cstr = s.substr(0, s.find('\0'));
    const char* begin = cstr.c_str();
    char* end = nullptr;
    errno = 0;
    long long ref = strtoll(begin, &end, 10);
    const bool refOk = end != begin;
    if (ref > INT_MAX) ref = INT_MAX;
    if (ref < INT_MIN) ref = INT_MIN;
    int value = 0;
    const bool ok = textrules::ParseInt(cstr, &value);
    Check(ok == refOk, "ParseInt finds a number exactly where strtoll does");
    Check(!ok || value == int(ref), "ParseInt gives strtoll's value, clamped to int");
}

void CheckLine(const std::string& raw) {
    const textrules::IniLine line = textrules::ClassifyIniLine(raw);
    const std::string t = textrules::Trim(raw);
    const bool section =
        t.size() >= 2 && t.front() == '[' && t.back() == ']' && t.find(']') == t.size() - 1;
    if (section) {
        Check(line.kind == textrules::IniLineKind::Section, "a bracketed line is a section");
        Check(line.section == textrules::Trim(t.substr(1, t.size() - 2)),
              "the section name is the trimmed text between the brackets");
        return;
    }
    const size_t eq = t.find('=');
    if (eq != std::string::npos) {
        Check(line.kind == textrules::IniLineKind::Entry, "a line with '=' is an entry");
        Check(line.key == t.substr(0, eq), "the key is everything before the first '='");
        Check(line.value == t.substr(eq + 1), "the value is everything after it");
        return;
    }
    Check(line.kind == textrules::IniLineKind::Ignored, "any other line is ignored");
}

void CheckUtf8(const std::string& s) {
    textrules::Utf8Decoder decoder;
    std::u16string units;
    bool valid = true;
    for (char c : s)
        valid = decoder.Feed(static_cast<unsigned char>(c), &units) && valid;
    valid = decoder.Finish(&units) && valid;
    std::u32string points;
    Check(valid == Utf8CodePoints(s, &points), "the decoder finds UTF-8 valid exactly when it is");
    // Every unit is a character or a whole pair; valid text gives its code points back.
    std::u32string decoded;
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF) {
            Check(i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF,
                  "a high surrogate is followed by a low one");
            decoded += char32_t(0x10000 + ((u - 0xD800) << 10) + (units[++i] - 0xDC00));
        } else {
            Check(u < 0xDC00 || u > 0xDFFF, "no low surrogate stands alone");
            decoded += u;
        }
    }
    Check(!valid || decoded == points, "valid text decodes to its code points");
    Check(valid || decoded.find(U'\uFFFD') != std::u32string::npos, "invalid text shows U+FFFD");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string s(reinterpret_cast<const char*>(data), size);
    CheckTrim(s);
    CheckParseInt(s);
    CheckLine(s);
    CheckUtf8(s);
    // As the import hands lines over: at most 519 characters, cut at a NUL.
    CheckLine(s.substr(0, 519).c_str());
    return 0;
}
