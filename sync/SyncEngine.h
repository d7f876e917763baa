// The engine the main program holds while syncing is on: it writes this machine's clips and what
// happens to them into its folder of the sync folder, and reads what the other machines wrote,
// each in a thread of its own, never on the path of a copy or of painting. A folder that is
// missing, full or read-only is retried; what waits to be written is kept in a bounded queue
// (what does not fit is counted and shown). Arrivals, removals and filings wait for the window in
// a bounded queue too: while it is full nothing more is read. No <windows.h> here.
//
// Wiring (the main program):
//   start: machine id from the settings (newMachineId() once), the passphrase unsealed, the synced
//     rows the store holds (their origin and whether they are filed), mayLeave = the recorder's
//     test for private content, secrets and excluded programs; `eventsWaiting` posts a message to
//     the main window (it runs in the engine's thread).
//   the file of what waited to be written when the last run ended (pendingFile, in the store folder)
//     and the kept run that store became (earlierRun);
//   after the recorder filed a copy: publish(snapshot, key of the record); after the user deleted
//     a record: publishDeleted(key) (not when it made room for a newer one: the other machines
//     keep theirs); filed: publishFiled(key, name).
//   on the message: nextPending() until it gives nothing, each record given back through
//     publishPending with its clip read again (from the store, else from the run it names), or
//     dropped when that clip is gone; takeEvents(); an Arrived event is filed as a history record with its origin
//     (a row whose tooltip says "来自：" + machineName), Removed deletes that row unless the user
//     filed it, Filed files it; a synced row the user filed or deleted here: noteFiledHere /
//     noteRemovedHere.
//   the tray's tooltip adds syncStatusText(status()); stop() at the end of the run.
//   start, stop, publish... and takeEvents are called from one thread (the main window's).
#pragma once

#include "store/ClipSnapshot.h"
#include "sync/ClipPayload.h"
#include "sync/MergeRules.h"
#include "sync/PendingRecords.h"
#include "sync/PruneRules.h"
#include "sync/SyncStatus.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace clipsync {

struct EngineOptions {
    std::string folder;       // the folder the user's sync engine keeps in step (UTF-8)
    std::string passphrase;   // shared by the user's machines
    std::string machineId;    // made once by newMachineId() and kept in the user's settings
    std::string machineName;  // what rows from this machine say they came from
    std::size_t maxPictureBytes = kDefaultMaxPictureBytes;
    PruneLimits prune;
    // The caller's decision, made in the caller's thread: whether a clip may leave this machine.
    std::function<bool(const store::ClipSnapshot&)> mayLeave;
    // The synced rows the store holds at the start, and whether the user filed each here.
    std::map<RowKey, bool> rowsHere;
    // The user has just given a new passphrase: a folder of this machine's sealed under another one
    // (a passphrase mistyped before) is emptied and a new machine id taken (SyncStatus::machineId),
    // rather than refusing to sync until someone deletes it by hand; only when the new passphrase
    // opens another machine's folder, or no other machine has one (a new mistake leaves the folder).
    bool startAfreshIfRefused = false;
    // Where what still waits to be written is kept when the engine stops (empty: nowhere), and the
    // kept run the store of the run that wrote it has become since (empty when the store went on,
    // or the engine starts again within one run): the clips it names lie there now.
    std::string pendingFile;
    std::string earlierRun;
    std::chrono::milliseconds poll{10000};   // the safety net under the folder's change notices
    std::chrono::milliseconds retry{5000};   // a folder that could not be written is tried again
    std::chrono::milliseconds pruneEvery{10 * 60 * 1000};
};

struct SyncEvent {
    enum class Kind {
        Arrived,  // a clip of another machine: a new row with `clip`
        Removed,  // deleted on its machine: the row `row` goes
        Filed,    // filed into `category` on its machine
    };
    Kind kind = Kind::Arrived;
    RowKey row;
    std::string machineName;
    ClipKind clipKind = ClipKind::Text;
    std::int64_t time = 0;   // when its machine recorded it, seconds since 1970 (UTC)
    std::string source;      // the program's file name on its machine
    std::string category;
    store::ClipSnapshot clip;
};

class SyncEngine {
public:
    // Records waiting to be written, and events waiting for the window, at most.
    static constexpr std::size_t kMaxWaiting = 999;
    static constexpr std::size_t kMaxWaitingBytes = std::size_t{256} << 20;
    static constexpr std::size_t kMaxEvents = 999;
    // Records kept by key when the queue was full, at most (with the queue, what a file holds).
    static constexpr std::size_t kMaxPendingHere = kMaxPending - kMaxWaiting;
    // Pending records are handed back while the queue holds fewer than these.
    static constexpr std::size_t kPendingInFlight = 16;
    static constexpr std::size_t kPendingInFlightBytes = std::size_t{32} << 20;

    // A new machine id: random, from the system's generator; empty when it gave nothing.
    static std::string newMachineId();

    // `eventsWaiting` is called from the engine's threads when events wait to be taken, or pending
    // records to be given back.
    explicit SyncEngine(std::function<void()> eventsWaiting);
    // stop().
    ~SyncEngine();
    SyncEngine(const SyncEngine&) = delete;
    SyncEngine& operator=(const SyncEngine&) = delete;

    // Starts both threads (a running engine is stopped first), after reading the pending file. The
    // keys are derived in the threads.
    void start(EngineOptions options);
    // Ends both threads and joins them; what still waits to be written is tried once more, and what
    // is left is kept in the pending file (which goes once nothing waits).
    void stop();

    // A copy the recorder filed under `localKey`. True when it goes: queued, or, while the queue is
    // full or records wait before it, kept by key to be given back. False when the caller's mayLeave
    // refused it, or the engine does not run (wrong passphrase, stopped), or nothing more can wait
    // (counted in status().notSent).
    bool publish(const store::ClipSnapshot& clip, std::string localKey);
    void publishDeleted(std::string localKey);
    void publishFiled(std::string localKey, std::string category);
    // A synced row the user filed into a category here, or deleted here.
    void noteFiledHere(const RowKey& row);
    void noteRemovedHere(const RowKey& row);

    // The oldest record kept by key, once the folder takes writes and the queue is almost empty; the
    // caller gives it back at once (publishPending) or drops it (its clip is gone). A Publish's
    // clip is read again by the caller: in the store under its key (clip name and copy time),
    // else in the kept run `place` names.
    std::optional<PendingRecord> nextPending();
    void publishPending(const PendingRecord& record, const store::ClipSnapshot& clip);

    std::vector<SyncEvent> takeEvents();
    SyncStatus status() const;

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
    std::thread m_writer;
    std::thread m_reader;
};

}  // namespace clipsync
