// CFont: one font handle that the wrapper owns and deletes.
#pragma once

#include <windows.h>

class CFont {
  public:
    CFont() : m_hObject(nullptr) {}
    ~CFont() { DeleteObject(); }
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    // Makes a font from a description; a font held before is deleted first.
    BOOL CreateFontIndirect(const LOGFONTA* pLogFont) {
        DeleteObject();
        m_hObject = ::CreateFontIndirectA(pLogFont);
        return m_hObject ? TRUE : FALSE;
    }
    // Deletes the font held, if any; the wrapper is empty afterwards.
    BOOL DeleteObject() {
        if (!m_hObject) return FALSE;
        BOOL ok = ::DeleteObject(m_hObject);
        m_hObject = nullptr;
        return ok;
    }
    HFONT GetSafeHandle() const { return m_hObject; }
    operator HFONT() const { return m_hObject; }

    HFONT m_hObject;
};
