// CClipboardMonitor: the main window's ears on the clipboard. It joins the viewer chain and the
// format listener (two sources of the same news: the chain depends on every program in it passing
// it on, the listener on none), hands each change to the recorder, and shows what the recorder
// made of it: the rows recorded, the full history, the copies missed, recorded in part or waiting.
#pragma once

#include "app/ClipTrayIcon.h"
#include "app/HistoryView.h"
#include "app/recorder/ClipRecorder.h"
#include "app/recorder/Filing.h"
#include "store/StorePaths.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace app {

class CClipboardMonitor {
public:
    CClipboardMonitor(CHistoryView& view, CClipTrayIcon& tray) : m_view(view), m_tray(tray) {}
    CClipboardMonitor(const CClipboardMonitor&) = delete;
    CClipboardMonitor& operator=(const CClipboardMonitor&) = delete;

    // The recorder made for `window` (its outcomes are posted with `resultsMessage`), going on from
    // `lastText` when the history is a restored one, and the chain joined.
    void Start(HWND window, UINT resultsMessage, const store::StorePaths& paths, app::recorder::CClipRecorder::OwnChangeTest isOwnChange,
               const std::optional<std::u16string>& lastText);
    // Recording paused and resumed: the chain and the listener left and joined again.
    void Join();
    void Leave();
    // At the window's end: the chain left and what the recorder read stored first.
    void Stop();
    // The chain's messages, the listener's and the recorder's outcomes; true when handled.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Told of each copy recorded in the run (not the contents found at the start), with its row.
    void OnRecorded(app::recorder::FiledCopyListener listener) { m_onRecorded = std::move(listener); }
    // The text a new record is compared with (a slot copy files by the same rule).
    app::recorder::LastText& lastText() { return m_recorder->lastText(); }
    // Whether the recorder keeps out a copy whose text is plainly a secret.
    void SkipSecrets(bool on) {
        m_skipSecrets = on;
        if (m_recorder)
            m_recorder->SkipSecrets(on);
    }
    bool SkipsSecrets() const { return m_skipSecrets; }

private:
    void joinChain(bool initial);
    void onRecorderResults();
    void showHistoryFull();

    CHistoryView& m_view;
    CClipTrayIcon& m_tray;
    HWND m_window = nullptr;
    UINT m_resultsMessage = 0;
    std::unique_ptr<app::recorder::CClipRecorder> m_recorder;
    HWND m_nextViewer = nullptr;
    bool m_inChain = false;
    bool m_skipSecrets = true;
    bool m_historyFullShown = false;
    app::recorder::FiledCopyListener m_onRecorded;
};

}  // namespace app
