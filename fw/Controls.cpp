#include "fw/Controls.h"

std::string CListBox::GetText(int nIndex) const {
    LRESULT len = SendMessage(LB_GETTEXTLEN, WPARAM(nIndex));
    if (len == LB_ERR) return std::string();
    std::string text(size_t(len) + 1, '\0');
    len = SendMessage(LB_GETTEXT, WPARAM(nIndex), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(len == LB_ERR ? 0 : size_t(len));
    return text;
}
