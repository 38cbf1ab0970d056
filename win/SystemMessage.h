// The system's message for an error code, as UTF-8 in one line.
#pragma once

#include "win/Utf8.h"

#include <windows.h>

#include <string>

// The message without its line break and closing full stop; "Error N" when the system has none.
// The 95/98/Me family has only the ANSI call.
inline std::string SystemMessage(DWORD dwError) {
    const DWORD dwFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    wchar_t wide[512] = L"";
    std::string message;
    if (const DWORD cch = FormatMessageW(dwFlags, nullptr, dwError, 0, wide, 512, nullptr)) {
        message = Utf8FromWide(wide, int(cch));
    } else {
        char ansi[512] = "";
        const DWORD cb = FormatMessageA(dwFlags, nullptr, dwError, 0, ansi, sizeof ansi, nullptr);
        message = Utf8FromAnsi(std::string(ansi, cb < sizeof ansi ? cb : 0));
    }
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message.empty() ? "Error " + std::to_string(dwError) : message;
}
