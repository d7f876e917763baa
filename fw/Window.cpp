#include "fw/Window.h"

#include "base/Handle.h"
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

// PROCESS_QUERY_LIMITED_INFORMATION is what a standard user may ask of other users' and of
// elevated processes too.
std::wstring ProgramOfProcess(DWORD processId) {
    if (!processId)
        return {};
    const base::UniqueKernelObject process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process)
        return {};
    std::wstring path(32768, L'\0');  // the longest path Windows has (\\?\ names)
    DWORD size = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(process.get(), 0, path.data(), &size))
        return {};
    path.resize(size);
    return path;
}

std::wstring ProgramOfWindow(HWND window) {
    DWORD processId = 0;
    if (window)
        GetWindowThreadProcessId(window, &processId);
    return ProgramOfProcess(processId);
}

std::wstring ClassOfWindow(HWND window) {
    wchar_t name[256] = {};  // class names are at most 256 characters
    const int length = window ? GetClassNameW(window, name, 256) : 0;
    return std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

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

std::optional<LRESULT> SendCopyData(HWND to, HWND from, ULONG_PTR tag, std::string_view bytes, UINT timeoutMs) {
    COPYDATASTRUCT data = {tag, static_cast<DWORD>(bytes.size()), const_cast<char*>(bytes.data())};
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(to, WM_COPYDATA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, timeoutMs, &answer))
        return std::nullopt;
    return static_cast<LRESULT>(answer);
}

}  // namespace fw
