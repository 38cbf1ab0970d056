// Property test of the INI import: random files, imported for real into scratch keys, compared
// with a small model of the import rules written here, apart from the program's own parsing.
#pragma once

#include <windows.h>
#include <cstdint>
#include <map>
#include <string>

namespace inimodel {

// A registry tree as the comparison sees it: key paths below the base key ("" is the base
// itself) and, per key, value names to their text in UTF-8. Names are folded to upper case the
// way the registry compares them, so that two spellings of one name are one entry.
struct Tree {
    std::map<std::wstring, std::map<std::wstring, std::string>> keys;
    // Values whose type or terminating NUL was wrong, as "path\name".
    std::map<std::wstring, std::string> badValues;
};

// What the import rules say a file turns into.
Tree Expected(const std::string& bytes);

// The tree below root\path as the registry holds it.
Tree Read(HKEY root, const std::string& path);

// A random INI file: sections and entries with odd names, long and split lines, every kind of
// line end, NUL and high-bit bytes, brackets and "=" in odd places, empty names, backslashes,
// "." and "..". A fifth of them in UTF-8 or UTF-16 with letters of other scripts.
std::string RandomFile(uint32_t seed);

// The first difference between two trees, or "" when they are the same.
std::string Difference(const Tree& expected, const Tree& actual);

// The bytes in a readable form for failure messages.
std::string Escape(const std::string& bytes);

// Imports nFiles random files (seeds seed, seed + 1, ...) into scratch keys and compares each
// with the model. Returns "" when every file matched, else a description of the first one that
// did not. Also checks that nothing appears beside the base key.
std::string RunRounds(int nFiles, uint32_t seed);

// A count from the environment variable, or the default.
int CountFromEnvironment(const char* pszName, int nDefault);

} // namespace inimodel
