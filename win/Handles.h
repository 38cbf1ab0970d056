// Owning wrappers of the OS handles the program holds: each closes its handle when it goes;
// and the look-up of a library's entry points. Plain Win32, no window framework: the process
// core, the settings store and VN.DLL use it.
#pragma once

#include <windows.h>

#include <utility>

// One handle of the kind Traits describes: Traits::Handle, its empty value, whether a value
// is a handle at all, and how to give it back.
template <class Traits> class CUniqueHandle {
  public:
    typedef typename Traits::Handle Handle;

    CUniqueHandle() : m_h(Traits::Empty()) {}
    explicit CUniqueHandle(Handle h) : m_h(h) {}
    ~CUniqueHandle() { Close(); }
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_h(other.Detach()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept {
        if (this != &other) Attach(other.Detach());
        return *this;
    }

    bool IsValid() const { return Traits::IsValid(m_h); }
    Handle Get() const { return m_h; }
    operator Handle() const { return m_h; }

    // Takes h over; a handle held before is closed first.
    void Attach(Handle h) {
        Close();
        m_h = h;
    }
    // Gives the handle up without closing it.
    Handle Detach() {
        Handle h = m_h;
        m_h = Traits::Empty();
        return h;
    }
    // Closes the handle held, if any. True when there was none or it closed.
    bool Close() {
        if (!Traits::IsValid(m_h)) return true;
        const bool ok = Traits::Close(m_h);
        m_h = Traits::Empty();
        return ok;
    }
    // For a call that returns a handle through a pointer: closes the one held, then lends
    // the slot.
    Handle* Receive() {
        Close();
        return &m_h;
    }

  private:
    Handle m_h;
};

struct KernelHandleTraits {
    typedef HANDLE Handle;
    static Handle Empty() { return nullptr; }
    // Process and thread handles fail as null, snapshots and files as INVALID_HANDLE_VALUE.
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static bool Close(Handle h) { return ::CloseHandle(h) != 0; }
};

struct RegKeyTraits {
    typedef HKEY Handle;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static bool Close(Handle h) { return ::RegCloseKey(h) == ERROR_SUCCESS; }
};

struct ModuleTraits {
    typedef HMODULE Handle;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static bool Close(Handle h) { return ::FreeLibrary(h) != 0; }
};

struct HookTraits {
    typedef HHOOK Handle;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static bool Close(Handle h) { return ::UnhookWindowsHookEx(h) != 0; }
};

template <class T> struct GdiObjectTraits {
    typedef T Handle;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static bool Close(Handle h) { return ::DeleteObject(h) != 0; }
};

// A process, thread, token, event, file or Tool Help snapshot handle.
typedef CUniqueHandle<KernelHandleTraits> CHandle;
// An open registry key.
typedef CUniqueHandle<RegKeyTraits> CKey;
// A loaded library.
typedef CUniqueHandle<ModuleTraits> CLibrary;
// A hook installed with SetWindowsHookEx.
typedef CUniqueHandle<HookTraits> CHook;

// An entry point of a module as the function type T it has; null when the module or the entry
// is missing. Functions newer than the oldest system the program runs on are looked up so.
template <typename T> T ProcAddress(HMODULE hModule, const char* pszName) {
    return hModule ? reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(hModule, pszName)))
                   : nullptr;
}
// A GDI object: bitmap, font, brush, pen.
template <class T> using CGdiObject = CUniqueHandle<GdiObjectTraits<T>>;
