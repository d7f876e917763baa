// CPasteTarget: the program the user worked in before ours, where a paste from the list goes.
// Only noted (when our window is activated or left, and on every message it dispatches); the input
// of the threads is never joined, which would reset the key state a held chord depends on.
#pragma once

#include "app/ClipTrayIcon.h"
#include "app/HookLibrary.h"

#include <windows.h>

#include "store/TextTransforms.h"

#include <optional>
#include <string>
#include <string_view>

namespace app {

class CPasteTarget {
public:
    CPasteTarget(HookLibrary& hook, CClipTrayIcon& tray) : m_hook(hook), m_tray(tray) {}

    // `window` in the foreground: kept as the target when it is another program's and can be one
    // (not the taskbar, not a tooltip). `own` is our main window.
    void Note(HWND window, HWND own);
    // The clip pasted into the target (`plainText`: its texts alone; `transform`: its text alone,
    // transformed). None noted yet (the foreground changed before our window heard of it), the
    // target is the first window below `own` in the z-order that can be one. With no target, one
    // that Windows will not let us send keys to (running as administrator) or one that does not
    // come to the front, nothing is pasted: the clip waits on the clipboard for the user, and the
    // tray says so.
    void Paste(HWND own, const std::string& clip, bool plainText, std::optional<store::Transform> transform = std::nullopt);

private:
    bool canBeTarget(HWND window) const;
    HWND topOtherWindow(HWND own) const;
    bool bringTargetToFront() const;
    void leaveOnClipboard(const std::string& clip, std::string_view notice);

    HookLibrary& m_hook;
    CClipTrayIcon& m_tray;
    HWND m_target = nullptr;
};

}  // namespace app
