#include "Window.h"

#include "base/Barrier.h"

namespace fw {

HWND FindTopLevelWindow(const std::wstring& title, int childId) {
    for (HWND window = FindWindowExW(nullptr, nullptr, nullptr, title.c_str()); window;
         window = FindWindowExW(nullptr, window, nullptr, title.c_str()))
        if (GetDlgItem(window, childId))
            return window;
    return nullptr;
}

namespace {

BOOL CALLBACK addWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info))
        return base::Guarded("monitor enumeration", FALSE, [&] {
            reinterpret_cast<std::vector<RECT>*>(areas)->push_back(info.rcWork);
            return TRUE;
        });
    return TRUE;
}

}  // namespace

std::vector<RECT> MonitorWorkAreas() {
    std::vector<RECT> areas;
    EnumDisplayMonitors(nullptr, nullptr, addWorkArea, reinterpret_cast<LPARAM>(&areas));
    return areas;
}

std::wstring windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

}  // namespace fw
