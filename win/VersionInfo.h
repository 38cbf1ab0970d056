// Who made a program file, as its version resource says. Plain Win32.
#pragma once

#include <string>

// Reads the company and product names of a file's version resource (in its first language) as
// "COMPANY\nPRODUCT" into *pIdentity; "" for a file that has no version resource. False when
// the file cannot be read at all (missing, access denied, or a system without the wide calls).
bool ReadProductIdentity(const std::string& path, std::string* pIdentity);

// The size of a file in bytes; ~0 when it cannot be learnt.
unsigned long long FileSizeOf(const std::string& path);
