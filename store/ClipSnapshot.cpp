#include "store/ClipSnapshot.h"

#include "store/BmpLayout.h"
#include "store/ClipNames.h"
#include "store/DataFiles.h"
#include "store/FileSystem.h"
#include "store/LittleEndian.h"
#include "store/PasteQueue.h"
#include "store/StoreDocument.h"
#include "store/StoreFile.h"
#include "store/StoreLock.h"
#include "store/StorePaths.h"
#include "store/Thumbnail.h"
#include "store/TimeStamp.h"
#include "xml/XmlDocument.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

using xml::XmlDocument;

namespace store {

namespace {

// The number of a history clip's first format element, "his" + n + "-0"; 0 for other names.
long historyNumberOfFirstFormat(std::string_view name) {
    if (name.size() < 6 || name.compare(0, 3, "his") != 0 || name.compare(name.size() - 2, 2, "-0") != 0)
        return 0;
    const std::string_view digits = name.substr(3, name.size() - 5);
    if (digits.empty() || digits.size() > 9 || digits[0] == '0')
        return 0;
    long n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}

// A name for a temporary file in the data folder.
std::string stagedName(const StorePaths& paths) {
    return files::temporarySibling(joinPath(paths.dataFolder(), kStagedFileBase));
}

}  // namespace

std::size_t ClipSnapshot::byteCount() const {
    std::size_t total = bitmapFile.size();
    for (const Format& format : formats)
        total += format.bytes.size();
    return total;
}

std::optional<std::pair<int, int>> bitmapFileSize(std::string_view file) {
    if (file.size() < static_cast<std::size_t>(kBmpHeadersSize) || file[0] != 'B' || file[1] != 'M')
        return std::nullopt;
    const auto width = static_cast<std::int32_t>(readLittleEndian(file, 18));
    const auto height = static_cast<std::int32_t>(readLittleEndian(file, 22));
    if (width <= 0 || height == 0 || height == INT32_MIN)
        return std::nullopt;
    return std::make_pair(static_cast<int>(width), static_cast<int>(height < 0 ? -height : height));
}

StagedClip::StagedClip(const StorePaths& paths, const ClipSnapshot& snapshot) : m_paths(paths), m_snapshot(snapshot) {
    if (snapshot.empty())
        return;
    files::createFolder(paths.dataFolder());
    files::FileContents contents;
    for (const ClipSnapshot::Format& format : snapshot.formats) {
        m_formatFiles.push_back(stagedName(paths));
        contents.emplace_back(m_formatFiles.back(), format.bytes);
    }
    std::string thumbnail;
    if (!snapshot.bitmapFile.empty()) {
        m_bitmapFile = stagedName(paths);
        contents.emplace_back(m_bitmapFile, snapshot.bitmapFile);
        // The menu's picture; a bitmap it cannot be made of is shown from the bitmap itself.
        thumbnail = thumbnailFileBytes(snapshot.bitmapFile);
        if (!thumbnail.empty()) {
            m_thumbnailFile = stagedName(paths);
            contents.emplace_back(m_thumbnailFile, thumbnail);
        }
    }
    // Written together, then flushed together: one wait for the disk for the whole clip.
    m_written = writeDataFiles(contents);
    if (!m_written) {
        m_formatFiles.assign(m_formatFiles.size(), std::string());
        m_bitmapFile.clear();
        m_thumbnailFile.clear();
    }
}

StagedClip::~StagedClip() {
    for (const std::string& file : m_formatFiles)
        files::remove(file);
    files::remove(m_bitmapFile);
    files::remove(m_thumbnailFile);
    // The old files of a clip that was committed: the index names the new ones now.
    for (const Move& move : m_moves)
        files::remove(move.aside);
}

// Each file takes its name in the data folder; with `keepOldFiles` a file already there is moved
// aside first, so that it can come back. A move without a staged file only takes the old one away.
bool StagedClip::moveIntoPlace(std::vector<Move>& moves, bool keepOldFiles) {
    for (Move& move : moves) {
        const std::string target = m_paths.dataFile(move.name);
        if (keepOldFiles && files::exists(target)) {
            const std::string aside = stagedName(m_paths);
            if (!files::moveAside(target, aside)) {
                undo(moves);
                return false;
            }
            move.aside = aside;
        } else if (move.staged.empty()) {
            files::remove(target);  // a leftover of no clip the index holds
        }
        if (!move.staged.empty() && !files::replace(move.staged, target)) {
            undo(moves);
            return false;
        }
        move.done = !move.staged.empty();
    }
    return true;
}

// The new files go, the old ones come back under their names.
void StagedClip::undo(std::vector<Move>& moves) {
    for (auto move = moves.rbegin(); move != moves.rend(); ++move) {
        const std::string target = m_paths.dataFile(move->name);
        if (move->done)
            files::remove(target);
        if (!move->aside.empty())
            files::replace(move->aside, target);
        move->done = false;
        move->aside.clear();
    }
}

bool StagedClip::commit(XmlDocument& doc, std::string_view clip, const std::string& stamp, bool replacesOldFiles) {
    m_failed = !m_written;
    if (m_failed)
        return false;
    std::vector<Move> moves;
    if (!m_snapshot.empty()) {
        for (std::size_t i = 0; i < m_snapshot.formats.size(); ++i)
            moves.push_back({m_formatFiles[i], formatElementName(clip, m_snapshot.formats[i].index), {}, false});
        if (!m_bitmapFile.empty())
            moves.push_back({m_bitmapFile, bitmapFileName(clip), {}, false});
        // A thumbnail left from the clip's earlier contents must not stand for the new bitmap.
        moves.push_back({m_thumbnailFile, thumbnailFileName(clip), {}, false});
    }
    const bool held = replacesOldFiles || findRootChild(doc, timeElementName(clip)) ||
                      findRootChild(doc, formatElementName(clip, 0));
    if (!moveIntoPlace(moves, held)) {
        m_failed = true;
        return false;
    }
    for (const Move& move : moves)
        if (move.done)
            m_placed.push_back(move.name);
    m_formatFiles.clear();
    m_bitmapFile.clear();
    m_thumbnailFile.clear();
    m_moves = std::move(moves);

    bool changed = false;
    const int oldKeys = std::max(kMaxFormatsPerClip, static_cast<int>(m_snapshot.formats.size()));
    for (int i = 0; i < oldKeys; ++i)
        if (findRootChild(doc, formatElementName(clip, i)) && doc.enterElement() && doc.deleteElement())
            changed = true;
    if (m_snapshot.empty())
        return changed;
    if (findRootChild(doc, timeElementName(clip)) && doc.enterElement())
        doc.deleteElement();
    setRootChild(doc, timeElementName(clip), stamp);
    setRootChild(doc, useTimeElementName(clip), stamp);
    if (findRootChild(doc, sourceElementName(clip)) && doc.enterElement())
        doc.deleteElement();
    if (!m_snapshot.source.empty())
        setRootChild(doc, sourceElementName(clip), m_snapshot.source);
    for (const ClipSnapshot::Format& format : m_snapshot.formats)
        setRootChild(doc, formatElementName(clip, format.index), std::to_string(format.format));
    return true;
}

void StagedClip::rollBack() {
    undo(m_moves);
    m_moves.clear();
    m_placed.clear();
}

// One pass over the root's children: every "his" + n + "-0" marks n as taken; the answer is the
// lowest n that is not. It can be at most the number of children + 1.
int lowestFreeHistoryNumber(XmlDocument& doc) {
    std::vector<bool> taken(1);
    doc.resetPosition();
    if (doc.findElement() && doc.enterElement()) {
        while (doc.findElement()) {
            const long n = historyNumberOfFirstFormat(doc.elementName());
            if (n <= 0)
                continue;
            if (static_cast<std::size_t>(n) >= taken.size()) {
                if (n > kMaxHistoryNumber * 64L && static_cast<std::size_t>(n) > taken.size() * 2)
                    continue;  // far beyond any free number this index can leave
                taken.resize(static_cast<std::size_t>(n) + 1);
            }
            taken[static_cast<std::size_t>(n)] = true;
        }
    }
    std::size_t n = 1;
    while (n < taken.size() && taken[n])
        ++n;
    return static_cast<int>(n);
}

int historyNumberToMakeRoom(const std::vector<RootElement>& elements) {
    std::unordered_map<std::string_view, std::string_view> texts;
    std::vector<int> numbers;
    for (const RootElement& element : elements) {
        texts.emplace(element.name, element.text);
        const long n = historyNumberOfFirstFormat(element.name);
        if (n > 0 && n <= kMaxHistoryNumber)
            numbers.push_back(static_cast<int>(n));
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    const auto textOf = [&texts](const std::string& name) {
        const auto found = texts.find(name);
        return found == texts.end() ? std::string_view() : found->second;
    };
    int oldest = 0;
    std::string_view oldestTime;
    for (int n : numbers) {
        if (texts.count(categoryElementName(historyBaseName(n))))
            continue;
        const std::string clip = historyClipName(n);
        std::string_view used = textOf(useTimeElementName(clip));
        if (used.empty())
            used = textOf(timeElementName(clip));
        if (oldest == 0 || used < oldestTime) {
            oldest = n;
            oldestTime = used;
        }
    }
    return oldest;
}

bool writeClip(const StorePaths& paths, std::string_view clip, const ClipSnapshot& snapshot) {
    StagedClip staged(paths, snapshot);
    if (!snapshot.empty() && !staged.written())
        return false;
    bool edited = false, changed = false;
    const bool written = updateStoreFile(paths.indexFile(), IfMissing::Create, [&](XmlDocument& doc) {
        edited = true;
        changed = staged.commit(doc, clip, currentTimeStamp());
        return changed;
    });
    if (changed && !written)
        staged.rollBack();
    return edited && !staged.failed() && (written || !changed);
}

namespace {

// Of the files of a removed clip, those that the snapshot filed under the same number did not put
// anew in their places.
std::vector<std::string> filesNotReplaced(std::vector<std::string> removed, const std::vector<std::string>& placed) {
    removed.erase(std::remove_if(removed.begin(), removed.end(),
                                 [&](const std::string& file) {
                                     return std::find(placed.begin(), placed.end(), file) != placed.end();
                                 }),
                  removed.end());
    return removed;
}

}  // namespace

FiledRecord fileHistoryRecord(const StorePaths& paths, const ClipSnapshot& snapshot, const std::string& stamp,
                              WhenHistoryFull whenFull) {
    FiledRecord filed;
    filed.stamp = stamp;
    if (snapshot.empty())
        return filed;
    StagedClip staged(paths, snapshot);
    if (!staged.written())
        return filed;
    // Held around the index's rewrite and the removal of the files of a clip that made room, so
    // that no other writer sees the one without the other.
    StoreLock lock;
    if (!lock.held())
        return filed;
    int number = 0, madeRoomFor = 0;
    std::vector<std::string> removed;
    const bool written = updateStoreFile(paths.indexFile(), IfMissing::Create, [&](XmlDocument& index) {
        number = lowestFreeHistoryNumber(index);
        if (number > kMaxHistoryNumber && whenFull == WhenHistoryFull::RemoveOldest) {
            if (const int oldest = historyNumberToMakeRoom(rootElements(index)); oldest > 0) {
                removed = removeClipElements(index, historyClipName(oldest));
                number = madeRoomFor = oldest;
            }
        }
        return number <= kMaxHistoryNumber && staged.commit(index, historyClipName(number), stamp, madeRoomFor != 0);
    });
    if (number > kMaxHistoryNumber) {
        filed.outcome = FiledRecord::Outcome::HistoryFull;
        return filed;
    }
    if (!written) {
        staged.rollBack();
        return filed;
    }
    filed.outcome = FiledRecord::Outcome::Filed;
    filed.number = number;
    filed.madeRoom = madeRoomFor != 0;
    if (filed.madeRoom) {
        // The number names the new copy now: the old clip leaves the paste queue, and its files that
        // the copy did not put anew go (its thumbnail too, unless the copy made one).
        removeFromPasteQueue(paths.statusFile(), {madeRoomFor});
        for (const std::string& file : filesNotReplaced(std::move(removed), staged.placed()))
            if (isPlainFileName(file))
                files::remove(paths.dataFile(file));
    }
    return filed;
}

}  // namespace store
