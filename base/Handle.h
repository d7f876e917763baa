// Owning handles and scope classes for Win32 resources. Copying is deleted everywhere.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace base {

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

// Every GDI object kind is freed with DeleteObject.
template <typename T>
struct GdiObjectTraits {
    using Type = T;
    static Type null() { return nullptr; }
    static void close(Type handle) { DeleteObject(handle); }
};

struct FindTraits {
    using Type = HANDLE;
    static Type null() { return INVALID_HANDLE_VALUE; }
    static void close(Type handle) { FindClose(handle); }
};

struct RegistryKeyTraits {
    using Type = HKEY;
    static Type null() { return nullptr; }
    static void close(Type handle) { RegCloseKey(handle); }
};

using UniqueFile = UniqueHandle<KernelHandleTraits>;  // CreateFile results: INVALID_HANDLE_VALUE
using UniqueFind = UniqueHandle<FindTraits>;        // FindFirstFile results: INVALID_HANDLE_VALUE
using UniqueKernelObject = UniqueHandle<HandleTraits<HANDLE, decltype(&CloseHandle), &CloseHandle>>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits<HGDIOBJ>>;
using UniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using UniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using UniquePen = UniqueHandle<GdiObjectTraits<HPEN>>;
using UniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueRegion = UniqueHandle<GdiObjectTraits<HRGN>>;
using UniqueMemoryDc = UniqueHandle<HandleTraits<HDC, decltype(&DeleteDC), &DeleteDC>>;
using UniqueRegistryKey = UniqueHandle<RegistryKeyTraits>;
using UniqueImageList = UniqueHandle<HandleTraits<HIMAGELIST, decltype(&ImageList_Destroy), &ImageList_Destroy>>;
using UniqueCursor = UniqueHandle<HandleTraits<HCURSOR, decltype(&DestroyCursor), &DestroyCursor>>;
using UniqueGlobal = UniqueHandle<HandleTraits<HGLOBAL, decltype(&GlobalFree), &GlobalFree>>;
using UniqueIcon = UniqueHandle<HandleTraits<HICON, decltype(&DestroyIcon), &DestroyIcon>>;
using UniqueMenu = UniqueHandle<HandleTraits<HMENU, decltype(&DestroyMenu), &DestroyMenu>>;
using UniqueHook = UniqueHandle<HandleTraits<HHOOK, decltype(&UnhookWindowsHookEx), &UnhookWindowsHookEx>>;
using UniqueWinEventHook = UniqueHandle<HandleTraits<HWINEVENTHOOK, decltype(&UnhookWinEvent), &UnhookWinEvent>>;
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

// SelectPalette + RealizePalette, and the previous palette selected back (in the background).
class PaletteScope {
public:
    PaletteScope(HDC dc, HPALETTE palette) : m_dc(dc), m_previous(SelectPalette(dc, palette, FALSE)) {
        RealizePalette(dc);
    }
    ~PaletteScope() {
        if (m_previous) {
            SelectPalette(m_dc, m_previous, TRUE);
            RealizePalette(m_dc);
        }
    }
    PaletteScope(const PaletteScope&) = delete;
    PaletteScope& operator=(const PaletteScope&) = delete;

private:
    HDC m_dc;
    HPALETTE m_previous;
};

// SelectObject, with the previously selected object put back at the end of the scope. Declare
// the owned object before the scope, so that it is deselected before it is deleted.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectScope() {
        if (m_previous)
            SelectObject(m_dc, m_previous);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// CreateCompatibleDC/DeleteDC, with the object the DC held at first selected back before it
// goes (a DC must not be deleted with our bitmap in it). Move-only.
class MemoryDc {
public:
    MemoryDc() = default;
    explicit MemoryDc(HDC like) : m_dc(CreateCompatibleDC(like)) {}
    ~MemoryDc() { reset(); }
    MemoryDc(MemoryDc&& other) noexcept
        : m_dc(std::exchange(other.m_dc, nullptr)), m_original(std::exchange(other.m_original, nullptr)) {}
    MemoryDc& operator=(MemoryDc&& other) noexcept {
        if (this != &other) {
            reset();
            m_dc = std::exchange(other.m_dc, nullptr);
            m_original = std::exchange(other.m_original, nullptr);
        }
        return *this;
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    HDC get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }
    // Selects `object` for the rest of the DC's life (or until the next select).
    void select(HGDIOBJ object) {
        HGDIOBJ previous = SelectObject(m_dc, object);
        if (!m_original)
            m_original = previous;
    }
    void reset() {
        if (!m_dc)
            return;
        if (m_original)
            SelectObject(m_dc, m_original);
        DeleteDC(m_dc);
        m_dc = nullptr;
        m_original = nullptr;
    }

private:
    HDC m_dc = nullptr;
    HGDIOBJ m_original = nullptr;
};

// BeginPaint/EndPaint.
class PaintScope {
public:
    explicit PaintScope(HWND window) : m_window(window) { m_dc = BeginPaint(window, &m_paint); }
    ~PaintScope() { EndPaint(m_window, &m_paint); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC get() const { return m_dc; }
    const RECT& area() const { return m_paint.rcPaint; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint = {};
    HDC m_dc = nullptr;
};

// MapViewOfFile/UnmapViewOfFile.
class MappedView {
public:
    explicit MappedView(HANDLE mapping, DWORD access = FILE_MAP_WRITE, SIZE_T bytes = 0)
        : m_data(MapViewOfFile(mapping, access, 0, 0, bytes)) {}
    ~MappedView() {
        if (m_data)
            UnmapViewOfFile(m_data);
    }
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;
    void* data() const { return m_data; }

private:
    void* m_data;
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
// Waits `ms`, answering meanwhile the messages other threads send to this thread's windows: one
// that waits for us (the program holding the clipboard telling our window that it no longer owns
// it) would otherwise wait as long as we do.
inline void WaitAnsweringSentMessages(DWORD ms) {
    const DWORD start = GetTickCount();
    for (DWORD waited = 0; waited < ms; waited = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - waited, QS_SENDMESSAGE);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

class ClipboardScope {
public:
    explicit ClipboardScope(HWND owner, int attempts = 20, DWORD pauseMs = 10) {
        for (int i = 0; i < attempts && !m_open; ++i) {
            m_open = OpenClipboard(owner) != 0;
            if (!m_open && i + 1 < attempts)
                WaitAnsweringSentMessages(pauseMs);
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

}  // namespace base
