#include "app/recorder/ClipboardGo.h"

#include "base/Check.h"
#include "base/Text.h"
#include "fw/Window.h"

#include <cstring>

namespace app::recorder {

// Whether the window answers a message within the bound; a program Windows finds hung (five
// seconds without taking its messages) is not waited for at all.
bool answers(HWND window) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                               static_cast<UINT>(kSourceAnswerTimeout.count()), &ignored) != 0;
}

ClipboardOwner ownerOf(HWND window) {
    ClipboardOwner owner;
    owner.alive = window && IsWindow(window);
    DWORD process = 0;
    if (owner.alive)
        GetWindowThreadProcessId(window, &process);
    owner.ours = owner.alive && process == GetCurrentProcessId();
    return owner;
}

// What a careful program (a password manager) says about what it copied; read while the
// clipboard is open. Nothing when its owner could not be asked for the one mark that is data,
// or the clipboard was taken from us meanwhile.
std::optional<app::ClipboardMarks> readClipboardMarks(const std::function<bool()>& mayAsk) {
    app::ClipboardMarks marks;
    marks.excludeFromMonitoring =
        IsClipboardFormatAvailable(RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"));
    marks.viewerIgnore = IsClipboardFormatAvailable(RegisterClipboardFormatW(L"Clipboard Viewer Ignore"));
    const UINT history = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
    if (!IsClipboardFormatAvailable(history))
        return marks;
    if (!mayAsk())
        return std::nullopt;
    SetLastError(ERROR_SUCCESS);
    HANDLE data = GetClipboardData(history);
    if (!data && GetLastError() == ERROR_CLIPBOARD_NOT_OPEN)
        return std::nullopt;
    if (data && GlobalSize(data) >= sizeof(DWORD)) {
        base::GlobalLockScope value(data);
        if (value.data()) {
            DWORD allowed = 0;
            std::memcpy(&allowed, value.data(), sizeof allowed);
            marks.canIncludeInHistory = allowed;
        }
    }
    return marks;
}

// The program behind a change: the clipboard's owner, or with no owner (data set without a
// window) the program in front. Empty when it cannot be found (an owner that has ended).
std::string copySource() {
    HWND owner = GetClipboardOwner();
    return base::toUtf8(fw::ProgramOfWindow(owner ? owner : GetForegroundWindow()));
}


}  // namespace app::recorder
