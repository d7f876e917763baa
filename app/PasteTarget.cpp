#include "app/PasteTarget.h"

#include "app/ClipRules.h"
#include "base/Check.h"
#include "base/Handle.h"
#include "base/Text.h"
#include "base/Trace.h"
#include "fw/Integrity.h"

namespace app {

// Another program's window (not our own dialogs and menus) of a class that can take a paste.
bool CPasteTarget::canBeTarget(HWND window) const {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (!IsWindow(window) || process == GetCurrentProcessId())
        return false;
    wchar_t className[256] = {};
    GetClassNameW(window, className, 255);
    return app::isPasteTargetClass(base::toUtf8(className));
}

void CPasteTarget::Note(HWND window, HWND own) {
    if (window == own || window == m_target || !canBeTarget(window))
        return;
    m_target = window;
    base::Trace("paste target %p", static_cast<void*>(window));
}

// The window the user left for ours: the topmost visible, not minimized window that is not ours.
// It lies right below ours on Windows; under Wine a window brought to the front need not be
// raised in the z-order, so the order is read from the top, our own windows passed over. A window
// kept on top of all others (a floating toolbar) is passed over as well unless ours is one.
HWND CPasteTarget::topOtherWindow(HWND own) const {
    const bool ownOnTop = (GetWindowLongPtrW(own, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
        const bool onTop = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        if ((ownOnTop || !onTop) && IsWindowVisible(window) && !IsIconic(window) &&
            GetAncestor(window, GA_ROOT) == window && canBeTarget(window))
            return window;
    }
    return nullptr;
}

namespace {
constexpr DWORD kComeToFrontMs = 2000;
}  // namespace

// A paste from the list is chosen in our window, which is then in front: Windows lets the program
// in front hand the foreground on.
void CPasteTarget::Paste(HWND own, const std::string& clip, bool plainText, std::optional<store::Transform> transform) {
    if (!IsWindow(m_target) && (m_target = topOtherWindow(own)) != nullptr)
        base::Trace("paste target %p: the topmost window not ours", static_cast<void*>(m_target));
    if (!IsWindow(m_target)) {
        // The keys would reach our own window, which is in front.
        base::Trace("no paste target: the clip waits on the clipboard");
        return leaveOnClipboard(clip, app::kNoTargetText);
    }
    const fw::WindowProcessLevel target = fw::IntegrityLevelOf(m_target);
    if (app::pasteRoute({target.queryable, target.level}, fw::OwnIntegrityLevel()) == app::PasteRoute::ClipboardOnly) {
        base::Trace("paste target runs at a higher level: the clip waits on the clipboard");
        return leaveOnClipboard(clip, app::kElevatedTargetText);
    }
    if (!bringTargetToFront()) {
        base::Trace("paste target did not come to the front: the clip waits on the clipboard");
        return leaveOnClipboard(clip, app::kTargetNotInFrontText);
    }
    if (transform && m_hook.PasteTransformed2Window)
        m_hook.PasteTransformed2Window(clip.c_str(), static_cast<int>(*transform));
    else if (auto paste = plainText ? m_hook.PastePlainText2Window : m_hook.PasteData2Window; paste && !transform)
        paste(clip.c_str());
}

// The switch is done once the target's thread has taken it; the library aims the paste at the
// window then in front.
bool CPasteTarget::bringTargetToFront() const {
    if (GetForegroundWindow() == m_target)
        return true;
    if (!CHECK_WIN32(SetForegroundWindow(m_target)))
        return false;
    const DWORD asked = GetTickCount();
    while (GetForegroundWindow() != m_target && GetTickCount() - asked < kComeToFrontMs)
        base::WaitAnsweringSentMessages(10);
    return GetForegroundWindow() == m_target;
}

// The hook library notes its change of the clipboard: the recorder skips it.
void CPasteTarget::leaveOnClipboard(const std::string& clip, std::string_view notice) {
    if (m_hook.SetCurrentClipData)
        m_hook.SetCurrentClipData(clip.c_str());
    m_tray.ShowNotice(base::toWide(notice));
}

}  // namespace app
