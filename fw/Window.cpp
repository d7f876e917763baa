#include "Window.h"

namespace fw {

HWND FindTopLevelWindow(const std::wstring& title, int childId) {
    for (HWND window = FindWindowExW(nullptr, nullptr, nullptr, title.c_str()); window;
         window = FindWindowExW(nullptr, window, nullptr, title.c_str()))
        if (GetDlgItem(window, childId))
            return window;
    return nullptr;
}

std::wstring windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

}  // namespace fw
