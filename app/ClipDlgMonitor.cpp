// CClipDlg: hearing of clipboard changes (the viewer chain and the format listener) and showing
// what the recorder made of them.
#include "app/ClipDlg.h"

#include "store/ClipFormats.h"
#include "store/ClipNames.h"
#include "app/ClipRules.h"
#include "app/FileRecordReader.h"
#include "store/NumberText.h"
#include "store/Protocol.h"
#include "store/SysClipBoard.h"
#include "base/Text.h"
#include "base/Trace.h"

#include <utility>

// Two sources announce a change: the viewer chain, which depends on every program in it passing
// the news on, and the format listener, which no other program can break. The recorder counts a
// change once, however it was announced. `initial`: the contents found when recording begins,
// announced as such before the chain is joined: Windows sends the chain's first notification from
// inside SetClipboardViewer, which would otherwise announce them first as a change of the run
// (and mark the store as holding unsaved changes).
void CClipDlg::joinViewerChain(bool initial) {
    if (initial)
        m_recorder->Announce(true);
    m_bInViewerChain = true;
    // The chain's first notification arrives inside this call, before it returns the next viewer.
    SetLastError(0);
    m_hNextViewer = SetClipboardViewer(hwnd());
    if (!m_hNextViewer && GetLastError() != 0)
        base::ReportFailure("SetClipboardViewer");
    if (!AddClipboardFormatListener(hwnd()))
        base::ReportFailure("AddClipboardFormatListener");
    m_recorder->Listen(true);
    if (!initial)
        m_recorder->Announce();
}

void CClipDlg::leaveViewerChain() {
    if (!m_bInViewerChain)
        return;
    m_bInViewerChain = false;
    ChangeClipboardChain(hwnd(), m_hNextViewer);
    RemoveClipboardFormatListener(hwnd());
    m_recorder->Listen(false);
}

// The next viewer hears of every change at once; the recorder reads the clipboard in its own
// thread, so the program that changed it is not kept waiting while we store it.
void CClipDlg::OnDrawClipboard(WPARAM wParam, LPARAM lParam) {
    if (m_hNextViewer)
        PostMessageW(m_hNextViewer, WM_DRAWCLIPBOARD, wParam, lParam);
    OnClipboardChanged();
}

void CClipDlg::OnClipboardChanged() {
    if (m_bInViewerChain && m_recorder)
        m_recorder->Announce();
}

// The outcomes of the recorder in the order of the changes: new rows, the full history, and
// copies that could not be recorded or were recorded in part, which the tray reports, as it
// counts the copies that wait. The rows of a burst of copies are shown together: the list, the
// tree's root and the tray are told once for all the outcomes taken.
void CClipDlg::OnRecorderResults() {
    bool rowsAdded = false, changed = false, madeRoom = false;
    std::string lastStamp;
    for (CClipRecorder::Result& result : m_recorder->TakeResults()) {
        switch (result.outcome) {
        case CClipRecorder::Outcome::Recorded:
            if (m_tree.GetSelectedItem() == m_hCollection) {
                addRow(clip::ViewRow{result.row.kind, std::move(result.row.content), result.stamp,
                                     store::historyNumberText(result.number), result.stamp, result.source,
                                     store::historyClipName(result.number)});
                rowsAdded = true;
            }
            changed = changed || !result.initial;  // the store holds changes no archive holds
            lastStamp = result.stamp;
            base::Trace("row shown for his%d-", result.number);
            madeRoom = madeRoom || result.madeRoom;
            if (!result.initial)
                queueRecorded(result.number);
            break;
        case CClipRecorder::Outcome::HistoryFull:
            if (std::exchange(rowsAdded, false))
                showRows();  // before the message, which waits for the user
            showHistoryFull();
            break;
        case CClipRecorder::Outcome::Missed:
            m_tray.ReportMissedCopy(result.reason);
            break;
        case CClipRecorder::Outcome::PartlyRecorded:
            m_tray.ReportPartlyRecorded();
            break;
        case CClipRecorder::Outcome::Waiting:
            m_tray.NoteWaiting(result.waiting);
            break;
        case CClipRecorder::Outcome::Repeat:
        case CClipRecorder::Outcome::NothingToShow:
            break;
        }
    }
    if (rowsAdded)
        showRows();
    if (madeRoom)
        queueChanged();  // the number made free left the paste queue
    if (changed)
        setRootText(true);
    if (!lastStamp.empty())
        m_tray.NoteRecorded(lastStamp);
}

// Once at a time: changes that come while the message is open say the same.
void CClipDlg::showHistoryFull() {
    if (m_bHistoryFullShown)
        return;
    m_bHistoryFullShown = true;
    MessageBoxW(nullptr, base::toWide(clip::kHistoryFullMessage).c_str(), base::toWide(store::kMainWindowTitle).c_str(), MB_OK);
    m_bHistoryFullShown = false;
}

// Shows a stored record as the row of `numberText` (when `node` is on display) from its first
// displayable part; returns 1 when its text repeats the last text (only with `repeatTest`,
// which also makes it the last text). A record with nothing to show is removed.
int CClipDlg::ShowClipRow(HTREEITEM node, const std::string& recordName, const std::string& numberText,
                          bool repeatTest) {
    const ClipElements elements = m_store.clipElements(recordName);
    FileRecordReader reader(m_store.paths());
    const bool onDisplay = m_tree.GetSelectedItem() == node;
    int duplicate = 0;
    for (const auto& [index, format] : elements.formats) {
        // A file list is only read for the view on display.
        if (format == store::kFormatFileList && !onDisplay)
            return duplicate;
        std::optional<clip::PartRow> row =
            clip::partRow(format, store::formatElementName(recordName, index), recordName, reader);
        if (!row)
            continue;
        if (row->kind == clip::kRowText && repeatTest) {
            // Only text takes part in the repeat test; a repeat in the history view is not shown.
            duplicate = lastText().repeats(row->content) ? 1 : 0;
            if (duplicate && m_tree.GetSelectedItem() == m_hCollection)
                return duplicate;
            lastText().set(row->content);
        }
        if (onDisplay)
            showRow(clip::ViewRow{row->kind, row->content, elements.copyTime, numberText, elements.useTime, elements.source,
                                  recordName});
        return duplicate;
    }
    m_store.removeClip(recordName);
    return duplicate;
}

// Once per run: later damage would only repeat the same news.
void CClipDlg::OnStoreDamaged() {
    if (m_bStoreDamageReported)
        return;
    m_bStoreDamageReported = true;
    const std::string text = std::string(clip::kStoreDamagedMessage) + m_store.getWindowsDir();
    MessageBoxW(hwnd(), base::toWide(text).c_str(), base::toWide(store::kMainWindowTitle).c_str(), MB_OK | MB_ICONWARNING);
}
