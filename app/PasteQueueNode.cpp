#include "app/PasteQueueNode.h"

#include "app/ClipRules.h"
#include "store/PasteQueue.h"
#include "base/Text.h"
#include "base/Trace.h"

namespace app {

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

void CPasteQueueNode::appendNumbers(const std::vector<int>& numbers) {
    const std::optional<store::QueueAppend> appended = store::appendToPasteQueue(m_statusFile, numbers);
    if (!appended) {
        base::Trace("paste queue not written");
        m_tray.ShowNotice(base::toWide(app::kQueueNotWrittenText));
    } else if (appended->refused > 0) {
        base::Trace("paste queue full: %d not queued", appended->refused);
        m_tray.ShowNotice(base::toWide(app::kQueueFullText));
    }
    Changed();
}

void CPasteQueueNode::Append(const std::vector<std::string>& clips) {
    appendNumbers(historyNumbers(clips));
}

void CPasteQueueNode::Remove(const std::vector<std::string>& clips) {
    if (!store::removeFromPasteQueue(m_statusFile, historyNumbers(clips)))
        m_tray.ShowNotice(base::toWide(app::kQueueNotWrittenText));
    Changed();
}

void CPasteQueueNode::Clear() {
    if (!store::clearPasteQueue(m_statusFile))
        m_tray.ShowNotice(base::toWide(app::kQueueNotWrittenText));
    Changed();
}

void CPasteQueueNode::Recorded(int number) {
    if (m_tray.queuesOnCopy())
        appendNumbers({number});
}

// A queue that cannot be read leaves the tooltip and the rows as they are.
void CPasteQueueNode::Changed() {
    const std::optional<store::PasteQueue> queue = store::readPasteQueue(m_statusFile);
    if (!queue)
        return;
    base::Trace("paste queue: %s", store::pasteQueueText(*queue).c_str());
    m_tray.NoteQueued(static_cast<int>(queue->size()));
    if (m_showsQueue())
        m_refill();
}

}  // namespace app
