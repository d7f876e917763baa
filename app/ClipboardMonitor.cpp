#include "app/ClipboardMonitor.h"

#include "app/ClipRules.h"
#include "store/Protocol.h"
#include "base/Check.h"
#include "base/Text.h"
#include "base/Trace.h"

#include <utility>
#include <vector>

namespace app {

// A restored history goes on from its last copy: the clipboard found now becomes a row only when
// it differs from that.
void CClipboardMonitor::Start(HWND window, UINT resultsMessage, const store::StorePaths& paths,
                              app::recorder::CClipRecorder::OwnChangeTest isOwnChange, const std::optional<std::u16string>& lastText) {
    m_window = window;
    m_resultsMessage = resultsMessage;
    m_recorder = std::make_unique<app::recorder::CClipRecorder>(paths, window, resultsMessage, std::move(isOwnChange));
    m_recorder->SkipSecrets(m_skipSecrets);
    if (lastText)
        m_recorder->lastText().set(*lastText);
    joinChain(true);
}

void CClipboardMonitor::Join() {
    joinChain(false);
}

// The recorder counts a change once, however it was announced. `initial`: the contents found when
// recording begins, announced as such before the chain is joined: Windows sends the chain's first
// notification from inside SetClipboardViewer, which would otherwise announce them first as a
// change of the run (and mark the store as holding unsaved changes).
void CClipboardMonitor::joinChain(bool initial) {
    if (initial)
        m_recorder->Announce(true);
    m_inChain = true;
    // A first viewer gets null: no viewer was there before it.
    HWND next = nullptr;
    CHECK_WIN32_ERROR(next = SetClipboardViewer(m_window));
    m_nextViewer = next;
    CHECK_WIN32(AddClipboardFormatListener(m_window));
    m_recorder->Listen(true);
    if (!initial)
        m_recorder->Announce();
}

void CClipboardMonitor::Leave() {
    if (!m_inChain)
        return;
    m_inChain = false;
    ChangeClipboardChain(m_window, m_nextViewer);
    RemoveClipboardFormatListener(m_window);
    m_recorder->Listen(false);
}

void CClipboardMonitor::Stop() {
    if (m_recorder)
        Leave();
    m_recorder.reset();
}

// The next viewer hears of every change at once; the recorder reads the clipboard in its own
// thread, so the program that changed it is not kept waiting while we store it.
bool CClipboardMonitor::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DRAWCLIPBOARD:
        if (m_nextViewer)
            PostMessageW(m_nextViewer, message, wParam, lParam);
        [[fallthrough]];
    case WM_CLIPBOARDUPDATE:
        if (m_inChain && m_recorder)
            m_recorder->Announce();
        return true;
    case WM_CHANGECBCHAIN:
        if (reinterpret_cast<HWND>(wParam) == m_nextViewer)
            m_nextViewer = reinterpret_cast<HWND>(lParam);
        else if (m_nextViewer)
            PostMessageW(m_nextViewer, message, wParam, lParam);
        return true;
    default:
        if (message != m_resultsMessage || !m_recorder)
            return false;
        onRecorderResults();
        return true;
    }
}

// The outcomes in the order of the changes. The rows of a burst of copies are shown together: the
// list, the tree's root and the tray are told once for all the outcomes taken.
void CClipboardMonitor::onRecorderResults() {
    std::vector<app::ViewRow> rows;
    bool changed = false, madeRoom = false;
    std::string lastStamp;
    for (app::recorder::CClipRecorder::Result& result : m_recorder->TakeResults()) {
        switch (result.outcome) {
        case app::recorder::CClipRecorder::Outcome::Recorded:
            lastStamp = result.row.copyTime;
            if (m_onRecorded && result.copy && !result.initial)
                m_onRecorded(*result.copy, result.row, result.madeRoom);
            if (m_view.ShowsHistory())
                rows.push_back(std::move(result.row));
            changed = changed || !result.initial;  // the store holds changes no archive holds
            base::Trace("row shown for his%d-", result.number);
            madeRoom = madeRoom || result.madeRoom;
            if (!result.initial)
                m_view.queue().Recorded(result.number);
            break;
        case app::recorder::CClipRecorder::Outcome::HistoryFull:
            m_view.ShowRecordedRows(std::exchange(rows, {}));  // before the message, which waits for the user
            showHistoryFull();
            break;
        case app::recorder::CClipRecorder::Outcome::Missed:
            m_tray.ReportMissedCopy(result.reason);
            break;
        case app::recorder::CClipRecorder::Outcome::PartlyRecorded:
            m_tray.ReportPartlyRecorded();
            break;
        case app::recorder::CClipRecorder::Outcome::Waiting:
            m_tray.NoteWaiting(result.waiting);
            break;
        case app::recorder::CClipRecorder::Outcome::Secret:
            m_tray.NoteSecretSkipped();
            break;
        case app::recorder::CClipRecorder::Outcome::Repeat:
        case app::recorder::CClipRecorder::Outcome::NothingToShow:
            break;
        }
    }
    m_view.ShowRecordedRows(std::move(rows));
    if (madeRoom)
        m_view.queue().Changed();  // the number made free left the paste queue
    if (changed)
        m_view.SetRootText(true);
    if (!lastStamp.empty())
        m_tray.NoteRecorded(lastStamp);
}

// Once at a time: changes that come while the message is open say the same.
void CClipboardMonitor::showHistoryFull() {
    if (std::exchange(m_historyFullShown, true))
        return;
    MessageBoxW(nullptr, base::toWide(app::kHistoryFullMessage).c_str(), base::toWide(store::kMainWindowTitle).c_str(), MB_OK);
    m_historyFullShown = false;
}

}  // namespace app
