#include "hooklib/ChordWindow.h"

#include "hooklib/SharedState.h"
#include "base/Barrier.h"
#include "base/Trace.h"

namespace {

const wchar_t kChordWindowClass[] = L"LatchkitChordWindow";

}  // namespace

CChordWnd::CChordWnd(Events events) : m_events(std::move(events)) {
    if (!registerLibraryClass(kChordWindowClass, windowProc))
        return;
    m_hWnd = CreateWindowExW(0, kChordWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, g_hLibrary, this);
    if (!m_hWnd)
        base::ReportFailure("CreateWindowExW");
    else if (!AddClipboardFormatListener(m_hWnd))
        base::ReportFailure("AddClipboardFormatListener");
}

CChordWnd::~CChordWnd() {
    if (!m_hWnd)
        return;
    RemoveClipboardFormatListener(m_hWnd);
    DestroyWindow(m_hWnd);
}

void CChordWnd::UnregisterClass() {
    ::UnregisterClassW(kChordWindowClass, g_hLibrary);
}

LRESULT CALLBACK CChordWnd::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<CChordWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY)
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    const std::function<void()>* event = nullptr;
    if (self) {
        switch (message) {
        case WM_CLIPBOARDUPDATE:
            event = &self->m_events.changed;
            break;
        case WM_RENDERALLFORMATS:
            event = &self->m_events.renderAll;
            break;
        case WM_DESTROYCLIPBOARD:
            event = &self->m_events.replaced;
            break;
        case WM_RENDERFORMAT:
            if (self->m_events.render)
                base::Guarded("WM_RENDERFORMAT", [&] { self->m_events.render(static_cast<UINT>(wParam)); });
            return 0;
        default:
            break;
        }
    }
    if (event && *event) {
        base::Guarded("chord window", [&] { (*event)(); });
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
