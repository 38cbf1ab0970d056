// CFont: a font that the wrapper owns and deletes when it goes.
#pragma once

#include "win/Handles.h"

class CFont : public CGdiObject<HFONT> {
  public:
    // Makes a font from a description; a font held before is deleted first.
    BOOL CreateFontIndirect(const LOGFONTA* pLogFont) {
        Attach(::CreateFontIndirectA(pLogFont));
        return IsValid() ? TRUE : FALSE;
    }
};
