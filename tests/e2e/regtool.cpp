// regtool: exact registry work for the end-to-end tests. Windows console program; exits 0 on
// success. Every PATH starts with its root: HKCU\ or HKLM\.
//
//   regtool put PATH NAME TYPE HEX   writes a value with RegSetValueExA: TYPE as a number,
//                                    the data as hex digits ("" for no data at all)
//   regtool dump PATH                prints every value below PATH, one per line, sorted:
//                                    subkey TAB name TAB type TAB the stored bytes in hex
//                                    (as the registry holds them, read with the wide call)
//   regtool lock PATH                lets everybody only read PATH and every key below it
//   regtool unlock PATH              gives everybody full access to them again
//   regtool volatile PATH            creates PATH as a volatile key
//   regtool delete PATH              deletes PATH with everything below it
#include "unit/ScratchKey.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::wstring Wide(const std::string& s) {
    std::wstring w(s.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, &w[0], int(w.size()));
    w.resize(n > 0 ? size_t(n - 1) : 0);
    return w;
}

// One line for each value below key, as the dump prints them.
void Dump(HKEY key, std::vector<std::string>* lines) {
    KeyReader reader;
    reader.onValue = [lines](const std::string& sub, const std::string& name, DWORD type,
                             const std::string& data) {
        std::string line = sub + "\t" + name + "\t" + std::to_string(type) + "\t";
        char hex[4];
        for (unsigned char b : data) {
            snprintf(hex, sizeof hex, "%02x", b);
            line += hex;
        }
        lines->push_back(line);
    };
    ReadKeyTree(key, reader, KeyReading::Stored);
}

// Sets the access of a key and of every key below it; the key is reopened for each change.
bool SetTreeAccess(HKEY parent, const std::wstring& name, DWORD dwAccess) {
    HKEY key;
    if (RegOpenKeyExW(parent, name.c_str(), 0, WRITE_DAC | KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    bool ok = true;
    std::vector<std::wstring> children;
    wchar_t child[512];
    for (DWORD i = 0;; ++i) {
        DWORD cch = 512;
        if (RegEnumKeyExW(key, i, child, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.emplace_back(child, cch);
    }
    // Below first when locking, so that the keys can still be opened on the way down.
    for (const std::wstring& c : children)
        ok = SetTreeAccess(key, c, dwAccess) && ok;
    ok = SetEveryoneAccess(key, dwAccess) && ok;
    RegCloseKey(key);
    return ok;
}

void DeleteTree(HKEY parent, const std::wstring& name) {
    HKEY key;
    if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, &key) == ERROR_SUCCESS) {
        for (;;) {
            wchar_t child[512];
            DWORD cch = 512;
            if (RegEnumKeyExW(key, 0, child, &cch, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            DeleteTree(key, child);
            if (RegDeleteKeyW(key, child) != ERROR_SUCCESS) break;
        }
        RegCloseKey(key);
    }
}

// Splits "HKCU\path" or "HKLM\path" into its root and path.
bool SplitRoot(const std::string& full, HKEY* root, std::string* path) {
    const size_t slash = full.find('\\');
    const std::string name = full.substr(0, slash);
    if (slash == std::string::npos || (name != "HKCU" && name != "HKLM")) return false;
    *root = name == "HKCU" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    *path = full.substr(slash + 1);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    HKEY root;
    std::string path;
    if (argc < 3 || !SplitRoot(argv[2], &root, &path)) return 2;
    const std::string cmd = argv[1];
    if (cmd == "put" && argc == 6) {
        std::string hex = argv[5];
        std::vector<BYTE> data;
        for (size_t i = 0; i + 1 < hex.size(); i += 2)
            data.push_back(BYTE(strtoul(hex.substr(i, 2).c_str(), nullptr, 16)));
        HKEY key;
        const LONG rcKey =
            RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
        if (rcKey != ERROR_SUCCESS) {
            fprintf(stderr, "regtool: RegCreateKeyExA: %ld\n", rcKey);
            return 1;
        }
        const LONG rc = RegSetValueExA(key, argv[3], 0, DWORD(strtoul(argv[4], nullptr, 10)),
                                       data.empty() ? nullptr : data.data(), DWORD(data.size()));
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS) fprintf(stderr, "regtool: RegSetValueExA: %ld\n", rc);
        return rc == ERROR_SUCCESS ? 0 : 1;
    }
    if (cmd == "dump") {
        HKEY key;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 1;
        std::vector<std::string> lines;
        Dump(key, &lines);
        RegCloseKey(key);
        std::sort(lines.begin(), lines.end());
        for (const std::string& line : lines)
            printf("%s\n", line.c_str());
        return 0;
    }
    if (cmd == "lock" || cmd == "unlock")
        return SetTreeAccess(root, Wide(path),
                             cmd == "lock" ? KEY_READ | WRITE_DAC | DELETE : KEY_ALL_ACCESS)
                   ? 0
                   : 1;
    if (cmd == "volatile") {
        HKEY key;
        if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE, nullptr,
                            &key, nullptr) != ERROR_SUCCESS)
            return 1;
        RegCloseKey(key);
        return 0;
    }
    if (cmd == "delete") {
        DeleteTree(root, Wide(path));
        return RegDeleteKeyA(root, path.c_str()) == ERROR_SUCCESS ? 0 : 1;
    }
    return 2;
}
