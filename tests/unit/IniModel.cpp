#include "unit/IniModel.h"
#include "settings/RegSettings.h"
#include "unit/ScratchKey.h"
#include "unit/Utf8Reference.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace inimodel {

namespace {

std::wstring Wide(UINT codePage, const std::string& text) {
    if (text.empty()) return std::wstring();
    std::wstring wide(text.size() + 1, L'\0');
    int n =
        MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), &wide[0], int(wide.size()));
    wide.resize(n > 0 ? size_t(n) : 0);
    return wide;
}

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    std::string utf8(wide.size() * 3 + 1, '\0');
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), &utf8[0],
                                int(utf8.size()), nullptr, nullptr);
    utf8.resize(n > 0 ? size_t(n) : 0);
    return utf8;
}

// The registry compares names without regard to case, in Unicode.
std::wstring Fold(std::wstring wide) {
    if (!wide.empty()) CharUpperBuffW(&wide[0], DWORD(wide.size()));
    return wide;
}
// Text of an ANSI file is in the ANSI code page, of the others already UTF-16.
std::wstring Unicode(const std::string& ansi) {
    return Wide(CP_ACP, ansi);
}
const std::wstring& Unicode(const std::wstring& wide) {
    return wide;
}
bool IsHighSurrogate(char) {
    return false;
}
bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

// White space as C's isspace knows it in the "C" locale.
template <class Ch> bool Space(Ch c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

template <class Str> Str Stripped(const Str& s) {
    size_t b = 0, e = s.size();
    while (b < e && Space(s[b]))
        ++b;
    while (e > b && Space(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// The longest key name the registry takes: 255 characters on Windows, 256 under Wine. It is
// the registry's rule, not the import's, so it is asked of the registry once.
size_t LongestKeyName() {
    static size_t s_nLongest = 0;
    if (!s_nLongest) {
        ScratchKey scratch;
        HKEY key;
        s_nLongest = 255;
        if (RegCreateKeyExA(scratch.Root(), scratch.Path().c_str(), 0, nullptr, 0, KEY_WRITE,
                            nullptr, &key, nullptr) == ERROR_SUCCESS) {
            HKEY child;
            if (RegCreateKeyExA(key, std::string(256, 'n').c_str(), 0, nullptr, 0, KEY_WRITE,
                                nullptr, &child, nullptr) == ERROR_SUCCESS) {
                s_nLongest = 256;
                RegCloseKey(child);
            }
            RegCloseKey(key);
        }
    }
    return s_nLongest;
}

// Where a section's key goes, or false when it cannot be created: a name that starts with a
// backslash, or with a part longer than a key name may be.
template <class Str> bool SectionPath(const Str& name, std::vector<Str>* parts) {
    parts->clear();
    if (name.empty()) return true; // the base key itself
    if (name[0] == '\\') return false;
    size_t start = 0;
    for (;;) {
        size_t slash = name.find('\\', start);
        Str part = name.substr(start, slash == Str::npos ? slash : slash - start);
        if (part.size() > LongestKeyName()) return false;
        if (!part.empty()) parts->push_back(part);
        if (slash == Str::npos) break;
        start = slash + 1;
    }
    return true;
}

// The text as the file's text-mode reading hands it over: a Ctrl+Z ends the file, and a
// CR directly before an LF is dropped.
template <class Str> Str TextMode(const Str& bytes) {
    Str text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\x1A') break;
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    return text;
}

// A file's text in one piece after another, each line of it in reads of at most 519
// characters, by the rules of the import; Str holds bytes of an ANSI file, else UTF-16.
template <class Str> Tree ExpectedFrom(const Str& whole) {
    Tree tree;
    tree.keys[L""];
    const Str text = TextMode(whole);
    bool haveSection = false;
    std::wstring current;
    size_t pos = 0;
    while (pos < text.size()) {
        // One read: at most 519 characters, up to and including a line break; a character of
        // two UTF-16 halves is not cut in two.
        size_t end = pos;
        while (end < text.size() && end - pos < 519) {
            if (end - pos == 518 && IsHighSurrogate(text[end])) break;
            if (text[end++] == '\n') break;
        }
        Str line = text.substr(pos, end - pos);
        pos = end;
        line = line.substr(0, line.find(typename Str::value_type(0))); // a C string
        line = Stripped(line);

        // "[" first, "]" last, and no other "]".
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']' &&
            line.find(']') == line.size() - 1) {
            std::vector<Str> parts;
            if (!SectionPath(Stripped(line.substr(1, line.size() - 2)), &parts)) break;
            current.clear();
            for (const Str& part : parts) {
                if (!current.empty()) current += L'\\';
                current += Fold(Unicode(part));
                tree.keys[current];
            }
            haveSection = true;
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == Str::npos || !haveSection) continue;
        tree.keys[current][Fold(Unicode(line.substr(0, eq)))] =
            Narrow(Unicode(line.substr(eq + 1)));
    }
    return tree;
}

} // namespace

Tree Expected(const std::string& bytes) {
    if (bytes.compare(0, 2, "\xFF\xFE") == 0) {
        std::wstring units;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            units += wchar_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8);
        if (bytes.size() % 2) units += L'\xFFFD';
        return ExpectedFrom(units);
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return ExpectedFrom(Wide(CP_UTF8, bytes.substr(3)));
    bool high = false;
    for (char c : bytes)
        high = high || (c & 0x80);
    std::u32string points;
    if (high && Utf8CodePoints(bytes, &points)) return ExpectedFrom(Wide(CP_UTF8, bytes));
    return ExpectedFrom(bytes);
}

Tree Read(HKEY root, const std::string& path) {
    Tree tree;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        tree.badValues[L"\\"] = "the key cannot be opened";
        return tree;
    }
    // Values come right after their key: the key's folded path is worked out once.
    std::wstring rel;
    std::map<std::wstring, std::string>* values = nullptr;
    KeyReader reader;
    reader.onKey = [&](const std::string& sub) {
        rel = Fold(Wide(CP_UTF8, sub));
        values = &tree.keys[rel];
    };
    reader.onValue = [&](const std::string&, const std::string& name, DWORD type,
                         const std::string& data) {
        const std::wstring folded = Fold(Wide(CP_UTF8, name));
        std::wstring text(data.size() / 2, L'\0');
        if (!text.empty()) memcpy(&text[0], data.data(), text.size() * 2);
        if (type != REG_SZ || data.size() % 2 || text.empty() || text.back() != L'\0')
            tree.badValues[rel + L"\\" + folded] = data;
        else
            text.pop_back();
        (*values)[folded] = Narrow(text);
    };
    reader.onUnopened = [&](const std::string& sub, const std::string& child) {
        tree.badValues[Fold(Wide(CP_UTF8, sub + "\\" + child)) + L"\\"] = "cannot be opened";
    };
    ReadKeyTree(key, reader, KeyReading::Stored);
    RegCloseKey(key);
    return tree;
}

std::string Escape(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c >= 0x20 && c < 0x7F) {
            out += char(c);
        } else {
            char hex[8];
            snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string Difference(const Tree& expected, const Tree& actual) {
    if (!actual.badValues.empty())
        return "not NUL-terminated REG_SZ text, or a key that cannot be read: " +
               Escape(Narrow(actual.badValues.begin()->first));
    for (const auto& key : expected.keys) {
        auto found = actual.keys.find(key.first);
        if (found == actual.keys.end()) return "key missing: [" + Escape(Narrow(key.first)) + "]";
        for (const auto& value : key.second) {
            auto v = found->second.find(value.first);
            const std::string where =
                "[" + Escape(Narrow(key.first)) + "] " + Escape(Narrow(value.first)) + ": ";
            if (v == found->second.end()) return where + "value missing";
            if (v->second != value.second)
                return where + "'" + Escape(v->second) + "' instead of '" + Escape(value.second) +
                       "'";
        }
        for (const auto& value : found->second)
            if (!key.second.count(value.first))
                return "[" + Escape(Narrow(key.first)) + "] " + Escape(Narrow(value.first)) +
                       ": value that should not be there";
    }
    for (const auto& key : actual.keys)
        if (!expected.keys.count(key.first))
            return "key that should not be there: [" + Escape(Narrow(key.first)) + "]";
    return "";
}

namespace {

class Generator {
  public:
    explicit Generator(uint32_t seed) : m_rng(seed) {}

    std::string File() {
        std::string out;
        const int nLines = Below(45);
        for (int i = 0; i < nLines; ++i) {
            out += Line();
            out += LineEnd();
        }
        // Rarely, a file-ending Ctrl+Z somewhere, and bytes after it.
        if (Chance(3))
            out.insert(Below(int(out.size()) + 1), "\x1A"
                                                   "[After]\nx=1\n");
        return Chance(20) ? Encoded(out) : out;
    }

  private:
    int Below(int n) { return n <= 0 ? 0 : int(m_rng() % unsigned(n)); }
    bool Chance(int percent) { return Below(100) < percent; }
    char Pick(const char* set) { return set[Below(int(strlen(set)))]; }

    char NameChar() {
        const int r = Below(100);
        if (r < 55) return Pick("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
        if (r < 70) return Pick("0123456789_-.");
        if (r < 78) return ' ';
        if (r < 86) return char(0x80 + Below(0x80)); // high-bit bytes
        if (r < 90) return Pick("\t\v\f\r");
        if (r < 94) return Pick(";#'\"!$%&()*+,/:<>?@^`{|}~\\");
        if (r < 97) return char(1 + Below(0x1F)); // control bytes (never LF: see Line)
        return Pick("[]=");
    }
    std::string Text(int maxLen) {
        std::string s;
        for (int n = Below(maxLen + 1); n > 0; --n) {
            char c = NameChar();
            if (c == '\n' || c == '\x1A') c = 'n';
            s += c;
        }
        return s;
    }
    // A key name made of parts, sometimes with backslashes, "." and "..", and no empty part
    // after the first.
    std::string SectionName() {
        const int r = Below(100);
        if (r < 4) return "";
        if (r < 7) return "\\" + Text(8);                      // cannot be created
        if (r < 10) return std::string(257 + Below(200), 'L'); // too long to be created
        if (r < 12) return std::string(240 + Below(16), 'M');  // long, but fits
        if (r < 30) {
            std::string name;
            for (int parts = 1 + Below(4); parts > 0; --parts) {
                std::string part = Chance(25) ? (Chance(50) ? ".." : ".") : NoSlash(Text(10));
                if (Stripped(part).empty()) part = "p";
                if (!name.empty()) name += '\\';
                name += part;
            }
            return name;
        }
        return NoSlash(Text(14));
    }
    static std::string NoSlash(std::string s) {
        for (char& c : s)
            if (c == '\\') c = '/';
        return s;
    }
    std::string Blanks() {
        std::string s;
        for (int n = Below(3); n > 0; --n)
            s += Pick(" \t\v\f");
        return s;
    }
    std::string Line() {
        const int r = Below(100);
        if (r < 18) return Blanks() + "[" + Blanks() + SectionName() + Blanks() + "]" + Blanks();
        if (r < 60) return Blanks() + Text(12) + "=" + Text(20) + Blanks();
        if (r < 66) return Text(600) + (Chance(50) ? "=" + Text(500) : "");       // long, split
        if (r < 70) return "=" + Text(6);                                         // empty name
        if (r < 73) return Text(6) + "=";                                         // empty value
        if (r < 78) return Pick("[]") + Text(8) + "=" + Text(8) + Pick("[]");     // brackets
        if (r < 82) return "[" + Text(6) + "]" + Text(4) + "=" + Text(4);         // text after "]"
        if (r < 85) return "[" + Text(6) + "]]";                                  // two "]"
        if (r < 88) return std::string(Text(5) + '\0' + Text(5) + "=" + Text(5)); // NUL inside
        if (r < 91) return ";" + Text(8) + (Chance(50) ? "=" + Text(4) : "");
        if (r < 95) return Blanks();
        return Text(30);
    }
    std::string LineEnd() {
        const int r = Below(100);
        if (r < 45) return "\n";
        if (r < 85) return "\r\n";
        if (r < 89) return "\r";
        if (r < 92) return "\r\r\n";
        if (r < 95) return "\n\r";
        if (r < 97) return "\n\n\n";
        return ""; // two lines run together
    }

    // The same lines in UTF-8 (with or without its mark) or UTF-16 LE with its mark, with
    // letters of other scripts, some beyond U+FFFF, where the bytes are high.
    std::string Encoded(const std::string& ansi) {
        static const char32_t kLetters[] = {U'é',  U'Ä',  U'ß', U'ж', U'Ж', U'游',
                                            U'戏', U'音', U'Ω', U'😀', U'𝄞'};
        std::wstring wide;
        for (char c : ansi) {
            const char32_t cp = uint8_t(c) < 0x80 ? char32_t(uint8_t(c)) : kLetters[Below(11)];
            if (cp >= 0x10000) {
                wide += wchar_t(0xD800 + ((cp - 0x10000) >> 10));
                wide += wchar_t(0xDC00 + (cp & 0x3FF));
            } else {
                wide += wchar_t(cp);
            }
        }
        const int r = Below(3);
        if (r < 2) return (r == 0 ? "\xEF\xBB\xBF" : "") + Narrow(wide);
        std::string out = "\xFF\xFE";
        for (wchar_t u : wide) {
            out += char(u & 0xFF);
            out += char(u >> 8);
        }
        return out;
    }

    std::mt19937 m_rng;
};

} // namespace

std::string RandomFile(uint32_t seed) {
    return Generator(seed).File();
}

namespace {
// The name of a key's one subkey; "" when it has none, "<several>" when it has more.
std::string OnlySubkey(const ScratchKey& scratch) {
    HKEY key;
    if (RegOpenKeyExA(scratch.Root(), scratch.Path().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "";
    char name[512];
    DWORD len = sizeof name;
    std::string result;
    if (RegEnumKeyExA(key, 0, name, &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        result.assign(name, len);
    len = sizeof name;
    if (RegEnumKeyExA(key, 1, name, &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        result = "<several>";
    RegCloseKey(key);
    return result;
}
} // namespace

std::string RunRounds(int nFiles, uint32_t seed) {
    ScratchKey scratch;
    const std::string basePath = scratch.Path() + "\\Base";
    char dir[MAX_PATH], file[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "ini", 0, file);
    CRegSettings store;
    std::string failure;
    for (int i = 0; i < nFiles && failure.empty(); ++i) {
        const uint32_t fileSeed = seed + uint32_t(i);
        const std::string bytes = RandomFile(fileSeed);
        FILE* f = fopen(file, "wb");
        if (!f) return "cannot write the INI file";
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);

        HKEY hBase;
        if (RegCreateKeyExA(scratch.Root(), basePath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            &hBase, nullptr) != ERROR_SUCCESS)
            return "cannot create the base key";
        store.ImportIniPath(hBase, file);
        RegCloseKey(hBase);

        std::string diff = Difference(Expected(bytes), Read(scratch.Root(), basePath));
        // Nothing beside the base key: its parent holds the base key alone and no value.
        if (diff.empty() && (scratch.ValueCount() != 0 || OnlySubkey(scratch) != "Base"))
            diff = "written outside the base key";
        if (!diff.empty()) {
            char head[96];
            snprintf(head, sizeof head,
                     "file with seed %lu: ", static_cast<unsigned long>(fileSeed));
            failure = head + diff + "\nfile: " + Escape(bytes);
        }
        DeleteKeyTree(scratch.Root(), basePath);
    }
    DeleteFileA(file);
    return failure;
}

int CountFromEnvironment(const char* pszName, int nDefault) {
    const char* text = getenv(pszName);
    const int n = text ? atoi(text) : 0;
    return n > 0 ? n : nDefault;
}

} // namespace inimodel
