// The inside of CClipRecorder, one state shared by its parts, each in a file of this folder:
// ClipRecorder.cpp (the threads started and stopped, announcements, outcomes taken), ClipReader.cpp
// (the reader thread: copies read, and copies that wait for their source, the clipboard or room in
// the queue), StoreThread.cpp (copies filed in order, traces written, outcomes handed on),
// ClipboardGo.h (a go at the clipboard and its worker thread), Filing.h (a copy filed as a record).
#pragma once

#include "app/recorder/ClipRecorder.h"
#include "app/recorder/ClipboardGo.h"
#include "app/recorder/RecordRules.h"
#include "store/ClipboardCopy.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace app::recorder {

// The reader's own messages.
constexpr UINT kMsgAnnounce = WM_APP + 1;  // a change was announced; wParam: the contents found at the start
constexpr UINT kMsgListen = WM_APP + 2;    // wParam: whether the reader listens for changes itself
constexpr UINT kMsgRoom = WM_APP + 3;      // the store thread made room in the queue

// A copy read from the clipboard and waiting to be stored, with what stood in its way.
struct ReadChange {
    store::ClipSnapshot snapshot;
    bool initial = false;
    std::optional<MissReason> trouble;  // the data may be missing for this reason
};

// A change being read: looked at when announced, and again while it waits.
struct WaitingCopy {
    DWORD announced = 0;
    HWND owner = nullptr;  // the clipboard's owner when it was announced
    DWORD ownerProcess = 0;  // ... and its process
    bool whole = true;  // ... and whether it was a whole copy then (closed, by an owner)
    bool beingMade = false;  // ... or one its writer still had open, or moved on as it was looked at
    DWORD seen = 0;  // its sequence number: as announced, then after each go (data rendered on request moves it on)
    bool initial = false;
    bool tookUp = false;  // taken up (settleTakeUp), or at the start, when there is nothing to take up
    std::optional<MissReason> trouble;  // why it first waited
    std::optional<MissReason> waitingFor;
    int attempt = 0;                          // tries at a clipboard held open
    bool firstGo = true;
    std::string source;                       // the program behind it, once a go found it
    Clock::time_point nextLook;
    Clock::time_point lastAnswer;             // its owner's last answer (or the announcement)
    std::shared_ptr<store::ClipboardCopy> copy = std::make_shared<store::ClipboardCopy>();
    std::shared_ptr<ClipboardGo> go;          // a go at the clipboard that has not ended
};

struct CClipRecorder::State {
    State(const store::StorePaths& storePaths, HWND notified, UINT notifyMessage, OwnChangeTest ownChangeTest)
        : paths(storePaths), window(notified), message(notifyMessage), isOwnChange(std::move(ownChangeTest)) {}

    const store::StorePaths paths;
    const HWND window;
    const UINT message;
    const OwnChangeTest isOwnChange;  // the hook library's own changes are never recorded
    const QueueLimits limits = queueLimits(store::clipBudget());
    LastText lastText;

    std::mutex mutex;
    std::condition_variable readerReady, storerWake;
    std::atomic<bool> stopping{false};
    HWND reader = nullptr;  // the reader thread's window
    std::deque<ReadChange> toStore;
    std::size_t queuedCopies = 0, queuedBytes = 0;  // waiting to be stored, or being stored
    bool roomWanted = false;                         // the reader waits for room in the queue
    bool readerEnded = false;
    std::deque<std::string> toTrace;  // lines of the reader, written by the storer
    std::deque<Result> results;
    bool resultsPosted = false;
    int running = 0;
    std::condition_variable stopped;

    // The reader thread's own.
    DWORD lastRead = 0;  // the sequence number of what the reader read (or skipped) last
    // The changes the reader's own listener heard of, and those it took up (began to read once
    // their writer had let go, or followed as released by their owner). A change replaced before
    // its notification was handled, or while its writer was at the clipboard again, is heard and
    // never taken up: the clipboard already held the next one.
    bool listening = false;
    int heard = 0, takenUp = 0;
    DWORD lastTakenUp = 0, takenUpBefore = 0;  // the sequence numbers of the last two changes taken up
    std::optional<WaitingCopy> waiting;
    std::optional<ReadChange> inHand;  // read, waiting for room in the queue
    bool queueFullTraced = false;
    int waitingShown = 0;  // the count the window was told last
    std::shared_ptr<ReadWorker> worker;
    std::vector<std::shared_ptr<ReadWorker>> retired;  // held up by a go; they end with it
    unsigned goCount = 0;
    std::atomic<int> missedCount{0};  // copies announced and not recorded
    std::atomic<bool> skipSecrets{true};

    void readChanges();
    void handle(const MSG& message);
    DWORD nextWake() const;
    void read(bool initial);
    void takeUp(DWORD sequence);
    void settleTakeUp(WaitingCopy& copy, DWORD sequence);
    void countUnread();
    bool ownChangesBetween(DWORD after, DWORD before) const;
    void advance();
    void look(WaitingCopy& copy);
    bool startGo(WaitingCopy& copy, HWND owner, bool askOwner);
    void letGo(WaitingCopy& copy);
    void endOfGo(WaitingCopy& copy);
    void postpone(WaitingCopy& copy, MissReason reason, Wait why);
    void finish(WaitingCopy& copy);
    void changedWhileWaiting(WaitingCopy& copy, DWORD now);
    void replaced(WaitingCopy& copy);
    bool queueInHand();
    void noteWaiting();
    bool storeChanges();
    void storeNext(std::unique_lock<std::mutex>& lock);
    void missed(MissReason reason);
    void store(ReadChange change);
    void report(Result result);
    // The reader never waits for the disk (a log file's write can, while a store write flushes
    // its files): its trace lines are made at once and written by the storer.
    void trace(std::string line);
    void writeTraces(std::unique_lock<std::mutex>& lock);
    bool stop() const { return stopping; }
};

}  // namespace app::recorder
