// An INI file as the import reads it: a line at a time in pieces of at most 519 characters,
// by the C library's text-mode rules (a Ctrl+Z ends the file, a CR right before an LF is
// dropped), each piece up to its first NUL. The encoding is decided once: a UTF-16 LE byte
// order mark makes it UTF-16, a UTF-8 one UTF-8; else valid UTF-8 with at least one byte of
// 0x80 or above is UTF-8, and anything else ANSI. ANSI files are read by the C library itself,
// the others by the same rules on their characters.
#pragma once

#include "settings/StoreCalls.h"
#include "settings/TextRules.h"

#include <string>

class CIniFile {
  public:
    enum class Encoding { Ansi, Utf8, Utf16 };

    // Opens the file and decides its encoding once. False when it cannot be read.
    bool Open(const std::string& strPath);
    Encoding GetEncoding() const { return m_encoding; }
    // The next piece: its bytes for an ANSI file, else UTF-8. False at the end.
    bool ReadPiece(std::string* pPiece);

  private:
    // The next UTF-16 unit of the text; false at its end.
    bool NextUnit(char16_t* pUnit);
    bool IsValidUtf8WithHighBytes();

    storecalls::CFile m_file{nullptr, fclose};
    Encoding m_encoding = Encoding::Ansi;
    textrules::Utf8Decoder m_decoder;
    std::u16string m_units; // decoded and not yet taken from m_next on
    size_t m_next = 0;
    bool m_bEnded = false;
};
