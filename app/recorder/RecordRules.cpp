#include "app/recorder/RecordRules.h"

#include "store/ClipFormats.h"
#include "store/ClipNames.h"
#include "store/DropFiles.h"
#include "store/Text.h"
#include "xml/XmlText.h"

#include <algorithm>

using xml::utf8ToUtf16;

namespace app::recorder {

std::string_view missText(MissReason reason) {
    switch (reason) {
    case MissReason::HeldOpen:
        return "另一个程序一直占用着剪贴板，这次复制的内容没能读出。";
    case MissReason::NotAnswering:
        return "复制内容的程序没有响应，这次复制的内容没能读出。";
    case MissReason::StoreFailed:
        return "剪贴板的存储文件无法写入，这次复制没有保存。";
    case MissReason::TooLarge:
        return "复制的内容超过了大小上限，这次复制没有记录下来。";
    case MissReason::QueueFull:
        return "复制得太快，前面的内容还没有保存完，这次复制没有记录下来。";
    case MissReason::ReplacedUnread:
        return "复制得太快，这次复制的内容还没来得及读出就被下一次复制替换了。";
    }
    return {};
}

std::string_view missName(MissReason reason) {
    switch (reason) {
    case MissReason::HeldOpen:
        return "clipboard held open";
    case MissReason::NotAnswering:
        return "source not answering";
    case MissReason::StoreFailed:
        return "store not written";
    case MissReason::TooLarge:
        return "copy too large";
    case MissReason::QueueFull:
        return "store queue full";
    case MissReason::ReplacedUnread:
        return "replaced before it was read";
    }
    return {};
}

std::chrono::milliseconds reopenDelay(int attempt) {
    static constexpr int kQuick[] = {10, 20, 30, 50, 70, 100, 120, 150, 200, 250};
    if (attempt < 0)
        return std::chrono::milliseconds(0);
    if (attempt < static_cast<int>(std::size(kQuick)))
        return std::chrono::milliseconds(kQuick[attempt]);
    return std::chrono::milliseconds(100);
}

bool asksOwner(const ClipboardOwner& owner) {
    return owner.alive && !owner.ours;
}

bool pingsBeforeGo(const ClipboardOwner& owner, bool foundNotAnswering) {
    return foundNotAnswering && asksOwner(owner);
}

bool asksAgain(std::chrono::milliseconds lastFormat) {
    return lastFormat >= kRenderedOnRequest;
}

// A ping that is not answered takes kSourceAnswerTimeout itself; the copy takes what is left.
bool mayAskAnotherFormat(std::chrono::milliseconds open) {
    return open + 2 * kSourceAnswerTimeout <= kOpenBound;
}

std::chrono::milliseconds nextLookAfter(Wait why, int attempt) {
    switch (why) {
    case Wait::HeldOpen:
        return reopenDelay(attempt);
    case Wait::NotAnswering:
        return std::chrono::milliseconds(100);
    case Wait::GoHeldUp:
        return std::chrono::milliseconds(50);
    case Wait::Resumed:
        return std::chrono::milliseconds(20);
    }
    return std::chrono::milliseconds(100);
}

bool givesUpOnRest(std::size_t formatsRead, std::chrono::milliseconds sinceLastAnswer) {
    return formatsRead > 0 && sinceLastAnswer >= kHungAfter;
}

bool isReleaseByOwner(const ChangeWhileWaiting& change) {
    return change.ownerGone && !change.hasOwner && change.holdsFormats && change.steps >= 1 && change.steps <= 2;
}

bool isCloseOfCopyBeingMade(const ChangeWhileWaiting& change) {
    return change.caughtBeingMade && change.sameOwner && !change.stillOpen && change.holdsFormats && change.steps >= 1;
}

Replaced whenReplaced(std::size_t formatsRead, std::optional<MissReason> waitedFor, bool wholeCopy) {
    const bool recorded = formatsRead > 0;
    return Replaced{recorded, !recorded && wholeCopy, waitedFor.value_or(MissReason::ReplacedUnread)};
}

bool refusedForBudget(const store::ClipSnapshot& kept, std::size_t leftOut) {
    return leftOut > 0 && !snapshotRow(kept);
}

// A burst of small copies (a script, a macro) may outrun the disk for many seconds, so the count
// only stops what the history could never hold; the bytes are what bound the memory.
QueueLimits queueLimits(std::size_t clipBudget) {
    return {static_cast<std::size_t>(store::kMaxHistoryNumber), 2 * clipBudget};
}

bool mayQueue(std::size_t queuedCopies, std::size_t queuedBytes, std::size_t bytes, const QueueLimits& limits) {
    if (queuedCopies == 0)
        return true;
    return queuedCopies < limits.copies && queuedBytes <= limits.bytes && bytes <= limits.bytes - queuedBytes;
}

namespace {

// FNV-1a over the text's units.
std::uint64_t textDigest(std::u16string_view text) {
    std::uint64_t digest = 0xcbf29ce484222325ull;
    for (char16_t unit : text) {
        digest = (digest ^ (unit & 0xFFu)) * 0x100000001b3ull;
        digest = (digest ^ (unit >> 8)) * 0x100000001b3ull;
    }
    return digest;
}

}  // namespace

void LastText::set(std::u16string_view text) {
    const bool whole = text.size() <= kWholeUnits;
    std::u16string kept = whole ? std::u16string(text) : std::u16string();
    const std::uint64_t digest = whole ? 0 : textDigest(text);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_text = std::move(kept);
    m_length = text.size();
    m_digest = digest;
}

bool LastText::admit(std::u16string_view text) {
    const bool whole = text.size() <= kWholeUnits;
    std::u16string kept = whole ? std::u16string(text) : std::u16string();
    const std::uint64_t digest = whole ? 0 : textDigest(text);  // outside the lock: it takes a while
    std::lock_guard<std::mutex> lock(m_mutex);
    if (text.size() == m_length && (whole ? text == m_text : digest == m_digest))
        return false;
    m_text = std::move(kept);
    m_length = text.size();
    m_digest = digest;
    return true;
}

namespace {

// The parts of a snapshot by the element names a stored clip would give them.
class SnapshotReader : public RecordReader {
public:
    static constexpr std::string_view kClip = "snapshot";

    explicit SnapshotReader(const store::ClipSnapshot& snapshot) : m_snapshot(snapshot) {}

    std::optional<std::u16string> text(const std::string& element, int format) override {
        const std::string* bytes = bytesOf(element);
        if (!bytes)
            return std::nullopt;
        if (format == store::kFormatText)
            return store::codePageToUtf16(std::string_view(bytes->c_str()));
        return store::utf16FromBytes(*bytes);
    }
    std::optional<std::pair<int, int>> pictureSize(const std::string&) override {
        return store::bitmapFileSize(m_snapshot.bitmapFile);
    }
    std::optional<std::u16string> firstFile(const std::string& element) override {
        const std::string* bytes = bytesOf(element);
        std::u16string path;
        if (!bytes || !store::firstDroppedFilePath(*bytes, path))
            return std::nullopt;
        return path;
    }

private:
    const std::string* bytesOf(const std::string& element) const {
        for (const store::ClipSnapshot::Format& format : m_snapshot.formats)
            if (store::formatElementName(kClip, format.index) == element)
                return &format.bytes;
        return nullptr;
    }

    const store::ClipSnapshot& m_snapshot;
};

}  // namespace

// Only the first fifteen places of the clipboard's list are read back from a stored clip.
std::optional<PartRow> snapshotRow(const store::ClipSnapshot& snapshot) {
    SnapshotReader reader(snapshot);
    const std::string clip(SnapshotReader::kClip);
    for (const store::ClipSnapshot::Format& format : snapshot.formats) {
        if (format.index >= store::kMaxFormatsPerClip)
            break;
        if (std::optional<PartRow> row =
                partRow(static_cast<int>(format.format), store::formatElementName(clip, format.index), clip, reader))
            return row;
    }
    return std::nullopt;
}

std::u16string trayTooltip(std::string_view lastRecordedStamp, int waiting, int queued, int missed, int secrets) {
    std::u16string tooltip = lastRecordedStamp.size() < 19
                                 ? u"Dravix\n还没有记录到复制"
                                 : u"Dravix\n上次记录：" + utf8ToUtf16(lastRecordedStamp.substr(11, 8));
    if (waiting > 0)
        tooltip += u"\n等待中：" + utf8ToUtf16(std::to_string(waiting));
    if (queued > 0)
        tooltip += u"\n队列：" + utf8ToUtf16(std::to_string(queued));
    if (missed > 0)
        tooltip += u"\n未能记录：" + utf8ToUtf16(std::to_string(missed));
    if (secrets > 0)
        tooltip += u"\n未记录的密钥：" + utf8ToUtf16(std::to_string(secrets));
    return tooltip;
}

}  // namespace app::recorder
