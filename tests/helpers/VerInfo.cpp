// verinfo: reads what a Windows file says about itself, through the system's own APIs, for
// the download's tests. Works on 32-bit and 64-bit files alike: nothing is run.
//
//   verinfo version FILE    the version resource (GetFileVersionInfoA / VerQueryValueA):
//                           fixed=a.b.c.d, product=a.b.c.d, type=app|dll|other, then
//                           Name=value for each string of the first translation
//   verinfo machine FILE    i386 or amd64, from the PE header
//   verinfo manifest FILE   the text of manifest resource 1 (type 24)
//
// Exit status 0 on success, 1 when the file lacks what was asked for.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

int Version(const char* file) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(file, &handle);
    if (!size) return 1;
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(file, 0, size, data.data())) return 1;

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &len) ||
        len < sizeof *fixed || fixed->dwSignature != 0xFEEF04BD)
        return 1;
    auto quad = [](const char* label, DWORD ms, DWORD ls) {
        printf("%s=%u.%u.%u.%u\n", label, unsigned(HIWORD(ms)), unsigned(LOWORD(ms)),
               unsigned(HIWORD(ls)), unsigned(LOWORD(ls)));
    };
    quad("fixed", fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    quad("product", fixed->dwProductVersionMS, fixed->dwProductVersionLS);
    printf("type=%s\n", fixed->dwFileType == VFT_APP   ? "app"
                        : fixed->dwFileType == VFT_DLL ? "dll"
                                                       : "other");

    struct Translation {
        WORD language, codePage;
    }* tr = nullptr;
    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&tr),
                        &len) ||
        len < sizeof *tr)
        return 1;
    printf("translation=%04x%04x\n", unsigned(tr->language), unsigned(tr->codePage));
    static const char* const names[] = {"CompanyName",  "FileDescription", "FileVersion",
                                        "InternalName", "LegalCopyright",  "OriginalFilename",
                                        "ProductName",  "ProductVersion"};
    for (const char* name : names) {
        char path[128];
        snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", unsigned(tr->language),
                 unsigned(tr->codePage), name);
        char* value = nullptr;
        if (VerQueryValueA(data.data(), path, reinterpret_cast<void**>(&value), &len) && value)
            printf("%s=%s\n", name, value);
    }
    return 0;
}

int Machine(const char* file) {
    HANDLE h = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 1;
    IMAGE_DOS_HEADER dos = {};
    IMAGE_FILE_HEADER header = {};
    DWORD signature = 0, got = 0;
    bool ok = ReadFile(h, &dos, sizeof dos, &got, nullptr) && got == sizeof dos &&
              dos.e_magic == IMAGE_DOS_SIGNATURE &&
              SetFilePointer(h, dos.e_lfanew, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
              ReadFile(h, &signature, sizeof signature, &got, nullptr) && got == sizeof signature &&
              signature == IMAGE_NT_SIGNATURE &&
              ReadFile(h, &header, sizeof header, &got, nullptr) && got == sizeof header;
    CloseHandle(h);
    if (!ok) return 1;
    printf("%s\n", header.Machine == IMAGE_FILE_MACHINE_I386    ? "i386"
                   : header.Machine == IMAGE_FILE_MACHINE_AMD64 ? "amd64"
                                                                : "other");
    return 0;
}

int Manifest(const char* file) {
    HMODULE h = LoadLibraryExA(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!h) return 1;
    int rc = 1;
    if (HRSRC res = FindResourceA(h, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
        const char* text = static_cast<const char*>(LockResource(LoadResource(h, res)));
        if (text) {
            fwrite(text, 1, SizeofResource(h, res), stdout);
            printf("\n");
            rc = 0;
        }
    }
    FreeLibrary(h);
    return rc;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "version") == 0) return Version(argv[2]);
    if (argc == 3 && strcmp(argv[1], "machine") == 0) return Machine(argv[2]);
    if (argc == 3 && strcmp(argv[1], "manifest") == 0) return Manifest(argv[2]);
    fprintf(stderr, "usage: verinfo version|machine|manifest FILE\n");
    return 2;
}
