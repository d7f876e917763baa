#include "sync/OwnFolder.h"

#include "store/FileSystem.h"
#include "store/StorePaths.h"
#include "sync/SyncNames.h"

#include <algorithm>
#include <chrono>

namespace clipsync {

namespace {

// A segment read back is at most this large (4096 entries of short texts).
constexpr std::size_t kMaxSegmentFile = std::size_t{8} << 20;

}  // namespace

std::int64_t secondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

OwnFolder::OwnFolder(std::string syncRoot, std::string machineId)
    : m_machine(std::move(machineId)),
      m_root(std::move(syncRoot)),
      m_folder(store::joinPath(store::joinPath(m_root, kAppFolderName), m_machine)) {}

std::string OwnFolder::path(std::string_view fileName) const {
    return store::joinPath(m_folder, fileName);
}

OwnFolder::Opening OwnFolder::open(std::string_view passphrase, std::string_view machineName) {
    // The sync folder is the engine's: when it is missing (a drive not there, the engine not set
    // up), nothing is made in its place.
    if (!isMachineId(m_machine) || !store::files::isFolder(m_root) || !store::files::createFolder(m_folder))
        return Opening::Unavailable;
    std::optional<Salt> salt;
    if (store::files::exists(path(saltFileName()))) {
        const std::optional<std::string> bytes = store::files::readAll(path(saltFileName()));
        if (!bytes)
            return Opening::Unavailable;
        salt = parseSaltFile(*bytes);
        if (!salt)
            return Opening::WrongPassphrase;  // not ours to rewrite: its files were sealed under it
    } else if (holdsSealedFiles()) {
        // Its files were sealed under a salt that is not here (the engine has not brought it yet,
        // or it went): a new one would leave them unreadable to every machine.
        return Opening::Unavailable;
    } else {
        salt = makeSalt();
        if (!salt)
            return Opening::NoKeys;
        if (!store::files::writeAtomically(path(saltFileName()), saltFileBytes(*salt)))
            return Opening::Unavailable;
    }
    std::optional<FolderKeys> keys = deriveFolderKeys(passphrase, *salt);
    if (!keys)
        return Opening::NoKeys;
    m_keys = std::move(*keys);

    const std::string nameFile = path(nameFileName());
    if (const std::optional<std::string> bytes = store::files::readAll(nameFile)) {
        const OpenedFile opened = openFile(m_keys, m_machine, nameFileName(), Role::Name, *bytes);
        if (opened.state == Opened::NotAuthentic)
            return Opening::WrongPassphrase;
        const std::optional<std::string> name = parseName(opened.plain);
        if ((!name || *name != machineName) && !writeSealed(nameFileName(), Role::Name, nameBytes(machineName)))
            return Opening::Unavailable;
    } else if (!writeSealed(nameFileName(), Role::Name, nameBytes(machineName))) {
        return Opening::Unavailable;
    }
    removeLeftovers();
    // Opened again (after the folder went away, say): the sequence goes on where it was.
    m_segments.clear();
    return readJournal() ? Opening::Ok : Opening::Unavailable;
}

// A temporary file of the name file's, of a small journal segment's size, written whole and
// removed (a leftover goes at the next open).
bool OwnFolder::takesWrites() const {
    constexpr std::size_t kProbeBytes = 4096;
    const std::string probe = store::files::temporarySibling(path(nameFileName()));
    const bool written = store::files::writeFile(probe, std::string(kProbeBytes, '\0'));
    store::files::remove(probe);
    return written;
}

// The salt goes last, and only after every other file: a folder left with sealed files and no salt
// would be unavailable for good.
bool OwnFolder::retire() {
    if (!store::files::isFolder(m_folder))
        return false;
    bool whole = true;
    for (const std::string& name : store::files::filesIn(m_folder)) {
        const std::optional<std::string_view> base = store::temporarySiblingBase(name);
        const std::optional<SyncFile> file = parseSyncFileName(name);
        if ((file && file->role != Role::Salt) || (base && parseSyncFileName(*base)))
            whole = store::files::remove(path(name)) && whole;
    }
    m_segments.clear();
    m_nextSeq = 1;
    return whole && store::files::remove(path(saltFileName()));
}

bool OwnFolder::holdsSealedFiles() const {
    const std::vector<std::string> names = store::files::filesIn(m_folder);
    return std::any_of(names.begin(), names.end(), [](const std::string& name) {
        const std::optional<SyncFile> file = parseSyncFileName(name);
        return file && file->role != Role::Salt;
    });
}

// A write cut off by the end of the program leaves its temporary file: the name of one of ours,
// then what files::temporarySibling adds.
void OwnFolder::removeLeftovers() {
    for (const std::string& name : store::files::filesIn(m_folder)) {
        const std::optional<std::string_view> base = store::temporarySiblingBase(name);
        if (base && parseSyncFileName(*base))
            store::files::remove(path(name));
    }
}

// Segments are read in number order. One that does not open (it cannot be: each was replaced
// whole) ends what is read: a new segment then begins after the highest number, with readers told
// to begin there.
bool OwnFolder::readJournal() {
    std::vector<std::uint64_t> numbers;
    for (const store::files::FileEntry& file : store::files::fileEntriesIn(m_folder)) {
        const std::optional<SyncFile> parsed = parseSyncFileName(file.name);
        if (parsed && parsed->role == Role::Journal && file.size <= kMaxSegmentFile)
            numbers.push_back(parsed->segment);
    }
    std::sort(numbers.begin(), numbers.end());
    bool damaged = false;
    for (std::uint64_t number : numbers) {
        const std::string name = segmentFileName(number);
        const std::optional<std::string> bytes = store::files::readAll(path(name));
        const OpenedFile opened = bytes ? openFile(m_keys, m_machine, name, Role::Journal, *bytes) : OpenedFile{};
        std::optional<Segment> segment = parseSegment(opened.plain);
        if (opened.state != Opened::Ok || !segment || segment->number != number) {
            damaged = true;
            continue;
        }
        for (const Entry& entry : segment->entries)
            m_nextSeq = std::max(m_nextSeq, entry.seq + 1);
        m_segments.push_back(std::move(*segment));
    }
    if (damaged && !numbers.empty()) {
        Segment fresh;
        fresh.number = numbers.back() + 1;
        fresh.firstKept = m_nextSeq;
        if (!writeSegment(fresh))
            return false;
        m_segments.push_back(fresh);
    }
    return true;
}

bool OwnFolder::writeSealed(const std::string& fileName, Role role, std::string_view plain) {
    const std::optional<std::string> sealed = sealFile(m_keys, m_machine, fileName, role, plain);
    return sealed && store::files::writeAtomically(path(fileName), *sealed);
}

bool OwnFolder::writeSegment(const Segment& segment) {
    return writeSealed(segmentFileName(segment.number), Role::Journal, segmentBytes(segment));
}

// Entries go into the open segment, which is written whole each time; a full segment is closed
// and the next one begun. What was written is taken out of `entries`.
bool OwnFolder::append(std::vector<Entry>& entries) {
    while (!entries.empty()) {
        Segment open;
        if (!m_segments.empty() && !m_segments.back().closed) {
            open = m_segments.back();
        } else {
            open.number = m_segments.empty() ? 1 : m_segments.back().number + 1;
            open.firstKept = m_segments.empty() ? m_nextSeq : m_segments.back().firstKept;
        }
        const std::size_t room = kEntriesPerSegment - std::min(kEntriesPerSegment, open.entries.size());
        const std::size_t taken = std::min(room, entries.size());
        for (std::size_t i = 0; i < taken; ++i) {
            open.entries.push_back(entries[i]);
            open.entries.back().seq = m_nextSeq + i;
        }
        open.closed = open.entries.size() >= kEntriesPerSegment;
        if (!writeSegment(open))
            return false;
        if (!m_segments.empty() && m_segments.back().number == open.number)
            m_segments.back() = std::move(open);
        else
            m_segments.push_back(std::move(open));
        m_nextSeq += taken;
        entries.erase(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(taken));
    }
    return true;
}

bool OwnFolder::publish(const PreparedClip& clip, std::string_view localKey, std::int64_t time) {
    const std::optional<std::string> name = clipNameOf(m_keys, clip.digest);
    if (!name)
        return false;
    const std::string fileName = clipFileName(*name);
    // A clip's file is written once: the same content has the same name, and the file is whole.
    if (!store::files::exists(path(fileName)) && !writeSealed(fileName, Role::Clip, clip.payload))
        return false;
    Entry added;
    added.kind = EntryKind::Added;
    added.clip = *name;
    added.digest = clip.digest;
    added.clipKind = clip.kind;
    added.time = time;
    added.size = sealedSize(clip.payload.size());
    added.source = clip.source;
    added.localKey = std::string(localKey);
    std::vector<Entry> entries{added};
    return append(entries);
}

bool OwnFolder::holdsRecordOf(std::string_view localKey) const {
    for (const Segment& segment : m_segments)
        for (const Entry& entry : segment.entries)
            if (entry.kind == EntryKind::Added && entry.localKey == localKey)
                return true;
    return false;
}

std::optional<std::uint64_t> OwnFolder::liveRecord(std::string_view localKey) const {
    const Entry* live = nullptr;
    for (const Segment& segment : m_segments)
        for (const Entry& entry : segment.entries) {
            if (entry.kind == EntryKind::Added && entry.localKey == localKey)
                live = &entry;
            else if (live && ((entry.kind == EntryKind::Deleted && entry.target == live->seq) ||
                              (entry.kind == EntryKind::Dropped && entry.clip == live->clip)))
                live = nullptr;
        }
    return live ? std::optional<std::uint64_t>(live->seq) : std::nullopt;
}

bool OwnFolder::recordAbout(std::string_view localKey, Entry entry) {
    const std::optional<std::uint64_t> target = liveRecord(localKey);
    if (!target)
        return true;
    entry.target = *target;
    std::vector<Entry> entries{std::move(entry)};
    return append(entries);
}

bool OwnFolder::recordDeleted(std::string_view localKey, std::int64_t time) {
    Entry deleted;
    deleted.kind = EntryKind::Deleted;
    deleted.time = time;
    return recordAbout(localKey, std::move(deleted));
}

bool OwnFolder::recordFiled(std::string_view localKey, std::string_view category, std::int64_t time) {
    Entry filed;
    filed.kind = EntryKind::Filed;
    filed.category = std::string(category.substr(0, kMaxEntryText));
    filed.time = time;
    return recordAbout(localKey, std::move(filed));
}

bool OwnFolder::writeSeen(const SeenMarks& marks) {
    return writeSealed(seenFileName(), Role::Seen, seenBytes(marks));
}

std::optional<SeenMarks> OwnFolder::readSeen() const {
    const std::optional<std::string> bytes = store::files::readAll(path(seenFileName()));
    if (!bytes)
        return std::nullopt;
    const OpenedFile opened = openFile(m_keys, m_machine, seenFileName(), Role::Seen, *bytes);
    return opened.state == Opened::Ok ? parseSeen(opened.plain) : std::nullopt;
}

bool OwnFolder::prune(std::int64_t now, const PruneLimits& limits, const std::vector<std::uint64_t>& othersNext) {
    const PrunePlan plan = planPruning(m_segments, othersNext, now, limits);
    std::vector<Entry> drops;
    for (const std::string& clip : plan.toDrop) {
        Entry dropped;
        dropped.kind = EntryKind::Dropped;
        dropped.clip = clip;
        dropped.time = now;
        drops.push_back(dropped);
    }
    if (!append(drops))
        return false;
    for (const std::string& clip : plan.clipFilesToRemove)
        store::files::remove(path(clipFileName(clip)));

    // Segments go oldest first, each only once the files of the clips it adds are gone (a file
    // whose segment went could never be named again).
    std::size_t removable = 0;
    for (std::uint64_t number : plan.segmentsToRemove) {
        const Segment& segment = m_segments[removable];
        if (segment.number != number || std::any_of(segment.entries.begin(), segment.entries.end(), [&](const Entry& e) {
                return e.kind == EntryKind::Added && store::files::exists(path(clipFileName(e.clip)));
            }))
            break;
        ++removable;
    }
    if (removable == 0)
        return true;
    // Readers are told where the journal now begins before the segments go.
    if (removable == m_segments.size() || m_segments.back().closed) {
        Segment fresh;
        fresh.number = m_segments.back().number + 1;
        m_segments.push_back(fresh);
    }
    Segment& open = m_segments.back();
    const std::uint64_t firstKept =
        m_segments[removable].entries.empty() ? m_nextSeq : m_segments[removable].entries.front().seq;
    const std::uint64_t previous = open.firstKept;
    open.firstKept = firstKept;
    if (!writeSegment(open)) {
        open.firstKept = previous;
        return false;
    }
    for (std::size_t i = 0; i < removable; ++i)
        store::files::remove(path(segmentFileName(m_segments[i].number)));
    m_segments.erase(m_segments.begin(), m_segments.begin() + static_cast<std::ptrdiff_t>(removable));
    return true;
}

}  // namespace clipsync
