#include "Window.h"

namespace fw {

HWND FindTopLevelWindow(const std::wstring& title, int childId) {
    for (HWND window = FindWindowExW(nullptr, nullptr, nullptr, title.c_str()); window;
         window = FindWindowExW(nullptr, window, nullptr, title.c_str()))
        if (GetDlgItem(window, childId))
            return window;
    return nullptr;
}

}  // namespace fw
