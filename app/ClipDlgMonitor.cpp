// CClipDlg: the clipboard viewer chain and the history it records.
#include "ClipDlg.h"

#include "ClipRules.h"
#include "FileRecordReader.h"
#include "Protocol.h"
#include "StoreFormat.h"
#include "SysClipBoard.h"
#include "fw/ScopeExit.h"
#include "fw/Text.h"
#include "fw/Trace.h"

#include <cstring>

namespace {

// 1 while a change is being recorded: a notification that arrives meanwhile (inside a message
// box's loop, say) is only passed along the chain.
bool g_bInDrawClipboard = false;

// What a careful program (a password manager) says about its clipboard contents. The clipboard
// is opened only when the history format is there, to read its value.
clip::ClipboardMarks readClipboardMarks(HWND owner) {
    clip::ClipboardMarks marks;
    marks.excludeFromMonitoring =
        IsClipboardFormatAvailable(RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"));
    marks.viewerIgnore = IsClipboardFormatAvailable(RegisterClipboardFormatW(L"Clipboard Viewer Ignore"));
    const UINT historyFormat = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
    if (!IsClipboardFormatAvailable(historyFormat) || !OpenClipboard(owner))
        return marks;
    fw::ScopeExit closed([] { CloseClipboard(); });
    if (HANDLE data = GetClipboardData(historyFormat); data && GlobalSize(data) >= sizeof(DWORD)) {
        if (const void* value = GlobalLock(data)) {
            DWORD allowed = 0;
            std::memcpy(&allowed, value, sizeof allowed);
            marks.canIncludeInHistory = allowed;
            GlobalUnlock(data);
        }
    }
    return marks;
}

}  // namespace

void CClipDlg::joinViewerChain() {
    m_bInViewerChain = true;
    // The first notification arrives inside this call, before it returns the next viewer.
    m_hNextViewer = SetClipboardViewer(hwnd());
}

void CClipDlg::leaveViewerChain() {
    if (!m_bInViewerChain)
        return;
    m_bInViewerChain = false;
    ChangeClipboardChain(hwnd(), m_hNextViewer);
}

// The next viewer hears of every change at once. The change itself is recorded a moment later,
// from the window's own queue: the program that changed the clipboard (the screen capture, say,
// with a large picture) is not kept waiting in CloseClipboard while we store it. Changes that
// come before then are one record, of what the clipboard holds by then.
void CClipDlg::OnDrawClipboard(WPARAM wParam, LPARAM lParam) {
    if (m_hNextViewer)
        PostMessageW(m_hNextViewer, WM_DRAWCLIPBOARD, wParam, lParam);
    if (!m_bRecordPending && PostMessageW(hwnd(), kMsgRecordClipboard, 0, 0))
        m_bRecordPending = true;
}

void CClipDlg::RecordClipboardChange() {
    m_bRecordPending = false;
    if (g_bInDrawClipboard || !m_hook.SaveClipData)
        return;
    g_bInDrawClipboard = true;
    fw::ScopeExit recorded([] { g_bInDrawClipboard = false; });
    CSysClipBoard* store = CSysClipBoard::getInstance();
    if (store->isSysClipSet())
        return;  // the hook library's own change
    if (clip::isPrivate(readClipboardMarks(hwnd()))) {
        fw::Trace("private clipboard not recorded");
        return;
    }
    const int number = store->findCanUseHisClip();
    if (number > store::kMaxHistoryNumber) {
        MessageBoxW(nullptr, fw::toWide(clip::kHistoryFullMessage).c_str(), fw::toWide(store::kMainWindowTitle).c_str(),
                    MB_OK);
        return;
    }
    const std::string record = store::historyClipName(number);
    m_hook.SaveClipData(record.c_str());
    if (ShowClipRow(m_hCollection, record, store::historyNumberText(number)))
        store->removeClip(record);
    else
        setRootText(true);
}

// Shows a stored record as the row of `numberText` (when `node` is on display) from its first
// displayable part; returns 1 when its text repeats the last text. A record with nothing to
// show is removed.
int CClipDlg::ShowClipRow(HTREEITEM node, const std::string& recordName, const std::string& numberText) {
    CSysClipBoard* store = CSysClipBoard::getInstance();
    const ClipElements elements = store->clipElements(recordName);
    FileRecordReader reader(store->paths());
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
        if (row->kind == clip::kRowText) {
            // Only text takes part in the repeat test; a repeat in the history view is not shown.
            duplicate = row->content == m_strLastText ? 1 : 0;
            if (duplicate && m_tree.GetSelectedItem() == m_hCollection)
                return duplicate;
            m_strLastText = row->content;
        }
        if (onDisplay)
            showRow(clip::ViewRow{row->kind, row->content, elements.copyTime, numberText, elements.useTime});
        return duplicate;
    }
    store->removeClip(recordName);
    return duplicate;
}

// Once per run: later damage would only repeat the same news.
void CClipDlg::OnStoreDamaged() {
    if (m_bStoreDamageReported)
        return;
    m_bStoreDamageReported = true;
    const std::string text = std::string(clip::kStoreDamagedMessage) + CSysClipBoard::getInstance()->getWindowsDir();
    MessageBoxW(hwnd(), fw::toWide(text).c_str(), fw::toWide(store::kMainWindowTitle).c_str(), MB_OK | MB_ICONWARNING);
}
