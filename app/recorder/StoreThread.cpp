// The recorder's store thread: the copies read are filed in the order they were read, the reader's
// trace lines written, and every outcome handed to the window in order.
#include "app/recorder/RecorderState.h"

#include "store/TimeStamp.h"
#include "app/recorder/Filing.h"
#include "base/Barrier.h"
#include "base/ScopeExit.h"
#include "base/Trace.h"

namespace app::recorder {

void CClipRecorder::State::trace(std::string line) {
    std::lock_guard<std::mutex> lock(mutex);
    toTrace.push_back(std::move(line));
    storerWake.notify_one();
}

void CClipRecorder::State::writeTraces(std::unique_lock<std::mutex>& lock) {
    std::deque<std::string> lines;
    lines.swap(toTrace);
    lock.unlock();
    for (const std::string& line : lines)
        base::WriteTrace(line);
    lock.lock();
}

// The store thread: copies are stored in the order they were read, and what was read is stored
// before the thread ends. True when it ended.
bool CClipRecorder::State::storeChanges() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        storerWake.wait(lock, [&] { return (stopping && readerEnded) || !toStore.empty() || !toTrace.empty(); });
        writeTraces(lock);
        if (!toStore.empty())
            storeNext(lock);
        else if (stopping && readerEnded)
            return true;
    }
}

// A copy that could not be stored (out of memory while its files were made) is missed, and its
// room in the queue is given back whatever happened.
void CClipRecorder::State::storeNext(std::unique_lock<std::mutex>& lock) {
    ReadChange change = std::move(toStore.front());
    toStore.pop_front();
    const std::size_t bytes = change.snapshot.byteCount();
    lock.unlock();
    const base::ScopeExit giveRoomBack([&] {
        lock.lock();
        --queuedCopies;
        queuedBytes -= bytes;
        if (roomWanted && reader) {
            roomWanted = false;
            PostMessageW(reader, kMsgRoom, 0, 0);
        }
    });
    if (!base::Guarded("recorder: storing a copy", false, [&] {
            store(std::move(change));
            return true;
        }))
        missed(MissReason::StoreFailed);
}

void CClipRecorder::State::missed(MissReason reason) {
    Result result;
    result.outcome = Outcome::Missed;
    result.reason = reason;
    report(std::move(result));
}

// The copy becomes the lowest free history record, unless it shows nothing or its text repeats
// the last text: filed the one way every copy is (fileCopy).
void CClipRecorder::State::store(ReadChange change) {
    Filing filing = fileCopy(paths, change.snapshot, store::currentTimeStamp(), lastText);
    Result result;
    result.initial = change.initial;
    switch (filing.outcome) {
    case Filing::Outcome::Filed:
        result.outcome = Outcome::Recorded;
        result.number = filing.number;
        result.row = std::move(filing.row);
        result.madeRoom = filing.madeRoom;
        result.copy = std::make_shared<const store::ClipSnapshot>(std::move(change.snapshot));
        break;
    case Filing::Outcome::Repeat:
        result.outcome = Outcome::Repeat;
        break;
    case Filing::Outcome::NothingToShow:
        // What shows nothing was never read whole when something stood in its way.
        result.outcome = change.trouble ? Outcome::Missed : Outcome::NothingToShow;
        result.reason = change.trouble.value_or(MissReason::HeldOpen);
        break;
    case Filing::Outcome::HistoryFull:
        result.outcome = Outcome::HistoryFull;
        break;
    case Filing::Outcome::Failed:
        result.outcome = Outcome::Missed;
        result.reason = MissReason::StoreFailed;
        break;
    }
    report(std::move(result));
}

// Outcomes wait in order; the window is told once until it takes them.
void CClipRecorder::State::report(Result result) {
    if (result.outcome == Outcome::Missed)
        trace(base::TraceLine("copy not recorded: %s; %d missed in all", std::string(missName(result.reason)).c_str(),
                            ++missedCount));
    std::lock_guard<std::mutex> lock(mutex);
    results.push_back(std::move(result));
    if (!resultsPosted)
        resultsPosted = PostMessageW(window, message, 0, 0) != 0;
}

}  // namespace app::recorder
