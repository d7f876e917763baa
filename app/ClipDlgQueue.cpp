// CClipDlg: the paste queue as the main window sees it: filled from the list's menu and (with
// the tray's "复制时加入粘贴队列" on) by every copy recorded, shown under its own node and counted
// in the tray's tooltip. The hook library takes its head with Ctrl+Alt+Q and tells us with the
// paste's WM_USER+3. Every change is one step on the store's status file (store/PasteQueue.h).
#include "app/ClipDlg.h"

#include "app/ClipRules.h"
#include "store/NumberText.h"
#include "store/PasteQueue.h"
#include "store/SysClipBoard.h"
#include "base/Text.h"
#include "base/Trace.h"

namespace {

// The history numbers of the rows' clips; slot clips have none.
std::vector<int> historyNumbers(const std::vector<std::string>& clips) {
    std::vector<int> numbers;
    for (const std::string& clip : clips)
        if (const std::optional<int> number = store::historyNumberOfClip(clip))
            numbers.push_back(*number);
    return numbers;
}

}  // namespace

std::string CClipDlg::queueFile() const {
    return m_store.paths().statusFile();
}

void CClipDlg::appendToQueue(const std::vector<int>& numbers) {
    const std::optional<store::QueueAppend> appended = store::appendToPasteQueue(queueFile(), numbers);
    if (!appended) {
        base::Trace("paste queue not written");
        m_tray.ShowNotice(base::toWide(clip::kQueueNotWrittenText));
    } else if (appended->refused > 0) {
        base::Trace("paste queue full: %d not queued", appended->refused);
        m_tray.ShowNotice(base::toWide(clip::kQueueFullText));
    }
    queueChanged();
}

void CClipDlg::QueueRows(const std::vector<std::string>& clips) {
    appendToQueue(historyNumbers(clips));
}

void CClipDlg::UnqueueRows(const std::vector<std::string>& clips) {
    if (!store::removeFromPasteQueue(queueFile(), historyNumbers(clips)))
        m_tray.ShowNotice(base::toWide(clip::kQueueNotWrittenText));
    queueChanged();
}

void CClipDlg::ClearQueue() {
    if (!store::clearPasteQueue(queueFile()))
        m_tray.ShowNotice(base::toWide(clip::kQueueNotWrittenText));
    queueChanged();
}

bool CClipDlg::ShowsQueue() const {
    return m_tree.GetSelectedItem() == m_hQueue;
}

// A copy recorded while the tray's item is on joins the queue as its row is shown.
void CClipDlg::queueRecorded(int number) {
    if (m_tray.queuesOnCopy())
        appendToQueue({number});
}

// The tooltip's count, and the queue's view when it is on display. A queue that cannot be read
// leaves both as they are.
void CClipDlg::queueChanged() {
    const std::optional<store::PasteQueue> queue = store::readPasteQueue(queueFile());
    if (!queue)
        return;
    base::Trace("paste queue: %s", store::pasteQueueText(*queue).c_str());
    m_tray.NoteQueued(static_cast<int>(queue->size()));
    if (ShowsQueue())
        FillClipList(m_hQueue);
}
