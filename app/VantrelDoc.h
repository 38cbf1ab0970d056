// CVantrelDoc: the document the framework needs; it holds no data.
#pragma once

#include "fw/DocTemplate.h"

class CVantrelDoc : public CDocument {
  public:
    BOOL OnNewDocument() override;
    // Nothing is stored or loaded: a saved document is an empty file.
    void Serialize(HANDLE, bool) override {}
};
