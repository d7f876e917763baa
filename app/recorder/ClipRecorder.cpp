#include "app/recorder/RecorderState.h"

#include "app/ClipRules.h"
#include "store/TimeStamp.h"
#include "app/recorder/Filing.h"
#include "base/Barrier.h"
#include "base/ScopeExit.h"
#include "base/Trace.h"

#include <thread>

using namespace recorder;

// Both threads run inside a barrier that reports where it caught and goes on: a copy that
// cannot be read or stored is counted and shown, and the next one is read.
CClipRecorder::CClipRecorder(const store::StorePaths& paths, HWND window, UINT message, OwnChangeTest isOwnChange)
    : m_state(std::make_shared<State>(paths, window, message, std::move(isOwnChange))) {
    m_state->running = 2;
    std::thread([state = m_state] {
        base::Guarded("clipboard reader thread", [&] { state->readChanges(); });
        base::Guarded("clipboard reader thread", [&] {
            if (state->inHand)
                state->queueInHand();  // the end of the run: whatever the queue's limits
        });
        std::lock_guard<std::mutex> lock(state->mutex);
        state->readerEnded = true;
        --state->running;
        state->stopped.notify_all();
        state->storerWake.notify_all();
    }).detach();
    std::thread([state = m_state] {
        while (!base::Guarded("recorder's store thread", false, [&] { return state->storeChanges(); })) {
        }
        std::lock_guard<std::mutex> lock(state->mutex);
        --state->running;
        state->stopped.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(m_state->mutex);
    m_state->readerReady.wait_for(lock, std::chrono::seconds(5), [&] { return m_state->reader != nullptr; });
    m_reader = m_state->reader;
}

// The copies read so far are stored before the recorder goes. The worker thread, if a source
// that hangs while it renders holds it, is left to end with the process: it holds its own share
// of what it reads.
CClipRecorder::~CClipRecorder() {
    std::unique_lock<std::mutex> lock(m_state->mutex);
    m_state->stopping = true;
    if (m_reader)
        PostMessageW(m_reader, WM_QUIT, 0, 0);
    m_state->storerWake.notify_all();
    m_state->stopped.wait_for(lock, std::chrono::seconds(5), [&] { return m_state->running == 0; });
}

clip::LastText& CClipRecorder::lastText() {
    return m_state->lastText;
}

void CClipRecorder::SkipSecrets(bool on) {
    m_state->skipSecrets = on;
}

void CClipRecorder::Listen(bool on) {
    if (m_reader)
        PostMessageW(m_reader, kMsgListen, on ? 1 : 0, 0);
}

void CClipRecorder::Announce(bool initial) {
    const DWORD sequence = GetClipboardSequenceNumber();
    if (sequence == m_lastAnnounced && !initial)
        return;  // another source told of this change already
    m_lastAnnounced = sequence;
    if (m_reader)
        PostMessageW(m_reader, kMsgAnnounce, initial ? 1 : 0, 0);
}

std::vector<CClipRecorder::Result> CClipRecorder::TakeResults() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    std::vector<Result> taken(std::make_move_iterator(m_state->results.begin()),
                              std::make_move_iterator(m_state->results.end()));
    m_state->results.clear();
    m_state->resultsPosted = false;
    return taken;
}

namespace {

// Whether the clipboard as it is now is a copy still being made: its writer (the owner) has it
// open. A copy is whole at its close.
bool isBeingMade(HWND owner) {
    return owner && GetOpenClipboardWindow() == owner;
}

// Whether the clipboard as it is now is a whole copy, one whose loss would be a copy lost. With no
// owner (a writer that opened the clipboard with no window), it is a copy when it holds data beside
// the locale: Wine releases a killed owner's clipboard to no owner and keeps only the locale it
// had, which is no copy. The formats are asked only when no program owns the clipboard: Wine may
// have the question wait for an owner that does not answer.
bool isWholeCopy(HWND owner) {
    if (owner)
        return !isBeingMade(owner);
    return CountClipboardFormats() > (IsClipboardFormatAvailable(CF_LOCALE) ? 1 : 0);
}

}  // namespace

// Reads the clipboard as it is now, unless it was read already. Whether the hook library made the
// change is asked at the first go, with the clipboard open and before any data is read. A copy
// still waiting that this change replaced is settled first; the new one is looked at at
// once and, if it cannot be read yet, waits (ClipReader.cpp). The window never waits for any of
// it.
void CClipRecorder::State::read(bool initial) {
    const DWORD announced = GetClipboardSequenceNumber();
    if (announced == lastRead)
        return;
    // Looked at before anything else takes time, so that what is asked is this change's. If the
    // clipboard moved on meanwhile, nothing is known of the change asked about: no copy to count.
    const HWND owner = GetClipboardOwner();
    const bool beingMade = isBeingMade(owner);
    const bool whole = isWholeCopy(owner) && GetClipboardSequenceNumber() == announced;
    if (waiting && waiting->seen == announced) {
        waiting->whole = waiting->whole || whole;  // a writer that does not move the number as it closes
        return;  // being read already
    }
    if (waiting)
        changedWhileWaiting(*waiting, announced);
    if (!waiting) {
        if (!initial)
            takeUp(announced);
        waiting.emplace();
        waiting->announced = waiting->seen = announced;
        waiting->owner = owner;
        GetWindowThreadProcessId(owner, &waiting->ownerProcess);
        waiting->whole = whole;
        waiting->beingMade = beingMade;
        waiting->initial = initial;
        waiting->lastAnswer = Clock::now();
    }
    advance();
}

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
        missed(clip::MissReason::StoreFailed);
}

void CClipRecorder::State::missed(clip::MissReason reason) {
    Result result;
    result.outcome = Outcome::Missed;
    result.reason = reason;
    report(std::move(result));
}

// The copy becomes the lowest free history record, unless it shows nothing or its text repeats
// the last text: filed the one way every copy is (clip::fileCopy).
void CClipRecorder::State::store(ReadChange change) {
    clip::Filing filing = clip::fileCopy(paths, change.snapshot, store::currentTimeStamp(), lastText);
    Result result;
    result.initial = change.initial;
    switch (filing.outcome) {
    case clip::Filing::Outcome::Filed:
        result.outcome = Outcome::Recorded;
        result.number = filing.number;
        result.row = std::move(filing.row);
        result.madeRoom = filing.madeRoom;
        result.copy = std::make_shared<const store::ClipSnapshot>(std::move(change.snapshot));
        break;
    case clip::Filing::Outcome::Repeat:
        result.outcome = Outcome::Repeat;
        break;
    case clip::Filing::Outcome::NothingToShow:
        // What shows nothing was never read whole when something stood in its way.
        result.outcome = change.trouble ? Outcome::Missed : Outcome::NothingToShow;
        result.reason = change.trouble.value_or(clip::MissReason::HeldOpen);
        break;
    case clip::Filing::Outcome::HistoryFull:
        result.outcome = Outcome::HistoryFull;
        break;
    case clip::Filing::Outcome::Failed:
        result.outcome = Outcome::Missed;
        result.reason = clip::MissReason::StoreFailed;
        break;
    }
    report(std::move(result));
}

// Outcomes wait in order; the window is told once until it takes them.
void CClipRecorder::State::report(Result result) {
    if (result.outcome == Outcome::Missed)
        trace(base::TraceLine("copy not recorded: %s; %d missed in all", std::string(clip::missName(result.reason)).c_str(),
                            ++missedCount));
    std::lock_guard<std::mutex> lock(mutex);
    results.push_back(std::move(result));
    if (!resultsPosted)
        resultsPosted = PostMessageW(window, message, 0, 0) != 0;
}
