// CSlotFiling: a slot copy (Ctrl+digit in any program) as the main window hears of it from the
// hook library: the slot's clip filed as a history record too, the one way every copy is (unless
// its text is plainly a secret and those are kept out: then it is the slot's alone), and the
// slot's row shown again. A copy notified while another one holds the store's busy flag (or
// an archive command runs) is filed once it is free, rather than dropped; a slot that cannot be
// read, a record that cannot be written and a slot copy the library could not store are reported
// in the tray.
#pragma once

#include "app/ArchiveCommands.h"
#include "app/ClipTrayIcon.h"
#include "app/HistoryView.h"
#include "app/ClipboardMonitor.h"
#include "app/HookLibrary.h"
#include "app/WindowParts.h"
#include "app/recorder/Filing.h"
#include "store/SysClipBoard.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <utility>

namespace app {

class CSlotFiling {
public:
    using Parts = WindowParts;
    explicit CSlotFiling(Parts parts) : m_parts(parts) {}

    // The window whose timer paces the retries, and the timer's id.
    void Attach(HWND window, UINT_PTR retryTimer) {
        m_window = window;
        m_retryTimer = retryTimer;
    }
    // The library's notifications: slot `digitKey` ('0' to '9') copied, or its copy not stored.
    void OnSlotCopied(WPARAM digitKey);
    void OnSlotCopyFailed(WPARAM digitKey);
    // The retry timer's tick.
    void RetryWaitingCopies();
    // Told of each slot copy filed as a history record, with its row.
    void OnFiled(app::recorder::FiledCopyListener listener) { m_onFiled = std::move(listener); }

private:
    bool fileSlotCopy(char digit);
    void showFiling(char digit, app::recorder::Filing filing);

    Parts m_parts;
    HWND m_window = nullptr;
    UINT_PTR m_retryTimer = 0;
    bool m_filing = false;                          // a slot copy is being filed now
    std::deque<std::pair<char, int>> m_retries;    // slot copies waiting for the busy flag, with their tries
    app::recorder::FiledCopyListener m_onFiled;
};

}  // namespace app
