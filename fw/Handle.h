// Owning handles and scope classes for Win32 resources. Copying is deleted everywhere.
#pragma once

#include <windows.h>

#include <utility>

namespace fw {

// One move-only owner, parameterised by traits: the handle type, its null value, its close.
template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;
    UniqueHandle() = default;
    explicit UniqueHandle(Type handle) : m_handle(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Type get() const { return m_handle; }
    explicit operator bool() const { return m_handle != Traits::null(); }
    Type release() { return std::exchange(m_handle, Traits::null()); }
    void reset(Type handle = Traits::null()) {
        if (m_handle != Traits::null())
            Traits::close(m_handle);
        m_handle = handle;
    }

private:
    Type m_handle = Traits::null();
};

template <typename T, typename Close, Close close_, T null_ = nullptr>
struct HandleTraits {
    using Type = T;
    static Type null() { return null_; }
    static void close(Type handle) { close_(handle); }
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type null() { return INVALID_HANDLE_VALUE; }
    static void close(Type handle) { CloseHandle(handle); }
};

struct GdiObjectTraits {
    using Type = HGDIOBJ;
    static Type null() { return nullptr; }
    static void close(Type handle) { DeleteObject(handle); }
};

using UniqueFile = UniqueHandle<KernelHandleTraits>;  // CreateFile results: INVALID_HANDLE_VALUE
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
using UniqueGlobal = UniqueHandle<HandleTraits<HGLOBAL, decltype(&GlobalFree), &GlobalFree>>;
using UniqueIcon = UniqueHandle<HandleTraits<HICON, decltype(&DestroyIcon), &DestroyIcon>>;
using UniqueMenu = UniqueHandle<HandleTraits<HMENU, decltype(&DestroyMenu), &DestroyMenu>>;
using UniqueHook = UniqueHandle<HandleTraits<HHOOK, decltype(&UnhookWindowsHookEx), &UnhookWindowsHookEx>>;
using UniqueModule = UniqueHandle<HandleTraits<HMODULE, decltype(&FreeLibrary), &FreeLibrary>>;

// GetDC/ReleaseDC: keeps the window the DC belongs to.
class WindowDc {
public:
    explicit WindowDc(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    ~WindowDc() {
        if (m_dc)
            ReleaseDC(m_window, m_dc);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// GlobalLock/GlobalUnlock.
class GlobalLockScope {
public:
    explicit GlobalLockScope(HGLOBAL memory) : m_memory(memory), m_data(memory ? GlobalLock(memory) : nullptr) {}
    ~GlobalLockScope() {
        if (m_data)
            GlobalUnlock(m_memory);
    }
    GlobalLockScope(const GlobalLockScope&) = delete;
    GlobalLockScope& operator=(const GlobalLockScope&) = delete;
    void* data() const { return m_data; }
    SIZE_T size() const { return m_data ? GlobalSize(m_memory) : 0; }

private:
    HGLOBAL m_memory;
    void* m_data;
};

// OpenClipboard/CloseClipboard. Other programs hold the clipboard open for a moment when it
// changes (every viewer reads it), so opening is retried briefly before it counts as failed.
class ClipboardScope {
public:
    explicit ClipboardScope(HWND owner, int attempts = 20, DWORD pauseMs = 10) {
        for (int i = 0; i < attempts && !m_open; ++i) {
            m_open = OpenClipboard(owner) != 0;
            if (!m_open && i + 1 < attempts)
                Sleep(pauseMs);
        }
    }
    ~ClipboardScope() { close(); }
    ClipboardScope(const ClipboardScope&) = delete;
    ClipboardScope& operator=(const ClipboardScope&) = delete;
    bool isOpen() const { return m_open; }
    // Closes early; the result of CloseClipboard.
    bool close() {
        if (!m_open)
            return false;
        m_open = false;
        return CloseClipboard() != 0;
    }

private:
    bool m_open = false;
};

}  // namespace fw
