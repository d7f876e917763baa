#include "search/EarlierRuns.h"

#include "search/SealedBlocks.h"
#include "search/Signature.h"
#include "store/ArchivePaths.h"
#include "store/ClipNames.h"
#include "store/FileSystem.h"
#include "store/RunNames.h"
#include "store/StorePaths.h"
#include "store/Text.h"
#include "xml/XmlText.h"

#include <algorithm>
#include <set>

namespace search {

namespace {

// The most index files of unwritable folders kept in memory, the most bytes of sealed indexes
// heads kept opened (a run of 999 clips has a head of about 180 KB), and the largest index file read.
constexpr std::size_t kMaxUnwritten = 16;
constexpr std::size_t kMaxKnownHeadBytes = 24u << 20;
constexpr std::size_t kMaxIndexFileBytes = 1u << 30;
// From this many rows on, a section is read whole rather than row by row.
constexpr std::size_t kWholeSectionFrom = 16;

std::u16string ascii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

// "2026-12-08 14-03-22" (a run's name) as "2026-12-08 14:03:22", with " (2)" when it has one.
std::u16string runOrigin(const store::RunName& run) {
    std::string time = run.time;
    if (time.size() == 19)
        time[13] = time[16] = ':';
    return ascii(run.sameSecond > 1 ? time + " (" + std::to_string(run.sameSecond) + ")" : time);
}

// The marks that fall within a line of `units`, cut to it.
std::vector<TextSpan> withinLine(std::vector<TextSpan> marks, std::size_t units) {
    std::vector<TextSpan> kept;
    for (const TextSpan& mark : marks)
        if (mark.start < units)
            kept.push_back({mark.start, std::min(mark.length, units - mark.start)});
    return kept;
}

// What makes a clip kept in several runs the same clip: its time, number, kind, program and line.
std::string sameClipKey(const Hit& hit) {
    return hit.copyTime + '\x1f' + std::to_string(hit.number) + '\x1f' + std::to_string(hit.kind) + '\x1f' + hit.program +
           '\x1f' + xml::utf16ToUtf8(hit.line);
}

}  // namespace

std::vector<Source> searchSources(const std::string& runsFolder, const std::vector<std::string>& archiveFolders) {
    std::vector<std::pair<store::RunName, std::string>> runs;
    for (const std::string& name : store::files::filesIn(runsFolder))
        if (std::optional<store::RunName> run = store::parseRunArchive(name))
            runs.emplace_back(std::move(*run), name);
    std::sort(runs.begin(), runs.end(), [](const auto& a, const auto& b) { return b.first < a.first; });
    std::vector<Source> sources;
    std::set<std::string> seen;
    for (const auto& [run, name] : runs) {
        sources.push_back({store::joinPath(runsFolder, name), runOrigin(run), true});
        seen.insert(store::asciiLower(sources.back().archive));
    }
    for (const std::string& folder : archiveFolders) {
        std::vector<store::files::FileEntry> archives = store::files::fileEntriesIn(folder);
        std::sort(archives.begin(), archives.end(), [](const auto& a, const auto& b) { return a.writeTime > b.writeTime; });
        for (const store::files::FileEntry& entry : archives) {
            const std::string path = store::joinPath(folder, entry.name);
            if (store::hasArchiveExtension(entry.name) && seen.insert(store::asciiLower(path)).second)
                sources.push_back({path, xml::utf8ToUtf16(entry.name), false});
        }
    }
    return sources;
}

// An index opened for a search: its head read and checked, its other parts read as needed from
// the file (plain, or sealed in blocks), or from memory when it has just been made. The buffers it
// reads into only grow: a search over a hundred indexes allocates them once.
class OpenIndex {
public:
    enum Buffer { kHead, kTexts, kLines, kText, kLine, kBuffers };
    IndexHead head;

    IndexState fromFile(const std::string& path, const ArchiveStamp& archive) {
        close();
        m_file = std::make_unique<store::files::PartReader>(path);
        return m_file->isOpen() ? readHead(m_file->size(), archive) : IndexState::Damaged;
    }
    // `knownHead`, when given, is the head as opened before (it must outlive this index's use).
    IndexState fromBlocks(const std::string& path, const UnsealBytes& unseal, const ArchiveStamp& archive,
                          std::string_view knownHead = {}) {
        close();
        m_blocks = std::make_unique<SealedBlocks>();
        if (!m_blocks->open(path, unseal))
            return IndexState::Damaged;
        return knownHead.empty() ? readHead(m_blocks->size(), archive) : head.read(knownHead, m_blocks->size(), archive);
    }
    // The head's bytes as last read into its buffer.
    std::string_view headBytes() const { return std::string_view(m_buffers[kHead]).substr(0, m_headSize); }
    IndexState fromBytes(std::string whole, const ArchiveStamp& archive) {
        close();
        m_whole = std::move(whole);
        return readHead(m_whole.size(), archive);
    }
    // `count` bytes at `offset`: where they lie in memory, or read into the buffer `into`.
    std::optional<std::string_view> part(std::uint64_t offset, std::size_t count, Buffer into) {
        std::string& buffer = m_buffers[into];
        if (m_blocks)
            return m_blocks->part(offset, count, buffer);
        if (!m_file) {
            if (offset > m_whole.size() || count > m_whole.size() - offset)
                return std::nullopt;
            return std::string_view(m_whole).substr(static_cast<std::size_t>(offset), count);
        }
        if (buffer.size() < count)
            buffer.resize(count);
        if (!m_file->read(offset, count, buffer.data()))
            return std::nullopt;
        return std::string_view(buffer.data(), count);
    }
    void close() {
        m_file.reset();
        m_blocks.reset();
        m_whole.clear();
    }
    // The whole file's bytes (opened, when sealed), for its digest.
    bool readWhole(std::string& into) {
        const std::uint64_t size = m_blocks ? m_blocks->size() : m_file ? m_file->size() : m_whole.size();
        if (size > kMaxIndexFileBytes)
            return false;
        const std::optional<std::string_view> bytes = part(0, static_cast<std::size_t>(size), kTexts);
        if (bytes)
            into.assign(bytes->data(), bytes->size());
        return bytes.has_value();
    }

private:
    IndexState readHead(std::uint64_t size, const ArchiveStamp& archive) {
        if (size < kIndexHeaderBytes)
            return IndexState::Damaged;
        const std::optional<std::string_view> header = part(0, kIndexHeaderBytes, kHead);
        const std::optional<std::uint64_t> headSize = header ? IndexHead::headSize(*header) : std::nullopt;
        const std::optional<std::string_view> bytes =
            headSize && *headSize <= size ? part(0, static_cast<std::size_t>(*headSize), kHead) : std::nullopt;
        m_headSize = bytes ? bytes->size() : 0;
        return bytes ? head.read(*bytes, size, archive) : IndexState::Damaged;
    }

    std::unique_ptr<store::files::PartReader> m_file;
    std::unique_ptr<SealedBlocks> m_blocks;
    std::string m_whole;
    std::string m_buffers[kBuffers];
    std::size_t m_headSize = 0;
};

namespace {

// The rows whose facts the matcher admits and whose signatures may hold its words.
std::vector<std::size_t> admittedRows(const IndexHead& head, const Matcher& matcher) {
    std::vector<char> programs(head.stringCount()), categories(head.stringCount());
    for (std::size_t i = 0; i < head.stringCount(); ++i) {
        programs[i] = matcher.acceptsProgram(head.string(static_cast<std::uint16_t>(i)));
        categories[i] = matcher.acceptsCategory(head.string(static_cast<std::uint16_t>(i)));
    }
    const bool noProgram = matcher.acceptsProgram({}), noCategory = matcher.acceptsCategory({});
    const std::vector<Signature>& wanted = matcher.signatures();
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < head.rowCount(); ++i) {
        const IndexedRow& row = head.row(i);
        const bool admitted = matcher.acceptsKind(row.kind) && matcher.acceptsTime(row.copyTime) &&
                              (row.source == kNoString ? noProgram : programs[row.source] != 0) &&
                              (row.category == kNoString ? noCategory : categories[row.category] != 0);
        const auto mayHold = [&](const Signature& signature) { return head.rowMayHold(i, signature); };
        if (admitted && (wanted.empty() || std::any_of(wanted.begin(), wanted.end(), mayHold)))
            rows.push_back(i);
    }
    return rows;
}

// A section of an index (its texts or its lines): read whole when many rows need it, else a
// row's part at a time.
class Section {
public:
    Section(OpenIndex& index, std::uint64_t at, std::uint64_t size, OpenIndex::Buffer whole, OpenIndex::Buffer part,
            bool readWhole)
        : m_index(index), m_at(at), m_part(part),
          m_whole(readWhole ? index.part(at, static_cast<std::size_t>(size), whole) : std::nullopt) {}

    std::optional<std::string_view> part(std::uint64_t offset, std::size_t count) {
        if (m_whole)
            return m_whole->substr(static_cast<std::size_t>(offset - m_at), count);
        return m_index.part(offset, count, m_part);
    }

private:
    OpenIndex& m_index;
    std::uint64_t m_at;
    OpenIndex::Buffer m_part;
    std::optional<std::string_view> m_whole;
};

// The rows of one index that the matcher admits, as results of `source`; false when the
// deadline came first.
bool searchIndex(OpenIndex& index, std::size_t source, const Matcher& matcher, Deadline& deadline, std::vector<Hit>& hits) {
    const IndexHead& head = index.head;
    const std::vector<std::size_t> rows = admittedRows(head, matcher);
    const bool many = rows.size() >= kWholeSectionFrom;
    Section texts(index, head.textsAt(), head.textsSize(), OpenIndex::kTexts, OpenIndex::kText, many && matcher.looksAtText());
    Section lines(index, head.linesAt(), head.linesSize(), OpenIndex::kLines, OpenIndex::kLine, many);
    for (std::size_t n = 0; n < rows.size(); ++n) {
        if (n % 256 == 255 && deadline.passed())
            return false;
        const IndexedRow& row = head.row(rows[n]);
        std::optional<std::string_view> text;
        if (matcher.looksAtText()) {
            text = texts.part(row.textAt, row.textBytes);
            const Verdict verdict = text ? matcher.holdsText(textOf(row, *text), deadline) : Verdict::No;
            if (verdict == Verdict::CutShort)
                return false;
            if (verdict == Verdict::No)
                continue;
        }
        const std::optional<std::string_view> line = lines.part(row.lineAt, 2 * row.lineUnits);
        Hit hit{source, row.number, row.kind, store::historyClipName(row.number), std::string(row.copyTime),
                std::string(head.string(row.source)), std::string(head.string(row.category)),
                lineOf(line.value_or(std::string_view())), {}};
        if (text)
            hit.marks = withinLine(matcher.marks(textOf(row, *text), deadline), hit.line.size());
        hits.push_back(std::move(hit));
    }
    return true;
}

}  // namespace

EarlierRuns::EarlierRuns(IndexAccess access) : m_access(std::move(access)) {}

// Whether an index whose head reads well is whole: its digest is checked once, and again only
// when its file changes.
bool EarlierRuns::trustworthy(const std::string& indexPath, OpenIndex& index) {
    const std::optional<store::files::FileEntry> entry = store::files::entryOf(indexPath);
    if (!entry)
        return false;
    const auto checked = m_checked.find(indexPath);
    if (checked != m_checked.end() && checked->second == std::make_pair(entry->size, entry->writeTime))
        return true;
    std::string whole;
    if (!index.readWhole(whole) || !digestMatches(whole))
        return false;
    m_checked[indexPath] = {entry->size, entry->writeTime};
    return true;
}

// The source's index opened, made first when it is missing, damaged or out of date. False when
// the source cannot be searched (the outcome's notes say why).
bool EarlierRuns::open(const Source& source, OpenIndex& index, SearchOutcome& outcome) {
    const std::optional<ArchiveStamp> stamp = archiveStamp(source.archive);
    if (!stamp) {
        outcome.notes.push_back("gone: " + source.archive);
        return false;
    }
    const std::string indexPath = store::searchIndexPath(source.archive);
    const auto unwritten = m_unwritten.find(source.archive);
    if (unwritten != m_unwritten.end() && index.fromBytes(unwritten->second, *stamp) == IndexState::Valid)
        return true;
    const IndexState state = m_access.unseal ? openSealed(indexPath, index, *stamp) : index.fromFile(indexPath, *stamp);
    if (state == IndexState::Valid && trustworthy(indexPath, index))
        return true;
    index.close();  // Windows replaces no file that is open
    BuiltIndex built = buildIndex(source.archive, m_access);
    if (built.outcome == BuiltIndex::Outcome::ArchiveUnreadable) {
        outcome.notes.push_back("cannot be read: " + source.archive);
        return false;
    }
    ++outcome.built;
    if (built.outcome == BuiltIndex::Outcome::Written) {
        if (const std::optional<store::files::FileEntry> entry = store::files::entryOf(indexPath))
            m_checked[indexPath] = {entry->size, entry->writeTime};
    } else if (m_unwritten.size() < kMaxUnwritten) {
        m_unwritten[source.archive] = built.bytes;
        outcome.notes.push_back("index kept in memory, it could not be sealed or its folder written: " + source.archive);
    }
    return index.fromBytes(std::move(built.bytes), *stamp) == IndexState::Valid;
}

// A sealed index, its head opened once while its file stays the same: a key typed then opens
// only the blocks of the rows its words may be in.
IndexState EarlierRuns::openSealed(const std::string& indexPath, OpenIndex& index, const ArchiveStamp& stamp) {
    const std::optional<store::files::FileEntry> entry = store::files::entryOf(indexPath);
    const auto known = m_heads.find(indexPath);
    if (entry && known != m_heads.end() && known->second.file == std::make_pair(entry->size, entry->writeTime))
        return index.fromBlocks(indexPath, m_access.unseal, stamp, known->second.bytes);
    const IndexState state = index.fromBlocks(indexPath, m_access.unseal, stamp);
    const std::string_view head = index.headBytes();
    if (known != m_heads.end()) {
        m_headBytes -= known->second.bytes.size();
        m_heads.erase(known);
    }
    if (entry && state == IndexState::Valid && m_headBytes + head.size() <= kMaxKnownHeadBytes) {
        m_heads[indexPath] = {{entry->size, entry->writeTime}, std::string(head)};
        m_headBytes += head.size();
    }
    return state;
}

SearchOutcome EarlierRuns::search(const std::vector<Source>& sources, const Matcher& matcher, Deadline& deadline,
                                  const std::atomic<bool>* stop, std::size_t maxHits) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    SearchOutcome outcome;
    if (!matcher.usable())
        return outcome;
    std::set<std::string> seen;
    OpenIndex index;
    for (std::size_t s = 0; s < sources.size() && !outcome.more; ++s) {
        if ((stop && stop->load()) || deadline.passed()) {
            outcome.cutShort = true;
            break;
        }
        if (!open(sources[s], index, outcome))
            continue;
        std::vector<Hit> found;
        outcome.cutShort = !searchIndex(index, s, matcher, deadline, found);
        std::stable_sort(found.begin(), found.end(), [](const Hit& a, const Hit& b) { return a.copyTime > b.copyTime; });
        for (Hit& hit : found) {
            if (!seen.insert(sameClipKey(hit)).second)
                continue;
            if (outcome.hits.size() == maxHits) {
                outcome.more = true;
                break;
            }
            outcome.hits.push_back(std::move(hit));
        }
        if (outcome.cutShort)
            break;
        ++outcome.searched;
    }
    return outcome;
}

std::size_t EarlierRuns::prepare(const std::vector<Source>& sources, const std::atomic<bool>& stop) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    SearchOutcome outcome;
    OpenIndex index;
    for (std::size_t s = 0; s < sources.size() && !stop.load(); ++s)
        open(sources[s], index, outcome);
    return outcome.built;
}

}  // namespace search
