#include "settings/IniFile.h"
#include "win/Utf8.h"

bool CIniFile::Open(const std::string& strPath) {
    m_file = storecalls::OpenFile(strPath, "rb");
    if (!m_file) return false;
    unsigned char bom[3] = {};
    const size_t nRead = fread(bom, 1, sizeof bom, m_file.get());
    if (nRead >= 2 && bom[0] == 0xFF && bom[1] == 0xFE) {
        m_encoding = Encoding::Utf16;
        return fseek(m_file.get(), 2, SEEK_SET) == 0;
    }
    if (nRead == 3 && bom[0] == 0xEF && bom[1] == 0xBB && bom[2] == 0xBF) {
        m_encoding = Encoding::Utf8;
        return true;
    }
    rewind(m_file.get());
    if (IsValidUtf8WithHighBytes()) {
        m_encoding = Encoding::Utf8;
        rewind(m_file.get());
        return true;
    }
    // Text in the ANSI code page, read by the C library's text mode as it always was.
    m_file = storecalls::OpenFile(strPath, "rt");
    return m_file != nullptr;
}

bool CIniFile::IsValidUtf8WithHighBytes() {
    textrules::Utf8Decoder decoder;
    std::u16string ignored;
    bool bHigh = false;
    for (int c; (c = getc(m_file.get())) != EOF; ignored.clear()) {
        bHigh = bHigh || c >= 0x80;
        if (!decoder.Feed(static_cast<unsigned char>(c), &ignored)) return false;
    }
    return decoder.Finish(&ignored) && bHigh;
}

bool CIniFile::NextUnit(char16_t* pUnit) {
    while (m_next == m_units.size() && !m_bEnded) {
        m_units.clear();
        m_next = 0;
        if (m_encoding == Encoding::Utf16) {
            unsigned char pair[2];
            const size_t nRead = fread(pair, 1, 2, m_file.get());
            if (nRead == 2) m_units += char16_t(pair[0] | pair[1] << 8);
            if (nRead == 1) m_units += u'\uFFFD'; // half a character at the end
            m_bEnded = nRead < 2;
        } else {
            const int c = getc(m_file.get());
            if (c == EOF) {
                m_decoder.Finish(&m_units);
                m_bEnded = true;
            } else {
                m_decoder.Feed(static_cast<unsigned char>(c), &m_units);
            }
        }
    }
    if (m_next == m_units.size()) return false;
    // A Ctrl+Z ends the text, as it ends an ANSI file read in text mode.
    if (m_units[m_next] == 0x1A) {
        m_units.clear();
        m_next = 0;
        m_bEnded = true;
        return false;
    }
    *pUnit = m_units[m_next++];
    return true;
}

bool CIniFile::ReadPiece(std::string* pPiece) {
    if (m_encoding == Encoding::Ansi) {
        char line[textrules::kIniPieceChars + 1];
        if (!fgets(line, sizeof line, m_file.get())) return false;
        *pPiece = line; // a NUL byte ends the text there, as it would for any C string
        return true;
    }
    // The text-mode rule that drops a CR right before an LF is not needed here: such a CR
    // always ends its piece's text, and trimming takes it off with the line end either way.
    std::wstring piece;
    char16_t unit = 0;
    while (piece.size() < textrules::kIniPieceChars && NextUnit(&unit)) {
        // The two halves of a character beyond U+FFFF stay in one piece.
        if (unit >= 0xD800 && unit <= 0xDBFF && piece.size() + 1 == textrules::kIniPieceChars) {
            --m_next; // it starts the next piece
            break;
        }
        piece += wchar_t(unit);
        if (unit == u'\n') break;
    }
    if (piece.empty()) return false;
    *pPiece = Utf8FromWide(piece.c_str()); // up to the first NUL
    return true;
}
