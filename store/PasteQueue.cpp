#include "store/PasteQueue.h"

#include "store/ClipNames.h"
#include "store/FileSystem.h"
#include "store/StoreDocument.h"
#include "store/StoreFile.h"
#include "store/StoreLock.h"
#include "xml/XmlDocument.h"

#include <algorithm>
#include <functional>

using xml::XmlDocument;

namespace store {

namespace {

bool isHistoryNumber(int number) {
    return number >= 1 && number <= kMaxHistoryNumber;
}

bool queued(const PasteQueue& queue, int number) {
    return std::find(queue.begin(), queue.end(), number) != queue.end();
}

PasteQueue queueOf(XmlDocument& doc) {
    return findRootChild(doc, kPasteQueueKey) ? parsePasteQueue(doc.childElementText()) : PasteQueue{};
}

// An empty queue leaves no key behind.
void storeQueue(XmlDocument& doc, const PasteQueue& queue) {
    if (!queue.empty()) {
        setRootChild(doc, kPasteQueueKey, pasteQueueText(queue));
        return;
    }
    if (findRootChild(doc, kPasteQueueKey) && doc.enterElement())
        doc.deleteElement();
}

// One read-modify-write of the queue; `change` says whether it changed it. True when the file
// holds the changed queue (or nothing needed writing).
bool changeQueue(const std::string& statusPath, const std::function<bool(PasteQueue&)>& change) {
    bool changed = false;
    bool read = false;
    const bool written = updateStoreFile(statusPath, IfMissing::Create, [&](XmlDocument& doc) {
        read = true;
        PasteQueue queue = queueOf(doc);
        changed = change(queue);
        if (changed)
            storeQueue(doc, queue);
        return changed;
    });
    return read && (written || !changed);
}

}  // namespace

PasteQueue parsePasteQueue(std::string_view text) {
    PasteQueue queue;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        const std::string_view token = text.substr(at, end - at);
        at = end + 1;
        if (token.empty() || token.size() > 3 || !std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        const int number = std::stoi(std::string(token));
        if (isHistoryNumber(number) && !queued(queue, number) && queue.size() < kPasteQueueLimit)
            queue.push_back(number);
    }
    return queue;
}

std::string pasteQueueText(const PasteQueue& queue) {
    std::string text;
    for (int number : queue)
        text += (text.empty() ? "" : " ") + std::to_string(number);
    return text;
}

QueueAppend appendToQueue(PasteQueue& queue, const std::vector<int>& numbers) {
    QueueAppend result;
    for (int number : numbers) {
        if (queued(queue, number))
            ++result.alreadyQueued;
        else if (!isHistoryNumber(number) || queue.size() >= kPasteQueueLimit)
            ++result.refused;
        else {
            queue.push_back(number);
            ++result.added;
        }
    }
    return result;
}

bool removeFromQueue(PasteQueue& queue, int number) {
    const auto at = std::find(queue.begin(), queue.end(), number);
    if (at == queue.end())
        return false;
    queue.erase(at);
    return true;
}

bool popQueueHead(PasteQueue& queue, int pasted) {
    if (queue.empty() || queue.front() != pasted)
        return false;
    queue.erase(queue.begin());
    return true;
}

std::optional<int> historyNumberOfClip(std::string_view clip) {
    if (!isHistoryClipName(clip))
        return std::nullopt;
    const std::string_view digits = clip.substr(kHistoryPrefix.size(), clip.size() - kHistoryPrefix.size() - 1);
    const PasteQueue number = parsePasteQueue(digits);
    if (number.size() != 1 || pasteQueueText(number) != digits)
        return std::nullopt;
    return number.front();
}

std::optional<PasteQueue> readPasteQueue(const std::string& statusPath) {
    XmlDocument doc;
    switch (readStoreFile(statusPath, doc)) {
    case FileState::Missing:
        return PasteQueue{};
    case FileState::Unreadable:
        return std::nullopt;
    case FileState::Loaded:
        break;
    }
    return queueOf(doc);
}

std::optional<QueueAppend> appendToPasteQueue(const std::string& statusPath, const std::vector<int>& numbers) {
    QueueAppend result;
    if (!changeQueue(statusPath, [&](PasteQueue& queue) {
            result = appendToQueue(queue, numbers);
            return result.added > 0;
        }))
        return std::nullopt;
    return result;
}

bool removeFromPasteQueue(const std::string& statusPath, const std::vector<int>& numbers) {
    return changeQueue(statusPath, [&](PasteQueue& queue) {
        bool removed = false;
        for (int number : numbers)
            removed = removeFromQueue(queue, number) || removed;
        return removed;
    });
}

bool clearPasteQueue(const std::string& statusPath) {
    return changeQueue(statusPath, [](PasteQueue& queue) {
        const bool changed = !queue.empty();
        queue.clear();
        return changed;
    });
}

bool popPasteQueueHead(const std::string& statusPath, int pasted) {
    return changeQueue(statusPath, [&](PasteQueue& queue) { return popQueueHead(queue, pasted); });
}

bool keepOnlyPasteQueue(const std::string& statusPath) {
    StoreLock lock;
    if (!lock.held())
        return false;
    const std::optional<PasteQueue> queue = readPasteQueue(statusPath);
    if (!files::remove(statusPath) && files::exists(statusPath))
        return false;
    return !queue || queue->empty() || appendToPasteQueue(statusPath, *queue).has_value();
}

}  // namespace store
