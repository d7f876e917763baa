#include "sync/PeerFolders.h"

#include "store/FileSystem.h"
#include "store/StorePaths.h"
#include "sync/ClipPayload.h"
#include "sync/SyncNames.h"

#include <algorithm>
#include <chrono>
#include <set>

namespace clipsync {

namespace {

constexpr std::uint64_t kMaxSmallFile = std::uint64_t{1} << 20;
constexpr std::uint64_t kMaxSegmentFile = std::uint64_t{8} << 20;

}  // namespace

PeerFolders::PeerFolders(std::string syncRoot, std::string ownMachineId, std::string passphrase)
    : m_root(store::joinPath(syncRoot, kAppFolderName)), m_own(std::move(ownMachineId)), m_passphrase(std::move(passphrase)) {}

std::string PeerFolders::folderOf(const std::string& id) const {
    return store::joinPath(m_root, id);
}

bool PeerFolders::refresh() {
    if (!store::files::isFolder(m_root))
        return false;
    std::set<std::string> listed;
    for (const std::string& id : store::files::foldersIn(m_root))
        if (isMachineId(id) && id != m_own) {
            listed.insert(id);
            refreshMachine(id, m_machines[id]);
        }
    // A machine whose folder went is no longer counted; how far it read us still holds our pruning.
    for (auto& [id, machine] : m_machines)
        if (!listed.count(id))
            machine.state = Machine::State::Waiting;
    return true;
}

OpenedFile PeerFolders::openListed(const std::string& id, const Machine& machine, const std::string& fileName, Role role,
                                   std::uint64_t bound) {
    OpenedFile opened;
    const auto listed = machine.files.find(fileName);
    if (listed == machine.files.end() || !machine.keys) {
        opened.state = Opened::Incomplete;
        return opened;
    }
    if (listed->second.first <= bound) {
        const std::optional<std::string> bytes = store::files::readAll(store::joinPath(folderOf(id), fileName));
        opened = bytes ? openFile(*machine.keys, id, fileName, role, *bytes) : OpenedFile{Opened::Incomplete, {}};
    }
    // Our own writes replace files whole; an engine may write a clip in place, bytes before the end.
    if (opened.state == Opened::NotAuthentic && role == Role::Clip && !settled(id + "/" + fileName, listed->second))
        opened.state = Opened::Incomplete;
    if (opened.state == Opened::NotAuthentic) {
        const std::string where = id + "/" + fileName;
        const auto reported = m_reported.find(where);
        if (reported == m_reported.end() || reported->second != listed->second) {
            m_reported[where] = listed->second;
            m_unreadable.push_back(where);
        }
    }
    return opened;
}

bool PeerFolders::settled(const std::string& where, std::pair<std::uint64_t, std::int64_t> stamp) {
    const auto now = std::chrono::steady_clock::now();
    auto [unchanged, first] = m_unchangedSince.try_emplace(where, stamp, now);
    if (!first && unchanged->second.first != stamp)
        unchanged->second = {stamp, now};
    return now - unchanged->second.second >= kSettleTime;
}

// The keys of a machine are derived once for its salt (the work factor makes it take a while).
bool PeerFolders::readKeys(const std::string& id, Machine& machine) {
    const std::optional<std::string> bytes = store::files::readAll(store::joinPath(folderOf(id), saltFileName()));
    const std::optional<Salt> salt = bytes && bytes->size() <= kMaxSmallFile ? parseSaltFile(*bytes) : std::nullopt;
    if (!salt)
        return false;
    if (!machine.keys || machine.saltBytes != *bytes) {
        machine.keys = deriveFolderKeys(m_passphrase, *salt);
        machine.saltBytes = *bytes;
        machine.state = Machine::State::Waiting;
        machine.segments.clear();  // a new salt: the machine's folder was made anew
    }
    return machine.keys.has_value();
}

void PeerFolders::refreshMachine(const std::string& id, Machine& machine) {
    machine.files.clear();
    for (const store::files::FileEntry& file : store::files::fileEntriesIn(folderOf(id)))
        if (parseSyncFileName(file.name))
            machine.files[file.name] = {file.size, file.writeTime};
    if (!readKeys(id, machine)) {
        machine.state = Machine::State::Waiting;  // no salt (yet, or any more): nothing to say of it
        return;
    }
    const OpenedFile name = openListed(id, machine, nameFileName(), Role::Name, kMaxSmallFile);
    if (name.state == Opened::NotAuthentic) {
        machine.state = Machine::State::OtherPassphrase;
        return;
    }
    if (name.state != Opened::Ok)
        return;
    machine.name = parseName(name.plain).value_or(std::string());
    machine.state = Machine::State::Reading;
    machine.everRead = true;

    const OpenedFile seen = openListed(id, machine, seenFileName(), Role::Seen, kMaxSmallFile);
    if (seen.state == Opened::Ok)
        if (const std::optional<SeenMarks> marks = parseSeen(seen.plain)) {
            const auto mark = marks->find(m_own);
            machine.nextForUs = mark == marks->end() ? std::nullopt : std::optional<std::uint64_t>(mark->second);
        }
    for (auto cached = machine.segments.begin(); cached != machine.segments.end();)
        cached = machine.files.count(segmentFileName(cached->first)) ? std::next(cached) : machine.segments.erase(cached);
    for (const auto& [fileName, stamp] : machine.files) {
        const std::optional<SyncFile> file = parseSyncFileName(fileName);
        if (file->role != Role::Journal)
            continue;
        const auto cached = machine.segments.find(file->segment);
        if (cached != machine.segments.end() &&
            (cached->second.segment.closed || (cached->second.size == stamp.first && cached->second.writeTime == stamp.second)))
            continue;
        const OpenedFile opened = openListed(id, machine, fileName, Role::Journal, kMaxSegmentFile);
        std::optional<Segment> segment = opened.state == Opened::Ok ? parseSegment(opened.plain) : std::nullopt;
        if (segment && segment->number == file->segment)
            machine.segments[file->segment] = CachedSegment{stamp.first, stamp.second, std::move(*segment)};
    }
}

std::vector<MachineJournal> PeerFolders::journals() const {
    std::vector<MachineJournal> journals;
    for (const auto& [id, machine] : m_machines) {
        if (machine.state != Machine::State::Reading)
            continue;
        MachineJournal journal;
        journal.machine = id;
        // The newest segment read says where the journal begins; the segments before that were
        // pruned by their machine and are not looked at.
        if (!machine.segments.empty())
            journal.firstSeq = machine.segments.rbegin()->second.segment.firstKept;
        for (const auto& [number, cached] : machine.segments)
            for (const Entry& entry : cached.segment.entries)
                if (entry.seq >= journal.firstSeq)
                    journal.entries.push_back(entry);
        journals.push_back(std::move(journal));
    }
    return journals;
}

ClipFile PeerFolders::clipFile(const std::string& machine, const Entry& added) {
    const auto found = m_machines.find(machine);
    if (found == m_machines.end())
        return ClipFile::Pending;
    if (m_kept.count({machine, added.seq}))
        return ClipFile::Ready;
    if (!m_kept.empty() && m_keptBytes + added.size > kRoundBytes)
        return ClipFile::Pending;
    const OpenedFile opened =
        openListed(machine, found->second, clipFileName(added.clip), Role::Clip, sealedSize(kMaxClipBytes));
    if (opened.state == Opened::Incomplete)
        return ClipFile::Pending;
    std::optional<store::ClipSnapshot> clip = opened.state == Opened::Ok ? parsePayload(opened.plain) : std::nullopt;
    if (!clip)
        return ClipFile::Unreadable;
    m_keptBytes += clip->byteCount();
    m_kept[{machine, added.seq}] = std::move(*clip);
    return ClipFile::Ready;
}

std::optional<store::ClipSnapshot> PeerFolders::takeClip(const std::string& machine, std::uint64_t seq) {
    const auto kept = m_kept.find({machine, seq});
    if (kept == m_kept.end())
        return std::nullopt;
    store::ClipSnapshot clip = std::move(kept->second);
    m_kept.erase(kept);
    return clip;
}

void PeerFolders::endRound() {
    m_kept.clear();
    m_keptBytes = 0;
}

std::string PeerFolders::machineName(const std::string& machine) const {
    const auto found = m_machines.find(machine);
    return found == m_machines.end() ? std::string() : found->second.name;
}

std::vector<std::uint64_t> PeerFolders::othersNextForUs() const {
    std::vector<std::uint64_t> marks;
    for (const auto& [id, machine] : m_machines)
        if (machine.everRead)
            marks.push_back(machine.nextForUs.value_or(0));
    return marks;
}

int PeerFolders::machinesWithOtherPassphrase() const {
    return static_cast<int>(std::count_if(m_machines.begin(), m_machines.end(), [](const auto& machine) {
        return machine.second.state == Machine::State::OtherPassphrase;
    }));
}

int PeerFolders::machinesRead() const {
    return static_cast<int>(std::count_if(m_machines.begin(), m_machines.end(), [](const auto& machine) {
        return machine.second.state == Machine::State::Reading;
    }));
}

std::vector<std::string> PeerFolders::takeUnreadable() {
    std::vector<std::string> names;
    names.swap(m_unreadable);
    return names;
}

}  // namespace clipsync
