// The engine's two threads. The writer owns this machine's folder: it opens it (deriving the keys),
// then writes the records queued, the reading marks and the pruning, one at a time, keeping a record
// that could not be written at the head of the queue until the folder takes it. Records that found
// the queue full, and every one after them, wait by key (pending) and are given back to the caller
// in order once the queue is almost empty; what waits when the engine stops is kept in the pending
// file, and the file goes once nothing waits. The reader waits
// for the folder's change notices (or the poll), reads the other machines' folders, merges, and
// hands the window its events; the marks of what it read are written once the window took them.
#include "sync/SyncEngine.h"

#include "base/Barrier.h"
#include "store/Crypto.h"
#include "store/FileSystem.h"
#include "store/StorePaths.h"
#include "sync/FolderWatcher.h"
#include "sync/OwnFolder.h"
#include "sync/PeerFolders.h"
#include "sync/SyncNames.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace clipsync {

namespace {

using Kind = PendingRecord::Kind;

struct Record {
    PendingRecord what;        // all that a record waiting by key keeps of it
    store::ClipSnapshot clip;  // Publish
    // Given back from the records waiting by key: it may have been written before the program
    // ended without the pending file knowing.
    bool givenBack = false;
};

struct Note {
    enum class Kind { FiledHere, RemovedHere, LocalText } kind = Kind::FiledHere;
    RowKey row;
    std::string digest;
};

// What is still written when the engine stops, at most.
constexpr std::chrono::seconds kFlushBound{3};
// A pending file larger than its records could ever be is not read.
constexpr std::size_t kMaxPendingFileBytes = std::size_t{16} << 20;

// What `asRead` says of a pending file that is there but could not be read, and of one whose
// bytes are not a pending file (dropped at the next save: it names no clip's content).
constexpr std::string_view kPendingUnread = "\x01unread";
constexpr std::string_view kPendingDamaged = "\x01damaged";

// The records the last run left, their clips now in `earlierRun` when the store was kept as it.
std::deque<PendingRecord> readPendingFile(const EngineOptions& options, std::string& asRead) {
    const std::optional<store::files::FileEntry> entry =
        options.pendingFile.empty() ? std::nullopt : store::files::entryOf(options.pendingFile);
    if (!entry)
        return {};
    std::optional<std::string> bytes;
    if (entry->size <= kMaxPendingFileBytes && !(bytes = store::files::readAll(options.pendingFile))) {
        asRead = kPendingUnread;
        return {};
    }
    std::optional<std::vector<PendingRecord>> records;
    if (bytes && bytes->size() <= kMaxPendingFileBytes)
        records = parsePending(*bytes);
    if (!records) {
        asRead = kPendingDamaged;
        return {};
    }
    asRead = *bytes;
    std::deque<PendingRecord> pending(records->begin(), records->end());
    for (PendingRecord& record : pending)
        if (record.kind == Kind::Publish && record.place.empty())
            record.place = options.earlierRun;
    return pending;
}

SyncEvent eventOf(const Action& action, PeerFolders& peers) {
    SyncEvent event;
    event.kind = action.kind == Action::Kind::AddRow      ? SyncEvent::Kind::Arrived
                 : action.kind == Action::Kind::RemoveRow ? SyncEvent::Kind::Removed
                                                          : SyncEvent::Kind::Filed;
    event.row = action.row;
    event.machineName = peers.machineName(action.row.machine);
    event.clipKind = action.entry.clipKind;
    event.time = action.entry.time;
    event.source = action.entry.source;
    event.category = action.entry.category;
    if (event.kind == SyncEvent::Kind::Arrived)
        event.clip = peers.takeClip(action.row.machine, action.row.seq).value_or(store::ClipSnapshot{});
    return event;
}

}  // namespace

struct SyncEngine::Shared {
    EngineOptions options;
    std::function<void()> eventsWaiting;
    mutable std::mutex mutex;
    std::condition_variable writerWake;
    std::condition_variable readerWake;
    bool stopping = false;
    SyncStatus status;

    // the writer's
    std::deque<Record> records;
    std::size_t recordBytes = 0;
    std::deque<PendingRecord> pending;  // after every record of the queue
    std::string pendingSaved;           // what the pending file holds ("" when there is none)
    std::optional<SeenMarks> marksToWrite;
    std::optional<std::vector<std::uint64_t>> pruneFor;
    enum class Own { Opening, Open, Refused } ownState = Own::Opening;
    SeenMarks ownSeen;
    std::string lastArrivedDigest;

    // the reader's
    FolderWatcher* watcher = nullptr;
    std::deque<SyncEvent> events;
    std::vector<Note> notes;
    SeenMarks marksOfEvents;
    SeenMarks marksWritten;

    bool queue(Record record);
    void countWaiting() { status.waiting = records.size() + pending.size(); }
    void offerPending(std::unique_lock<std::mutex>& lock);
    void savePending(std::unique_lock<std::mutex>& lock);
    void writeLoop();
    bool openOwn(OwnFolder& own, std::unique_lock<std::mutex>& lock);
    bool probeWrites(OwnFolder& own, std::unique_lock<std::mutex>& lock);
    bool passphraseFitsTheOthers() const;
    bool writeNext(OwnFolder& own, std::unique_lock<std::mutex>& lock);
    bool writeRecord(OwnFolder& own, const Record& record);

    void readLoop();
    void readRound(PeerFolders& peers, MergeState& state);
    void applyNotes(MergeState& state);
};

std::string SyncEngine::newMachineId() {
    const std::optional<std::string> bytes = store::crypto::randomBytes(kMachineIdRandomBytes);
    return bytes ? machineIdFrom(*bytes) : std::string();
}

SyncEngine::SyncEngine(std::function<void()> eventsWaiting) : m_shared(std::make_shared<Shared>()) {
    m_shared->eventsWaiting = std::move(eventsWaiting);
}

SyncEngine::~SyncEngine() {
    stop();
}

void SyncEngine::start(EngineOptions options) {
    stop();
    auto shared = std::make_shared<Shared>();
    shared->eventsWaiting = m_shared->eventsWaiting;
    shared->options = std::move(options);
    shared->status.state = SyncState::Starting;
    shared->status.machineId = shared->options.machineId;
    shared->pending = readPendingFile(shared->options, shared->pendingSaved);
    shared->countWaiting();
    m_shared = shared;
    m_writer = std::thread([shared] { base::Guarded("sync writer thread", [&] { shared->writeLoop(); }); });
    m_reader = std::thread([shared] { base::Guarded("sync reader thread", [&] { shared->readLoop(); }); });
}

void SyncEngine::stop() {
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->stopping = true;
        if (m_shared->watcher)
            m_shared->watcher->wake();
        m_shared->writerWake.notify_all();
        m_shared->readerWake.notify_all();
    }
    if (m_writer.joinable())
        m_writer.join();
    if (m_reader.joinable())
        m_reader.join();
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    m_shared->savePending(lock);
    m_shared->status.state = SyncState::Off;
}

bool SyncEngine::publish(const store::ClipSnapshot& clip, std::string localKey) {
    if (!m_shared->options.mayLeave || !m_shared->options.mayLeave(clip))
        return false;
    return m_shared->queue({{Kind::Publish, std::move(localKey), secondsNow(), {}, {}}, clip, false});
}

void SyncEngine::publishDeleted(std::string localKey) {
    m_shared->queue({{Kind::Deleted, std::move(localKey), secondsNow(), {}, {}}, {}, false});
}

void SyncEngine::publishFiled(std::string localKey, std::string category) {
    m_shared->queue({{Kind::Filed, std::move(localKey), secondsNow(), std::move(category), {}}, {}, false});
}

// A record always fits an empty queue. Beyond the queue's limits, and after every record that
// waits by key, it waits by key too, so that records go out in the order they happened; beyond
// those it is counted as not sent. A deletion of a copy that still waits by key takes it (and its
// filings) out, since its clip may still lie in a kept run; the deletion itself still goes, for a
// copy written just before a crash the pending file did not see (it writes nothing otherwise).
bool SyncEngine::Shared::queue(Record record) {
    std::lock_guard<std::mutex> lock(mutex);
    if (stopping || status.state == SyncState::Off || ownState == Own::Refused)
        return false;
    const std::string& key = record.what.localKey;
    const auto sameCopy = [&key](const PendingRecord& waiting) { return waiting.localKey == key; };
    if (record.what.kind == Kind::Deleted &&
        std::any_of(pending.begin(), pending.end(), [&](const PendingRecord& waiting) { return sameCopy(waiting) && waiting.kind == Kind::Publish; })) {
        pending.erase(std::remove_if(pending.begin(), pending.end(), sameCopy), pending.end());
        countWaiting();
    }
    const std::size_t bytes = record.clip.byteCount();
    if (!pending.empty() || (!records.empty() && (records.size() >= kMaxWaiting || recordBytes + bytes > kMaxWaitingBytes))) {
        if (pending.size() >= kMaxPendingHere) {
            ++status.notSent;
            return false;
        }
        pending.push_back(std::move(record.what));
        countWaiting();
        return true;
    }
    records.push_back(std::move(record));
    recordBytes += bytes;
    countWaiting();
    writerWake.notify_all();
    return true;
}

std::optional<PendingRecord> SyncEngine::nextPending() {
    Shared& shared = *m_shared;
    std::lock_guard<std::mutex> lock(shared.mutex);
    if (shared.pending.empty() || shared.stopping || shared.status.state != SyncState::Running ||
        shared.records.size() >= kPendingInFlight || shared.recordBytes >= kPendingInFlightBytes)
        return std::nullopt;
    PendingRecord next = std::move(shared.pending.front());
    shared.pending.pop_front();
    shared.countWaiting();
    return next;
}

// Given back in the order taken: into the queue, ahead of the records that still wait by key.
void SyncEngine::publishPending(const PendingRecord& record, const store::ClipSnapshot& clip) {
    if (record.kind == Kind::Publish && (!m_shared->options.mayLeave || !m_shared->options.mayLeave(clip)))
        return;
    Shared& shared = *m_shared;
    std::lock_guard<std::mutex> lock(shared.mutex);
    shared.recordBytes += clip.byteCount();
    shared.records.push_back({record, record.kind == Kind::Publish ? clip : store::ClipSnapshot{}, true});
    shared.countWaiting();
    shared.writerWake.notify_all();
}

// The caller is told when the queue has emptied and records wait by key.
void SyncEngine::Shared::offerPending(std::unique_lock<std::mutex>& lock) {
    if (pending.empty() || !records.empty() || !eventsWaiting)
        return;
    lock.unlock();
    eventsWaiting();
    lock.lock();
}

// The pending file holds what waits (the queue's records by key, then those waiting by key), and
// is rewritten only when that changed; it goes once nothing waits. A failed write is tried again
// at the next save. A file that could not be read at the start (held by another program a moment)
// is read again first, its records the oldest; while it cannot be, it is left as it is.
void SyncEngine::Shared::savePending(std::unique_lock<std::mutex>& lock) {
    if (options.pendingFile.empty())
        return;
    if (pendingSaved == kPendingUnread) {
        std::string asRead;
        std::deque<PendingRecord> earlier = readPendingFile(options, asRead);
        if (asRead == kPendingUnread)
            return;
        pending.insert(pending.begin(), earlier.begin(), earlier.end());
        pendingSaved = asRead;
        countWaiting();
    }
    std::vector<PendingRecord> waiting;
    for (const Record& record : records)
        waiting.push_back(record.what);
    waiting.insert(waiting.end(), pending.begin(), pending.end());
    const std::string bytes = waiting.empty() ? std::string() : pendingBytes(waiting);
    if (bytes == pendingSaved)
        return;
    lock.unlock();
    const bool saved = bytes.empty() ? store::files::remove(options.pendingFile) || !store::files::exists(options.pendingFile)
                                     : store::files::writeAtomically(options.pendingFile, bytes);
    lock.lock();
    if (saved)
        pendingSaved = bytes;
}

void SyncEngine::noteFiledHere(const RowKey& row) {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->notes.push_back({Note::Kind::FiledHere, row, {}});
}

void SyncEngine::noteRemovedHere(const RowKey& row) {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->notes.push_back({Note::Kind::RemovedHere, row, {}});
}

// Once the window holds every event, what was read to make them may be marked as read.
std::vector<SyncEvent> SyncEngine::takeEvents() {
    Shared& shared = *m_shared;
    std::lock_guard<std::mutex> lock(shared.mutex);
    std::vector<SyncEvent> taken(std::make_move_iterator(shared.events.begin()), std::make_move_iterator(shared.events.end()));
    shared.events.clear();
    if (shared.marksOfEvents != shared.marksWritten) {
        shared.marksToWrite = shared.marksOfEvents;
        shared.writerWake.notify_all();
    }
    shared.readerWake.notify_all();
    return taken;
}

SyncStatus SyncEngine::status() const {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->status;
}

// The writer thread. A folder that cannot be opened or written is tried again after the retry
// time; what waits stays queued, and is kept in the pending file meanwhile.
void SyncEngine::Shared::writeLoop() {
    OwnFolder own(options.folder, options.machineId);
    std::unique_lock<std::mutex> lock(mutex);
    bool open = false, takesWrites = false;
    std::chrono::steady_clock::time_point flushUntil{};
    for (;;) {
        if (!open && !stopping)
            open = openOwn(own, lock);
        if (ownState == Own::Refused) {
            savePending(lock);
            return;
        }
        if (open && !takesWrites && !stopping) {
            takesWrites = probeWrites(own, lock);
            if (takesWrites)
                offerPending(lock);
            else if (!store::files::isFolder(own.folder()))
                open = false;  // the machine's folder went: made again by the next opening
        }
        if (!open || !takesWrites) {
            savePending(lock);
            if (stopping || writerWake.wait_for(lock, options.retry, [&] { return stopping; }))
                return;
            continue;
        }
        writerWake.wait(lock, [&] { return stopping || !records.empty() || marksToWrite || pruneFor; });
        if (stopping && records.empty() && !marksToWrite)
            return;
        if (stopping && flushUntil == std::chrono::steady_clock::time_point{})
            flushUntil = std::chrono::steady_clock::now() + kFlushBound;
        if (stopping && ((records.empty() && !marksToWrite) || std::chrono::steady_clock::now() > flushUntil))
            return;
        if (!writeNext(own, lock)) {
            status.state = SyncState::FolderUnavailable;
            open = takesWrites = false;
            savePending(lock);
            if (stopping || writerWake.wait_for(lock, options.retry, [&] { return stopping; }))
                return;
        }
    }
}

// Whether the passphrase given opens another machine's folder, or no other machine has one: only
// then is this machine's own folder, sealed under another passphrase, the one that is wrong.
bool SyncEngine::Shared::passphraseFitsTheOthers() const {
    PeerFolders peers(options.folder, options.machineId, options.passphrase);
    return peers.refresh() && (peers.machinesRead() > 0 || peers.machinesWithOtherPassphrase() == 0);
}

bool SyncEngine::Shared::openOwn(OwnFolder& own, std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    OwnFolder::Opening opening = own.open(options.passphrase, options.machineName);
    std::string renewedId;
    if (opening == OwnFolder::Opening::WrongPassphrase && options.startAfreshIfRefused && passphraseFitsTheOthers()) {
        // The others keep reading the old id's journal where they were: a new id starts a new one.
        renewedId = SyncEngine::newMachineId();
        if (!renewedId.empty() && own.retire()) {
            own = OwnFolder(options.folder, renewedId);
            opening = own.open(options.passphrase, options.machineName);
        } else {
            renewedId.clear();
        }
    }
    std::optional<SeenMarks> seen;
    if (opening == OwnFolder::Opening::Ok)
        seen = own.readSeen();
    lock.lock();
    if (!renewedId.empty()) {
        options.machineId = status.machineId = renewedId;  // the reader begins after this
        options.startAfreshIfRefused = false;
    }
    switch (opening) {
    case OwnFolder::Opening::Ok:  // running once it takes a write (probeWrites)
        if (ownState == Own::Opening && seen)
            ownSeen = marksWritten = marksOfEvents = *seen;
        ownState = Own::Open;
        readerWake.notify_all();
        return true;
    case OwnFolder::Opening::WrongPassphrase:
    case OwnFolder::Opening::NoKeys:
        status.state = opening == OwnFolder::Opening::NoKeys ? SyncState::NoKeys : SyncState::OwnPassphrase;
        ownState = Own::Refused;
        readerWake.notify_all();
        return false;
    case OwnFolder::Opening::Unavailable:
        status.state = SyncState::FolderUnavailable;
        return false;
    }
    return false;
}

// An open folder that takes no write (read-only, no room left) is shown, and tried again after the
// retry time without opening it again; the others' folders are read meanwhile.
bool SyncEngine::Shared::probeWrites(OwnFolder& own, std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    const bool takes = own.takesWrites();
    lock.lock();
    status.state = takes ? SyncState::Running : SyncState::FolderUnavailable;
    return takes;
}

// One write: the oldest record, else the reading marks, else the pruning. False when the folder
// did not take it (it stays to be written).
bool SyncEngine::Shared::writeNext(OwnFolder& own, std::unique_lock<std::mutex>& lock) {
    if (!records.empty()) {
        Record record = std::move(records.front());
        records.pop_front();
        lock.unlock();
        const bool written = writeRecord(own, record);
        lock.lock();
        if (!written) {
            records.push_front(std::move(record));
            return false;
        }
        recordBytes -= std::min(recordBytes, record.clip.byteCount());
        countWaiting();
        status.state = SyncState::Running;
        if (records.empty()) {
            savePending(lock);
            offerPending(lock);
        }
        return true;
    }
    if (marksToWrite) {
        const SeenMarks marks = *marksToWrite;
        lock.unlock();
        const bool written = own.writeSeen(marks);
        lock.lock();
        if (written && marksToWrite == marks) {
            marksToWrite.reset();
            marksWritten = marks;
        }
        return written;
    }
    const std::vector<std::uint64_t> othersNext = pruneFor.value_or(std::vector<std::uint64_t>{});
    pruneFor.reset();
    lock.unlock();
    const bool pruned = own.prune(secondsNow(), options.prune, othersNext);
    lock.lock();
    return pruned;
}

// A clip that nothing of goes, or that came here from another machine (put on the clipboard and
// recorded again), is not written: true, done with.
bool SyncEngine::Shared::writeRecord(OwnFolder& own, const Record& record) {
    const PendingRecord& what = record.what;
    switch (what.kind) {
    case Kind::Deleted:
        return own.recordDeleted(what.localKey, what.time);
    case Kind::Filed:
        return own.recordFiled(what.localKey, what.category, what.time);
    case Kind::Publish:
        break;
    }
    // Written before the program ended, and perhaps deleted since: not again.
    if (record.givenBack && own.holdsRecordOf(what.localKey))
        return true;
    const std::optional<Outgoing> outgoing = selectForSync(record.clip, options.maxPictureBytes);
    const std::optional<PreparedClip> prepared = outgoing ? prepareClip(*outgoing) : std::nullopt;
    if (!prepared)
        return true;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (prepared->digest == lastArrivedDigest)
            return true;
    }
    if (!own.publish(*prepared, what.localKey, what.time))
        return false;
    if (prepared->kind == ClipKind::Text) {
        Note note;
        note.kind = Note::Kind::LocalText;
        note.digest = prepared->digest;
        std::lock_guard<std::mutex> lock(mutex);
        notes.push_back(std::move(note));
    }
    return true;
}

// The reader thread: nothing is read before this machine's own folder opened with the passphrase.
void SyncEngine::Shared::readLoop() {
    MergeState state;
    {
        std::unique_lock<std::mutex> lock(mutex);
        readerWake.wait(lock, [&] { return stopping || ownState != Own::Opening; });
        if (stopping || ownState == Own::Refused)
            return;
        state.nextSeq = ownSeen;
    }
    for (const auto& [row, filed] : options.rowsHere)
        state.rows[row] = RowHere{{}, filed};
    FolderWatcher watcher(store::joinPath(options.folder, kAppFolderName), options.poll);
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (stopping)
            return;
        this->watcher = &watcher;
    }
    PeerFolders peers(options.folder, options.machineId, options.passphrase);
    auto lastPrune = std::chrono::steady_clock::now() - options.pruneEvery;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            readerWake.wait(lock, [&] { return stopping || events.size() < kMaxEvents; });
            if (stopping) {
                this->watcher = nullptr;
                return;
            }
            applyNotes(state);
        }
        readRound(peers, state);
        if (std::chrono::steady_clock::now() - lastPrune >= options.pruneEvery) {
            lastPrune = std::chrono::steady_clock::now();
            std::lock_guard<std::mutex> lock(mutex);
            pruneFor = peers.othersNextForUs();
            writerWake.notify_all();
        }
        watcher.waitForChange(options.poll);
    }
}

void SyncEngine::Shared::applyNotes(MergeState& state) {
    for (const Note& note : notes) {
        switch (note.kind) {
        case Note::Kind::FiledHere:
            if (auto row = state.rows.find(note.row); row != state.rows.end())
                row->second.filedHere = true;
            break;
        case Note::Kind::RemovedHere:
            state.rows.erase(note.row);
            break;
        case Note::Kind::LocalText:
            state.lastTextDigest = note.digest;
            break;
        }
    }
    notes.clear();
}

// One look at the other machines. A round that brought events is followed by another at once
// (a round keeps only so many bytes of clips); the window is told once per round.
void SyncEngine::Shared::readRound(PeerFolders& peers, MergeState& state) {
    for (bool more = true; more;) {
        peers.refresh();
        const std::vector<Action> actions =
            merge(peers.journals(), state, [&](const std::string& machine, const Entry& added) {
                return peers.clipFile(machine, added);
            });
        std::vector<SyncEvent> made;
        for (const Action& action : actions)
            made.push_back(eventOf(action, peers));
        peers.endRound();
        {
            std::lock_guard<std::mutex> lock(mutex);
            for (std::size_t i = 0; i < made.size(); ++i) {
                if (actions[i].kind == Action::Kind::AddRow)
                    lastArrivedDigest = actions[i].entry.digest;
                events.push_back(std::move(made[i]));
            }
            marksOfEvents = state.nextSeq;
            if (events.empty() && marksOfEvents != marksWritten) {
                marksToWrite = marksOfEvents;
                writerWake.notify_all();
            }
            status.machines = peers.machinesRead();
            status.otherPassphrase = peers.machinesWithOtherPassphrase();
            status.unreadable += peers.takeUnreadable().size();
            more = !made.empty() && !stopping && events.size() < kMaxEvents;
        }
        if (!made.empty() && eventsWaiting)
            eventsWaiting();
    }
}

}  // namespace clipsync
