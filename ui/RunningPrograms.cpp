#include "ui/RunningPrograms.h"

#include "base/Handle.h"
#include "fw/Window.h"

#include <algorithm>

namespace ui::running {

namespace {

constexpr UINT kFirstCommand = 1;
constexpr std::size_t kMostShown = 60;

BOOL CALLBACK collect(HWND window, LPARAM list) {
    if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER))
        return TRUE;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId())
        return TRUE;
    const std::wstring path = fw::ProgramOfProcess(process);
    if (!path.empty())
        reinterpret_cast<std::vector<std::wstring>*>(list)->push_back(path);
    return TRUE;
}

std::wstring fileName(const std::wstring& path) {
    return path.substr(path.find_last_of(L"\\/") + 1);
}

bool samePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

std::vector<std::wstring> programs() {
    std::vector<std::wstring> paths;
    EnumWindows(collect, reinterpret_cast<LPARAM>(&paths));
    std::sort(paths.begin(), paths.end(), [](const std::wstring& a, const std::wstring& b) {
        return CompareStringOrdinal(fileName(a).c_str(), -1, fileName(b).c_str(), -1, TRUE) == CSTR_LESS_THAN;
    });
    paths.erase(std::unique(paths.begin(), paths.end(), samePath), paths.end());
    return paths;
}

std::wstring pickProgram(HWND button) {
    std::vector<std::wstring> paths = programs();
    if (paths.size() > kMostShown)
        paths.resize(kMostShown);
    const base::UniqueMenu menu(CreatePopupMenu());
    if (!menu)
        return {};
    for (std::size_t i = 0; i < paths.size(); ++i) {
        std::wstring text = fileName(paths[i]) + L"\t" + paths[i];
        // An "&" in a name is shown, not taken as an access key.
        for (std::size_t at = 0; (at = text.find(L'&', at)) != std::wstring::npos; at += 2)
            text.insert(at, 1, L'&');
        AppendMenuW(menu.get(), MF_STRING, kFirstCommand + i, text.c_str());
    }
    if (paths.empty())
        AppendMenuW(menu.get(), MF_STRING | MF_GRAYED, 0, L"没有正在运行的程序");
    RECT place = {};
    GetWindowRect(button, &place);
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                                         place.left, place.bottom, 0, button, nullptr));
    return chosen >= kFirstCommand && chosen - kFirstCommand < paths.size() ? paths[chosen - kFirstCommand] : std::wstring();
}

}  // namespace ui::running
