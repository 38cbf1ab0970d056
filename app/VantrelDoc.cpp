#include "app/VantrelDoc.h"

BOOL CVantrelDoc::OnNewDocument() {
    return CDocument::OnNewDocument() ? TRUE : FALSE;
}
