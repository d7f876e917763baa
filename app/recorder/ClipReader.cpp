// The recorder's reader thread: copies the clipboard into memory as each change is announced,
// and keeps a copy that cannot be read yet (another program holds the clipboard open, its owner
// renders on request and does not answer, the queue to the store is full) waiting until it can be
// read or a newer copy replaces it. The clipboard is opened by a worker thread, one go at a time:
// formats already on the clipboard are read at once whatever their owner does; a go lets go of the
// clipboard within half a second even when a source hangs in the middle of rendering a format, and
// a worker held up that way is left to end alone while the next go runs in a new one.
#include "app/recorder/RecorderState.h"

#include "store/ClipBudget.h"
#include "store/SecretRules.h"
#include "app/ClipRules.h"
#include "app/ExcludedPrograms.h"
#include "base/Barrier.h"
#include "base/Check.h"
#include "base/Handle.h"
#include "base/ScopeExit.h"
#include "base/Text.h"
#include "base/Trace.h"
#include "fw/MessageWindow.h"
#include "fw/Window.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace app::recorder {

namespace {

const wchar_t kReaderClass[] = L"DravixClipboardReader";

}  // namespace

// The reader thread: a window of its own hears of every change too (a listener of its own, which
// a busy main window cannot hold up), and the changes the main window announces arrive as
// messages. Between messages it takes the waiting copy a step further when its time comes.
void CClipRecorder::State::readChanges() {
    fw::CMessageWindow readerWindow;
    HWND window = readerWindow.Create({kReaderClass}) ? readerWindow.hwnd() : nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex);
        reader = window;
        readerReady.notify_all();
    }
    for (bool quit = !window; !quit;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, nextWake(), QS_ALLINPUT);
        MSG message;
        while (!quit && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            quit = message.message == WM_QUIT;
            if (!quit)
                base::Guarded("clipboard reader", [&] { handle(message); });
        }
        base::Guarded("clipboard reader", [&] {
            advance();
            countUnread();
            noteWaiting();
        });
    }
    if (worker)
        worker->stop();
    for (const std::shared_ptr<ReadWorker>& heldUp : retired)
        heldUp->stop();
    readerWindow.Destroy();
}

void CClipRecorder::State::handle(const MSG& message) {
    if (message.message == WM_CLIPBOARDUPDATE) {
        // A change told before the listening stopped (the user paused) and taken after it is not
        // read: the copy came after the pause.
        if (!listening)
            return;
        ++heard;
        read(false);
        countUnread();
    } else if (message.message == kMsgAnnounce) {
        read(message.wParam != 0);
    } else if (message.message == kMsgListen) {
        listening = message.wParam && CHECK_WIN32(AddClipboardFormatListener(message.hwnd));
        if (!message.wParam)
            CHECK_WIN32(RemoveClipboardFormatListener(message.hwnd));
        // What changed while no one listened is read now, and the counts start even after it.
        if (listening)
            read(false);
        heard = takenUp = 0;
        lastTakenUp = takenUpBefore = GetClipboardSequenceNumber();
    } else if (message.message != kMsgRoom) {
        DispatchMessageW(&message);
    }
}

namespace {

// Whether the clipboard as it is now is a copy still being made: its writer (the owner) has it
// open. A copy is whole at its close.
bool isBeingMade(HWND owner) {
    return owner && GetOpenClipboardWindow() == owner;
}

// Whether the clipboard as it is now is a whole copy, one whose loss would be a copy lost: one its
// owner does not hold open (`held`, looked at once by the caller: a writer that closes its copy and
// opens the clipboard again at once must not be seen both letting go and holding it). With no
// owner (a writer that opened the clipboard with no window), it is a copy when it holds data beside
// the locale: Wine releases a killed owner's clipboard to no owner and keeps only the locale it
// had, which is no copy. The formats are asked only when no program owns the clipboard: Wine may
// have the question wait for an owner that does not answer.
bool isWholeCopy(HWND owner, bool held) {
    if (owner)
        return !held;
    return CountClipboardFormats() > (IsClipboardFormatAvailable(CF_LOCALE) ? 1 : 0);
}

}  // namespace

// Reads the clipboard as it is now, unless it was read already. Whether the hook library made the
// change is asked at the first go, with the clipboard open and before any data is read. A copy
// still waiting that this change replaced is settled first; the new one is looked at at
// once and, if it cannot be read yet, waits. The window never waits for any of it.
void CClipRecorder::State::read(bool initial) {
    const DWORD announced = GetClipboardSequenceNumber();
    if (announced == lastRead)
        return;
    // Looked at before anything else takes time, so that what is asked is this change's. A writer
    // at the clipboard (holding it open, or moving it on meanwhile) may be replacing the copy that
    // was heard of: the change is taken up only once the writer has let go (settleTakeUp), and one
    // replaced before then stays unread, counted as missed.
    const HWND owner = GetClipboardOwner();
    const bool held = isBeingMade(owner);
    const bool wholeThen = isWholeCopy(owner, held);
    const bool movedOn = GetClipboardSequenceNumber() != announced;
    const bool whole = wholeThen && !movedOn;
    const bool beingMade = held || movedOn;
    if (waiting && waiting->seen == announced) {
        // A writer that does not move the number as it closes (Windows moves it as the copy is
        // written, not at the close).
        waiting->whole = waiting->whole || whole;
        if (whole)
            settleTakeUp(*waiting, announced);
        return;  // being read already
    }
    if (waiting)
        changedWhileWaiting(*waiting, announced);
    // A change taken up already (an owner's release, the emptying behind a killed owner) holds no
    // copy of its own; waiting for it would count it twice.
    if (!waiting && announced != lastTakenUp) {
        waiting.emplace();
        waiting->tookUp = initial;  // what was there at the start was heard of by no one
        if (!beingMade)
            settleTakeUp(*waiting, announced);
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

// Until the waiting copy's next look; a copy waiting for room is woken by the store thread.
DWORD CClipRecorder::State::nextWake() const {
    if (inHand)
        return 1000;
    if (!waiting)
        return INFINITE;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(waiting->nextLook - Clock::now());
    return left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
}

// The waiting copy one step on: settled when a newer copy replaced it, else looked at again when
// its time has come. Nothing is read while a copy read waits for room in the queue.
void CClipRecorder::State::advance() {
    if (inHand && !queueInHand()) {
        if (waiting && !waiting->trouble)
            waiting->trouble = MissReason::QueueFull;
        return;
    }
    if (!waiting)
        return;
    WaitingCopy& copy = *waiting;
    if (copy.go) {
        if (!copy.go->ended()) {
            copy.nextLook = Clock::now() + nextLookAfter(Wait::GoHeldUp, 0);
            return;
        }
        endOfGo(copy);
        if (!waiting)
            return;
    }
    if (const DWORD now = GetClipboardSequenceNumber(); now != copy.seen)
        return changedWhileWaiting(copy, now);
    if (Clock::now() >= copy.nextLook)
        look(copy);
}

// The clipboard changed while the copy waited: its owner released it (the copy goes on from the
// new sequence number), or a newer copy replaced it.
void CClipRecorder::State::changedWhileWaiting(WaitingCopy& copy, DWORD now) {
    ChangeWhileWaiting change;
    change.ownerGone = copy.owner && !IsWindow(copy.owner);
    change.hasOwner = GetClipboardOwner() != nullptr;
    change.holdsFormats = CountClipboardFormats() > 0;
    change.steps = now - copy.seen;
    change.caughtBeingMade = copy.beingMade && !copy.whole;
    change.sameOwner = copy.owner && GetClipboardOwner() == copy.owner;
    change.stillOpen = change.sameOwner && GetOpenClipboardWindow() == copy.owner;
    if (GetClipboardSequenceNumber() != now) {
        // The writer moved on while it was looked at (it closed the copy after `now` was read,
        // say): what was seen belongs to no one number. Looked at again at once.
        copy.nextLook = Clock::now();
        return;
    }
    if (isCloseOfCopyBeingMade(change)) {
        trace(base::TraceLine("clipboard %lu: the copy caught being made was closed as %lu", copy.seen, now));
        settleTakeUp(copy, now);
        copy.seen = now;
        copy.whole = true;
        copy.nextLook = Clock::now();
        return;
    }
    if (!isReleaseByOwner(change)) {
        // A killed owner's clipboard is emptied behind it (under Wine): a change, but no copy.
        // When the emptying is the last change, its number is taken up (nothing waits for it
        // again); a copy made since is still to be read.
        if (change.ownerGone && !change.hasOwner && change.steps <= 2)
            takeUp(now);
        else if (change.ownerGone && listening)
            ++takenUp;
        return replaced(copy);
    }
    trace(base::TraceLine("clipboard %lu released by its owner as %lu", copy.seen, now));
    takeUp(now);  // the owner's release is heard as a change of its own
    copy.seen = now;
    copy.owner = nullptr;
    copy.nextLook = Clock::now();
}

// One go, watched for kOpenBound. The owner is asked first only when an earlier go found it
// rendering on request without answering (and it can render at all: no owner, or one of our
// windows, has nothing to render).
void CClipRecorder::State::look(WaitingCopy& copy) {
    copy.nextLook = Clock::now() + nextLookAfter(Wait::GoHeldUp, 0);
    HWND owner = GetClipboardOwner();
    const ClipboardOwner asked = ownerOf(owner);
    if (pingsBeforeGo(asked, copy.waitingFor == MissReason::NotAnswering)) {
        if (!answers(owner)) {
            if (givesUpOnRest(copy.copy->copied(), since(copy.lastAnswer))) {
                trace(base::TraceLine("clipboard %lu: its source stopped answering; recorded with the %u formats read",
                                      copy.seen, static_cast<unsigned>(copy.copy->copied())));
                lastRead = copy.seen;
                return finish(copy);
            }
            return postpone(copy, MissReason::NotAnswering, Wait::NotAnswering);
        }
        copy.lastAnswer = Clock::now();
    }
    if (!startGo(copy, owner, asksOwner(asked)))
        return postpone(copy, MissReason::NotAnswering, Wait::GoHeldUp);  // earlier gos are held up
    if (copy.go->waitUntil(Clock::now() + kOpenBound))
        return endOfGo(copy);
    letGo(copy);
}

// A go past its bound lets go of the clipboard. One that ends then leaves what it read; one that
// does not is held up, and its worker is retired: the next go runs in a new worker, which asks for
// no data while the held-up one still waits inside a request (see copyWhatMayBe).
void CClipRecorder::State::letGo(WaitingCopy& copy) {
    worker->letGo(*copy.go);
    if (copy.go->waitUntil(Clock::now() + kLetGoWait))
        return endOfGo(copy);
    trace(base::TraceLine("clipboard %lu: a go held up %s", copy.seen,
                          copy.go->askingForData() ? "in a request for data" : "opening the clipboard"));
    retired.push_back(std::move(worker));
    worker.reset();
    retired.back()->stop();
    postpone(copy, MissReason::NotAnswering, Wait::GoHeldUp);
}

bool CClipRecorder::State::startGo(WaitingCopy& copy, HWND owner, bool askOwner) {
    retired.erase(std::remove_if(retired.begin(), retired.end(), [](const auto& heldUp) { return heldUp->ended(); }),
                  retired.end());
    if (!worker) {
        if (retired.size() >= static_cast<std::size_t>(kHeldUpWorkers))
            return false;
        worker = ReadWorker::make();
        trace(base::TraceLine("clipboard worker thread started"));
    }
    auto go = std::make_shared<ClipboardGo>(++goCount, copy.copy, copy.seen, owner, askOwner, copy.firstGo, isOwnChange);
    if (!worker->start(go))
        return false;
    copy.go = std::move(go);
    return true;
}

void CClipRecorder::State::endOfGo(WaitingCopy& copy) {
    const std::shared_ptr<ClipboardGo> go = std::move(copy.go);
    if (!go->opened)
        return go->cut ? postpone(copy, MissReason::NotAnswering, Wait::NotAnswering)
                       : postpone(copy, MissReason::HeldOpen, Wait::HeldOpen);
    if (go->changed) {
        trace(base::TraceLine("clipboard %lu: changed to %lu before it was read", copy.seen, go->after));
        return;  // a newer copy: the next step settles this one
    }
    if (go->ownChange) {
        trace(base::TraceLine("clipboard %lu: the hook library's own change", copy.seen));
        settleTakeUp(copy, go->after);
        lastRead = go->after;
        waiting.reset();
        return;
    }
    // An owner's release heard while the go ran moved the copy on already: the go's number is the
    // older one then, and a change taken up is never taken up again.
    if (copy.seen == go->expected()) {
        if (go->after != copy.seen && copy.owner && !IsWindow(copy.owner))
            takeUp(go->after);  // its owner went during the go: the release is heard as a change of its own
        settleTakeUp(copy, go->after);  // opened: its writer had let go of it
        copy.seen = go->after;
    }
    copy.whole = true;  // opened: its writer had let go of it
    copy.firstGo = copy.firstGo && !go->marksRead;
    if (!go->source.empty())
        copy.source = go->source;
    if (go->privateContents || go->excludedSource) {
        trace(base::TraceLine(go->excludedSource ? "copy of an excluded program not recorded: %s"
                                               : "private clipboard not recorded%s",
                            go->excludedSource ? go->source.c_str() : ""));
        lastRead = go->after;
        waiting.reset();
        return;
    }
    if (go->complete) {
        trace(base::TraceLine("clipboard %lu read (announced %lu): %u formats in %lld ms", go->after, copy.announced,
                            static_cast<unsigned>(go->copy->formatCount()), go->openMs));
        lastRead = go->after;
        return finish(copy);
    }
    trace(base::TraceLine("clipboard %lu: %u of %u formats read in %lld ms%s; the rest at the next go", go->after,
                        static_cast<unsigned>(go->copy->copied()), static_cast<unsigned>(go->copy->formatCount()),
                        go->openMs, go->letGoOpen ? ", let go of in a format its source renders" : ""));
    if (go->ownerStopped || go->cut)
        return postpone(copy, MissReason::NotAnswering, Wait::NotAnswering);
    copy.nextLook = Clock::now() + nextLookAfter(Wait::Resumed, 0);
}

// The first reason a copy waited is the one it is missed for, should a newer copy replace it.
void CClipRecorder::State::postpone(WaitingCopy& copy, MissReason reason, Wait why) {
    if (copy.waitingFor != reason)
        trace(base::TraceLine(reason == MissReason::HeldOpen ? "clipboard held open: trying again"
                                                                 : "clipboard source not answering: waiting"));
    copy.waitingFor = reason;
    if (!copy.trouble)
        copy.trouble = reason;
    copy.nextLook = Clock::now() + nextLookAfter(why, copy.attempt);
    if (why == Wait::HeldOpen)
        ++copy.attempt;
}

// The copy read goes to the store thread: refused when what fitted the budget shows nothing.
void CClipRecorder::State::finish(WaitingCopy& copy) {
    const std::shared_ptr<store::ClipboardCopy> read = copy.copy;
    const bool initial = copy.initial;
    const std::optional<MissReason> trouble = copy.trouble;
    std::string source = std::move(copy.source);
    waiting.reset();
    store::ClipSnapshot snapshot = read->take();
    snapshot.source = std::move(source);
    if (read->leftOut())
        trace(base::TraceLine("clipboard copied without %u formats (%u MB): over the budget of %u MB",
                            static_cast<unsigned>(read->leftOut()),
                            static_cast<unsigned>(read->leftOutBytes() / store::kMegabyte),
                            static_cast<unsigned>(store::clipBudget() / store::kMegabyte)));
    if (skipSecrets) {
        const store::SecretKind secret = store::secretKindOfCopy(snapshot);
        if (secret != store::SecretKind::None) {
            // Its kind only: nothing of the text goes into the log.
            trace(base::TraceLine("copy skipped as a secret (kind %d): not recorded", static_cast<int>(secret)));
            Result skipped;
            skipped.outcome = Outcome::Secret;
            return report(std::move(skipped));
        }
    }
    if (refusedForBudget(snapshot, read->leftOut()))
        return missed(MissReason::TooLarge);
    if (snapshot.empty()) {
        if (trouble)
            missed(*trouble);  // the source went before it handed its data out
        return;
    }
    if (read->leftOut()) {
        Result partly;
        partly.outcome = Outcome::PartlyRecorded;
        report(std::move(partly));
    }
    inHand = ReadChange{std::move(snapshot), initial, trouble};
    queueInHand();
}

// A newer copy came while this one waited: recorded with what was read of it, or missed (one that
// nothing held up was replaced before it could be looked at: counted too).
void CClipRecorder::State::replaced(WaitingCopy& copy) {
    const bool goUnderWay = copy.go != nullptr;  // the copy is the go's until it ends
    const std::size_t read = goUnderWay ? 0 : copy.copy->copied();
    const std::optional<MissReason> waitedFor =
        copy.trouble ? copy.trouble : goUnderWay ? std::optional<MissReason>(MissReason::NotAnswering) : std::nullopt;
    const Replaced outcome = whenReplaced(read, waitedFor, copy.whole);
    if (outcome.recorded) {
        trace(base::TraceLine("clipboard %lu replaced before it was read whole: recorded with %u formats", copy.seen,
                            static_cast<unsigned>(read)));
        return finish(copy);
    }
    // The hook library's own change is no copy to miss.
    const bool own = copy.ownerProcess && isOwnChange && isOwnChange(copy.announced, copy.ownerProcess);
    if (own) {
        trace(base::TraceLine("clipboard %lu: the hook library's own change", copy.announced));
        settleTakeUp(copy, copy.seen);
    } else if (!outcome.missed) {
        trace(base::TraceLine("clipboard %lu: no whole copy yet when it changed (emptied, or still being made)", copy.announced));
    }
    waiting.reset();
    if (!own && outcome.missed)
        missed(outcome.reason);
}

// Beyond the queue's limits reading waits; the store thread says when there is room. At the end
// of the run what was read is queued whatever the limits.
bool CClipRecorder::State::queueInHand() {
    std::lock_guard<std::mutex> lock(mutex);
    const std::size_t bytes = inHand->snapshot.byteCount();
    if (!stopping && !mayQueue(queuedCopies, queuedBytes, bytes, limits)) {
        roomWanted = true;
        if (!queueFullTraced)
            toTrace.push_back(base::TraceLine("store queue full (%u copies, %u MB): reading waits",
                                            static_cast<unsigned>(queuedCopies),
                                            static_cast<unsigned>(queuedBytes / store::kMegabyte)));
        queueFullTraced = true;
        storerWake.notify_one();
        return false;
    }
    queueFullTraced = false;
    ++queuedCopies;
    queuedBytes += bytes;
    toStore.push_back(std::move(*inHand));
    inHand.reset();
    storerWake.notify_one();
    return true;
}

// The window is told how many copies wait whenever that changes.
void CClipRecorder::State::noteWaiting() {
    const int count = (waiting && waiting->trouble ? 1 : 0) + (inHand ? 1 : 0);
    if (count == waitingShown)
        return;
    waitingShown = count;
    Result result;
    result.outcome = Outcome::Waiting;
    result.waiting = count;
    report(std::move(result));
}

void CClipRecorder::State::settleTakeUp(WaitingCopy& copy, DWORD sequence) {
    if (!copy.tookUp)
        takeUp(sequence);
    copy.tookUp = true;
}

void CClipRecorder::State::takeUp(DWORD sequence) {
    if (listening)
        ++takenUp;
    takenUpBefore = lastTakenUp;
    lastTakenUp = sequence;
}

// Every change heard and never taken up was replaced before the reader could look at it: counted
// as missed, unless the hook library's own changes (a paste's clip and the user's clipboard put
// back) lie between the change taken up before the last one and now. The main window's announcement may
// take a change up before the listener's notification of it arrives; that notification then
// only evens the count.
void CClipRecorder::State::countUnread() {
    // A waiting copy not yet brought up to the clipboard's number (its go held up, or a look put
    // off while the writer moved on) may still take those changes up: they are counted once it is.
    if (waiting && waiting->seen != GetClipboardSequenceNumber())
        return;
    const int pending = waiting && !waiting->tookUp ? 1 : 0;  // caught as its writer was at it
    if (heard <= takenUp + pending)
        return;
    const int unread = heard - takenUp - pending;
    takenUp += unread;
    if (ownChangesBetween(takenUpBefore, GetClipboardSequenceNumber()))
        return;
    trace(base::TraceLine("%d change(s) replaced before the clipboard could be read", unread));
    for (int i = 0; i < unread; ++i)
        missed(MissReason::ReplacedUnread);
}

// Whether a change of the hook library's own lies between two sequence numbers: it made
// it for the process that owns the clipboard now, or for this program.
bool CClipRecorder::State::ownChangesBetween(DWORD after, DWORD before) const {
    if (!isOwnChange)
        return false;
    DWORD owner = 0;
    GetWindowThreadProcessId(GetClipboardOwner(), &owner);
    const DWORD processes[] = {owner, GetCurrentProcessId()};
    const DWORD steps = std::min<DWORD>(before - after, kOwnChangeLookBack);
    for (DWORD step = 1; step <= steps; ++step)
        for (const DWORD process : processes)
            if (process && isOwnChange(after + step, process))
                return true;
    return false;
}

}  // namespace app::recorder
