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
// From this many rows on, a section of a plain index is read whole rather than row by row (a
// sealed one is read by the block, each opened once as the rows go on).
constexpr std::size_t kWholeSectionFrom = 16;
// The outcomes remembered, the most bytes of their hits and hits' texts kept in all (a search's
// texts are not kept beyond it either), and the most sources prepare remembers looking at.
constexpr std::size_t kRememberedOutcomes = 8;
constexpr std::size_t kMaxRememberedBytes = 6u << 20;
constexpr std::size_t kMaxRememberedTextBytes = 4u << 20;
constexpr std::size_t kMaxPrepared = 4096;

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

// A folder's files by name in any case, to find an archive's index beside it.
using Listing = std::map<std::string, store::files::FileEntry>;

Listing listingOf(const std::vector<store::files::FileEntry>& entries) {
    Listing listing;
    for (const store::files::FileEntry& entry : entries)
        listing.emplace(store::asciiLower(entry.name), entry);
    return listing;
}

Source sourceOf(const std::string& folder, const store::files::FileEntry& archive, const Listing& listing,
                std::u16string origin, bool keptRun) {
    Source source{store::joinPath(folder, archive.name), std::move(origin), keptRun, {archive.size, archive.writeTime}, {}};
    const auto index = listing.find(store::asciiLower(archive.name + std::string(store::kSearchIndexExtension)));
    if (index != listing.end())
        source.indexFile = ArchiveStamp{index->second.size, index->second.writeTime};
    return source;
}

}  // namespace

std::vector<Source> searchSources(const std::string& runsFolder, const std::vector<std::string>& archiveFolders) {
    const std::vector<store::files::FileEntry> runFiles = store::files::fileEntriesIn(runsFolder);
    const Listing runListing = listingOf(runFiles);
    std::vector<std::pair<store::RunName, const store::files::FileEntry*>> runs;
    for (const store::files::FileEntry& entry : runFiles)
        if (std::optional<store::RunName> run = store::parseRunArchive(entry.name))
            runs.emplace_back(std::move(*run), &entry);
    std::sort(runs.begin(), runs.end(), [](const auto& a, const auto& b) { return b.first < a.first; });
    std::vector<Source> sources;
    std::set<std::string> seen;
    for (const auto& [run, entry] : runs) {
        sources.push_back(sourceOf(runsFolder, *entry, runListing, runOrigin(run), true));
        seen.insert(store::asciiLower(sources.back().archive));
    }
    for (const std::string& folder : archiveFolders) {
        std::vector<store::files::FileEntry> archives = store::files::fileEntriesIn(folder);
        const Listing listing = listingOf(archives);
        std::sort(archives.begin(), archives.end(), [](const auto& a, const auto& b) { return a.writeTime > b.writeTime; });
        for (const store::files::FileEntry& entry : archives)
            if (store::hasArchiveExtension(entry.name) && seen.insert(store::asciiLower(store::joinPath(folder, entry.name))).second)
                sources.push_back(sourceOf(folder, entry, listing, xml::utf8ToUtf16(entry.name), false));
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
    bool sealedInBlocks() const { return m_blocks != nullptr; }
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

// A hit found in one index, with its folded text when it was read.
struct Found {
    Hit hit;
    std::optional<KeptText> text;
};

// The rows of one index that the matcher admits, as results of `source`; false when the
// deadline came first.
// Each hit's text is kept while `textBudget` lasts (it is taken from as they are).
bool searchIndex(OpenIndex& index, std::size_t source, const Matcher& matcher, Deadline& deadline, std::vector<Found>& found,
                 std::size_t& textBudget) {
    const IndexHead& head = index.head;
    const std::vector<std::size_t> rows = admittedRows(head, matcher);
    const bool many = rows.size() >= kWholeSectionFrom && !index.sealedInBlocks();
    Section texts(index, head.textsAt(), head.textsSize(), OpenIndex::kTexts, OpenIndex::kText, many && matcher.looksAtText());
    Section lines(index, head.linesAt(), head.linesSize(), OpenIndex::kLines, OpenIndex::kLine, many);
    for (std::size_t n = 0; n < rows.size(); ++n) {
        if (n % 32 == 31 && deadline.passed())
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
        Found hit{{source, row.number, row.kind, store::historyClipName(row.number), std::string(row.copyTime),
                   std::string(head.string(row.source)), std::string(head.string(row.category)),
                   lineOf(line.value_or(std::string_view())), {}},
                  std::nullopt};
        if (text) {
            const TextView view = textOf(row, *text);
            hit.hit.marks = withinLine(matcher.marks(view, deadline), hit.hit.line.size());
            if (view.bytes.size() <= textBudget) {
                textBudget -= view.bytes.size();
                hit.text = KeptText{view.narrow, std::string(view.bytes)};
            }
        }
        found.push_back(std::move(hit));
    }
    return true;
}


std::pair<std::uint64_t, std::int64_t> fileKey(const ArchiveStamp& stamp) {
    return {stamp.size, stamp.writeTime};
}

}  // namespace

EarlierRuns::EarlierRuns(IndexAccess access) : m_access(std::move(access)) {}

// What a remembered outcome was searched in: each source as listed.
std::vector<EarlierRuns::SourceKey> EarlierRuns::sourcesKey(const std::vector<Source>& sources) {
    std::vector<SourceKey> key;
    key.reserve(sources.size());
    for (const Source& source : sources)
        key.emplace_back(source.archive, source.stamp, source.indexFile);
    return key;
}

// Whether an index whose head reads well is whole: its digest is checked once (when `mayCheck`),
// and again only when its file changes.
EarlierRuns::Trust EarlierRuns::trustworthy(const std::string& indexPath, const Source& source, OpenIndex& index,
                                            bool mayCheck) {
    if (!source.indexFile)
        return Trust::No;
    const auto checked = m_checked.find(indexPath);
    if (checked != m_checked.end() && checked->second == fileKey(*source.indexFile))
        return Trust::Yes;
    if (!mayCheck)
        return Trust::Unchecked;
    std::string whole;
    if (!index.readWhole(whole) || !digestMatches(whole))
        return Trust::No;
    m_checked[indexPath] = fileKey(*source.indexFile);
    return Trust::Yes;
}

// The source's index opened, made first when it is missing, damaged or out of date (unless it is
// left to prepare: `prepareOnTheWay` false and prepare has not tried it). False when the source
// cannot be searched now (the outcome counts it or its notes say why).
bool EarlierRuns::open(const Source& source, OpenIndex& index, SearchOutcome& outcome, bool prepareOnTheWay) {
    const std::string indexPath = store::searchIndexPath(source.archive);
    const auto unwritten = m_unwritten.find(source.archive);
    if (unwritten != m_unwritten.end() && index.fromBytes(unwritten->second, source.stamp) == IndexState::Valid)
        return true;
    const bool mayPrepare = prepareOnTheWay || m_prepared.count({source.archive, fileKey(source.stamp)}) > 0;
    const IndexState state = !source.indexFile ? IndexState::Damaged
                             : m_access.unseal ? openSealed(indexPath, index, source)
                                               : index.fromFile(indexPath, source.stamp);
    const Trust trust = state == IndexState::Valid ? trustworthy(indexPath, source, index, mayPrepare) : Trust::No;
    if (trust == Trust::Yes)
        return true;
    index.close();  // Windows replaces no file that is open
    if (!mayPrepare) {
        ++outcome.unprepared;
        return false;
    }
    BuiltIndex built = buildIndex(source.archive, m_access);
    if (built.outcome == BuiltIndex::Outcome::ArchiveUnreadable) {
        outcome.notes.push_back("cannot be read: " + source.archive);
        ++outcome.unread;
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
    return index.fromBytes(std::move(built.bytes), source.stamp) == IndexState::Valid;
}

// A sealed index, its head opened once while its file stays the same: a key typed then opens
// only the blocks of the rows its words may be in.
IndexState EarlierRuns::openSealed(const std::string& indexPath, OpenIndex& index, const Source& source) {
    const auto known = m_heads.find(indexPath);
    if (known != m_heads.end() && known->second.file == fileKey(*source.indexFile))
        return index.fromBlocks(indexPath, m_access.unseal, source.stamp, known->second.bytes);
    const IndexState state = index.fromBlocks(indexPath, m_access.unseal, source.stamp);
    const std::string_view head = index.headBytes();
    if (known != m_heads.end()) {
        m_headBytes -= known->second.bytes.size();
        m_heads.erase(known);
    }
    if (state == IndexState::Valid && m_headBytes + head.size() <= kMaxKnownHeadBytes) {
        m_heads[indexPath] = {fileKey(*source.indexFile), std::string(head)};
        m_headBytes += head.size();
    }
    return state;
}

SearchOutcome EarlierRuns::search(const std::vector<Source>& sources, const Matcher& matcher, Deadline& deadline,
                                  const Limits& limits) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!matcher.usable())
        return {};
    deadline.endAlsoWhen(limits.stop);
    if (std::optional<SearchOutcome> remembered = fromRemembered(sources, matcher, deadline)) {
        if (remembered->hits.size() > limits.maxHits) {
            remembered->hits.resize(limits.maxHits);
            remembered->more = true;
        }
        return *remembered;
    }
    std::vector<KeptText> texts;
    SearchOutcome outcome = searchIndexes(sources, matcher, deadline, limits, texts);
    remember(sources, matcher, outcome, std::move(texts));
    return outcome;
}

// Every source read through its index. `texts` gets each hit's text while they fit the bound, and
// ends empty when they did not (or when the texts were not looked at).
SearchOutcome EarlierRuns::searchIndexes(const std::vector<Source>& sources, const Matcher& matcher, Deadline& deadline,
                                         const Limits& limits, std::vector<KeptText>& texts) {
    SearchOutcome outcome;
    std::set<std::string> seen;
    OpenIndex index;
    std::size_t textBudget = kMaxRememberedTextBytes;
    bool textsKept = matcher.looksAtText();
    for (std::size_t s = 0; s < sources.size() && !outcome.more; ++s) {
        if (deadline.passed()) {
            outcome.cutShort = true;
            break;
        }
        if (!open(sources[s], index, outcome, limits.prepareOnTheWay))
            continue;
        std::vector<Found> found;
        outcome.cutShort = !searchIndex(index, s, matcher, deadline, found, textBudget);
        std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.hit.copyTime > b.hit.copyTime; });
        for (Found& each : found) {
            if (!seen.insert(sameClipKey(each.hit)).second)
                continue;
            if (outcome.hits.size() == limits.maxHits) {
                outcome.more = true;
                break;
            }
            outcome.hits.push_back(std::move(each.hit));
            textsKept = textsKept && each.text;
            if (textsKept)
                texts.push_back(std::move(*each.text));
        }
        if (outcome.cutShort)
            break;
        ++outcome.searched;
    }
    if (!textsKept)
        texts.clear();
    return outcome;
}

// The outcome of the same query over the same sources, or of a query it narrows (its hits checked
// again); nothing when none is remembered.
std::optional<SearchOutcome> EarlierRuns::fromRemembered(const std::vector<Source>& sources, const Matcher& matcher,
                                                         Deadline& deadline) {
    const std::vector<SourceKey> key = sourcesKey(sources);
    auto narrowest = m_remembered.end();
    for (auto it = m_remembered.begin(); it != m_remembered.end(); ++it) {
        if (it->sources != key)
            continue;
        if (it->sought == matcher.sought()) {
            m_remembered.splice(m_remembered.begin(), m_remembered, it);
            return m_remembered.front().outcome;
        }
        if (it->texts.size() == it->outcome.hits.size() && narrows(it->sought, matcher.sought()) &&
            (narrowest == m_remembered.end() || it->outcome.hits.size() < narrowest->outcome.hits.size()))
            narrowest = it;
    }
    if (narrowest == m_remembered.end())
        return std::nullopt;
    SearchOutcome outcome;
    outcome.searched = narrowest->outcome.searched;
    std::vector<KeptText> texts;
    for (std::size_t i = 0; i < narrowest->texts.size(); ++i) {
        const TextView view{narrowest->texts[i].narrow, narrowest->texts[i].bytes};
        const Verdict verdict = matcher.holdsText(view, deadline);
        if (verdict == Verdict::CutShort) {
            outcome.cutShort = true;
            return outcome;
        }
        if (verdict == Verdict::No)
            continue;
        outcome.hits.push_back(narrowest->outcome.hits[i]);
        outcome.hits.back().marks = withinLine(matcher.marks(view, deadline), outcome.hits.back().line.size());
        texts.push_back(narrowest->texts[i]);
    }
    remember(sources, matcher, outcome, std::move(texts));
    return outcome;
}

// A whole outcome remembered, the newest first; beyond the count the oldest go, and beyond the
// bound of memory the oldest texts go, then the oldest outcomes.
void EarlierRuns::remember(const std::vector<Source>& sources, const Matcher& matcher, const SearchOutcome& outcome,
                           std::vector<KeptText> texts) {
    if (outcome.cutShort || outcome.more || outcome.unprepared > 0 || outcome.unread > 0)
        return;
    m_remembered.push_front({matcher.sought(), sourcesKey(sources), outcome, std::move(texts)});
    m_remembered.front().outcome.notes.clear();
    m_remembered.front().outcome.built = 0;
    if (m_remembered.size() > kRememberedOutcomes)
        m_remembered.pop_back();
    std::size_t bytes = 0;
    for (auto it = m_remembered.begin(); it != m_remembered.end();) {
        std::size_t hitBytes = 0, textBytes = 0;
        for (const Hit& hit : it->outcome.hits)
            hitBytes += sizeof(Hit) + 2 * hit.line.size() + hit.copyTime.size() + hit.program.size() + hit.category.size();
        for (const KeptText& text : it->texts)
            textBytes += sizeof(KeptText) + text.bytes.size();
        if (bytes + hitBytes > kMaxRememberedBytes) {
            it = m_remembered.erase(it);
            continue;
        }
        if (bytes + hitBytes + textBytes > kMaxRememberedBytes) {
            it->texts = {};
            textBytes = 0;
        }
        bytes += hitBytes + textBytes;
        ++it;
    }
}

void EarlierRuns::forget() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_remembered.clear();
}

std::size_t EarlierRuns::prepare(const std::vector<Source>& sources, const std::atomic<bool>& stop) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    SearchOutcome outcome;
    OpenIndex index;
    if (m_prepared.size() > kMaxPrepared)
        m_prepared.clear();
    for (std::size_t s = 0; s < sources.size() && !stop.load(); ++s) {
        open(sources[s], index, outcome, true);
        m_prepared.insert({sources[s].archive, fileKey(sources[s].stamp)});
    }
    return outcome.built;
}

}  // namespace search
