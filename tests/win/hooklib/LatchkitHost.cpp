#include "LatchkitHost.h"

#include "WinTestSupport.h"

#include "store/Protocol.h"
#include "store/StorePaths.h"
#include "xml/XmlDocument.h"
#include "base/Text.h"

#include <filesystem>

namespace {

const wchar_t kHostClass[] = L"DravixTestHost";

template <typename Function>
void bind(HMODULE library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

LatchkitHost::LatchkitHost() {
    m_library = LoadLibraryW(L"Latchkit.dll");
    if (m_library) {
        bind(m_library, "installhook", m_exports.installhook);
        bind(m_library, "UnHook", m_exports.UnHook);
        bind(m_library, "SaveClipData", m_exports.SaveClipData);
        bind(m_library, "Paste2Window", m_exports.Paste2Window);
        bind(m_library, "PasteData2Window", m_exports.PasteData2Window);
        bind(m_library, "PastePlainText2Window", m_exports.PastePlainText2Window);
        bind(m_library, "SetCurrentClipData", m_exports.SetCurrentClipData);
        bind(m_library, "ResumeClipData", m_exports.ResumeClipData);
        bind(m_library, "GetOperXmlStatus", m_exports.GetOperXmlStatus);
        bind(m_library, "SetOperXmlStatus", m_exports.SetOperXmlStatus);
        bind(m_library, "IsOwnClipboardChange", m_exports.IsOwnClipboardChange);
    }
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kHostClass;
    RegisterClassW(&windowClass);
    m_window = CreateWindowExW(0, kHostClass, base::toWide(store::kMainWindowTitle).c_str(), WS_OVERLAPPEDWINDOW, 0, 0,
                               300, 200, nullptr, nullptr, windowClass.hInstance, this);
    // The main window is known by its title and its clip list.
    CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, m_window,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(store::kMainListId)), windowClass.hInstance, nullptr);
}

LatchkitHost::~LatchkitHost() {
    if (m_window)
        DestroyWindow(m_window);
    if (m_library)
        FreeLibrary(m_library);
}

LRESULT CALLBACK LatchkitHost::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* host = reinterpret_cast<LatchkitHost*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (host && (message == WM_USER + 1 || message == WM_USER + 3))
        host->m_messages.push_back({message, wParam});
    return DefWindowProcW(window, message, wParam, lParam);
}

bool LatchkitHost::waitForMessage(UINT message, WPARAM* wParam, std::chrono::milliseconds timeout) {
    const std::size_t seen = m_messages.size();
    const bool arrived = pumpUntil(
        [&] {
            for (std::size_t i = seen; i < m_messages.size(); ++i)
                if (m_messages[i].message == message)
                    return true;
            return false;
        },
        timeout);
    if (arrived && wParam)
        for (std::size_t i = seen; i < m_messages.size(); ++i)
            if (m_messages[i].message == message)
                *wParam = m_messages[i].wParam;
    return arrived;
}

std::string LatchkitHost::windowsDir() {
    return store::userStoreFolder();
}

void LatchkitHost::emptyStore() {
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::u8path(indexPath()), ignored);
    std::filesystem::remove(std::filesystem::u8path(statusPath()), ignored);
    std::filesystem::remove_all(std::filesystem::u8path(windowsDir() + "\\Brindlecote"), ignored);
}
