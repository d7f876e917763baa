#include "app/PasteTarget.h"

#include "app/ClipRules.h"
#include "base/Text.h"
#include "base/Trace.h"
#include "fw/Integrity.h"

void CPasteTarget::Note(HWND window, HWND own) {
    if (!IsWindow(window) || window == own || window == m_target)
        return;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId())
        return;  // our own dialogs and menus
    wchar_t className[256] = {};
    GetClassNameW(window, className, 255);
    if (clip::isPasteTargetClass(base::toUtf8(className))) {
        m_target = window;
        base::Trace("paste target %p", static_cast<void*>(window));
    }
}

// A paste from the list is chosen in our window, which is then in front: Windows lets the program
// in front hand the foreground on.
void CPasteTarget::Paste(const std::string& clip, bool plainText, std::optional<store::Transform> transform) {
    const fw::WindowProcessLevel target = fw::IntegrityLevelOf(m_target);
    if (IsWindow(m_target) &&
        clip::pasteRoute({target.queryable, target.level}, fw::OwnIntegrityLevel()) == clip::PasteRoute::ClipboardOnly) {
        base::Trace("paste target runs at a higher level: the clip waits on the clipboard");
        // The hook library notes its change of the clipboard: the recorder skips it.
        if (m_hook.SetCurrentClipData)
            m_hook.SetCurrentClipData(clip.c_str());
        m_tray.ShowNotice(base::toWide(clip::kElevatedTargetText));
        return;
    }
    if (IsWindow(m_target) && GetForegroundWindow() != m_target && !SetForegroundWindow(m_target))
        base::ReportFailure("SetForegroundWindow");
    if (transform && m_hook.PasteTransformed2Window)
        m_hook.PasteTransformed2Window(clip.c_str(), static_cast<int>(*transform));
    else if (auto paste = plainText ? m_hook.PastePlainText2Window : m_hook.PasteData2Window; paste && !transform)
        paste(clip.c_str());
}
