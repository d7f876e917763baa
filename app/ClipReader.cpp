// The recorder's reader thread: copies the clipboard into memory as each change is announced,
// and keeps a copy that cannot be read yet (another program holds the clipboard open, its owner
// renders on request and does not answer, the queue to the store is full) waiting until it can be
// read or a newer copy replaces it. The clipboard is opened by a worker thread, one go at a time:
// formats already on the clipboard are read at once whatever their owner does; a go lets go of the
// clipboard within half a second even when a source hangs in the middle of rendering a format, and
// a worker held up that way is left to end alone while the next go runs in a new one.
#include "app/ClipRecorderState.h"

#include "store/ClipBudget.h"
#include "app/ClipRules.h"
#include "app/ExcludedPrograms.h"
#include "base/Barrier.h"
#include "base/Check.h"
#include "base/Handle.h"
#include "base/ScopeExit.h"
#include "base/Text.h"
#include "base/Trace.h"
#include "fw/Window.h"

#include <algorithm>
#include <cstring>
#include <thread>

using namespace recorder;

namespace {

const wchar_t kReaderClass[] = L"DravixClipboardReader";
const wchar_t kWorkerClass[] = L"DravixClipboardWorker";
constexpr UINT kMsgLetGo = WM_APP + 10;  // to a worker's window; wParam: the go to let go

// A class of this program's windows, registered once (a second recorder finds it there).
bool registerClass(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = name;
    return RegisterClassW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS || CHECK_WIN32(false);
}

std::chrono::milliseconds since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

// Whether the window answers a message within the bound; a program Windows finds hung (five
// seconds without taking its messages) is not waited for at all.
bool answers(HWND window) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                               static_cast<UINT>(clip::kSourceAnswerTimeout.count()), &ignored) != 0;
}

clip::ClipboardOwner ownerOf(HWND window) {
    clip::ClipboardOwner owner;
    owner.alive = window && IsWindow(window);
    DWORD process = 0;
    if (owner.alive)
        GetWindowThreadProcessId(window, &process);
    owner.ours = owner.alive && process == GetCurrentProcessId();
    return owner;
}

// What a careful program (a password manager) says about what it copied; read while the
// clipboard is open. Nothing when its owner could not be asked for the one mark that is data,
// or the clipboard was taken from us meanwhile.
std::optional<clip::ClipboardMarks> readClipboardMarks(const std::function<bool()>& mayAsk) {
    clip::ClipboardMarks marks;
    marks.excludeFromMonitoring =
        IsClipboardFormatAvailable(RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"));
    marks.viewerIgnore = IsClipboardFormatAvailable(RegisterClipboardFormatW(L"Clipboard Viewer Ignore"));
    const UINT history = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
    if (!IsClipboardFormatAvailable(history))
        return marks;
    if (!mayAsk())
        return std::nullopt;
    SetLastError(ERROR_SUCCESS);
    HANDLE data = GetClipboardData(history);
    if (!data && GetLastError() == ERROR_CLIPBOARD_NOT_OPEN)
        return std::nullopt;
    if (data && GlobalSize(data) >= sizeof(DWORD)) {
        base::GlobalLockScope value(data);
        if (value.data()) {
            DWORD allowed = 0;
            std::memcpy(&allowed, value.data(), sizeof allowed);
            marks.canIncludeInHistory = allowed;
        }
    }
    return marks;
}

// The program behind a change: the clipboard's owner, or with no owner (data set without a
// window) the program in front. Empty when it cannot be found (an owner that has ended).
std::string copySource() {
    HWND owner = GetClipboardOwner();
    return base::toUtf8(fw::ProgramOfWindow(owner ? owner : GetForegroundWindow()));
}

}  // namespace

namespace recorder {

// One go at the clipboard, in a worker thread: opened once (another program may hold it), the
// change expected still there, its marks read at the first go, and then as much of the copy as
// the bound allows. A go told to let go (letGo, in its own thread, from inside the wait that a
// source rendering on request keeps it in) closes the clipboard and reads nothing more.
class ClipboardGo {
public:
    ClipboardGo(unsigned number, std::shared_ptr<store::ClipboardCopy> copy, DWORD expected, HWND owner, bool askOwner,
                bool checkMarks, CClipRecorder::OwnChangeTest isOwnChange)
        : number(number), copy(std::move(copy)), m_expected(expected), m_owner(owner), m_askOwner(askOwner),
          m_checkMarks(checkMarks), m_isOwnChange(std::move(isOwnChange)) {}

    void run(HWND opener) {
        base::Guarded("a go at the clipboard", [&] { copyWhatMayBe(opener); });
        m_asking = false;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_ended = true;
        m_endedSignal.notify_all();
    }
    // Whether the go ended by `deadline`.
    bool waitUntil(Clock::time_point deadline) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_endedSignal.wait_until(lock, deadline, [&] { return m_ended; });
    }
    bool ended() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_ended;
    }
    // In the go's thread: the clipboard goes back if the go holds it, and nothing more is asked for.
    void letGo(HWND opener) {
        cut = true;
        if (GetOpenClipboardWindow() == opener && CloseClipboard())
            letGoOpen = true;
    }
    // Whether the go is inside a request for a format's data (its source may be rendering it).
    bool askingForData() const { return m_asking; }

    const unsigned number;  // which go of the run
    // After the go ended:
    const std::shared_ptr<store::ClipboardCopy> copy;
    bool opened = false;
    bool changed = false;        // a newer copy was there
    bool ownChange = false;      // the hook library's: nothing was read
    bool marksRead = false;
    bool privateContents = false;
    std::string source;          // the program behind the change, taken at the first go
    bool excludedSource = false; // ... on the user's list of programs never recorded: nothing was read
    bool complete = false;
    bool ownerStopped = false;   // its owner stopped answering
    std::atomic<bool> cut{false};      // told to let go before it ended
    std::atomic<bool> letGoOpen{false};  // ... and it closed the clipboard in the middle of a format
    DWORD after = 0;             // the sequence number when it closed the clipboard
    long long openMs = 0;

private:
    void copyWhatMayBe(HWND opener) {
        // Under Wine a request for data waits inside the system for another thread's request that
        // its source keeps (the clipboard calls of a process share one lock there): asked before the
        // clipboard is opened, that wait holds nobody else's clipboard. Windows answers at once.
        GetClipboardData(0);
        base::ClipboardScope clipboard(opener, 1);
        if (!clipboard.isOpen() || cut)
            return;
        opened = true;
        const Clock::time_point openedAt = Clock::now();
        const base::ScopeExit noteEnd([&] {
            after = GetClipboardSequenceNumber();
            openMs = since(openedAt).count();
        });
        if (GetClipboardSequenceNumber() != m_expected) {
            changed = true;
            return;
        }
        // Decided before any data is asked for: the library's offered clip is never rendered for
        // us (its first reader is the target of a paste), and no other program's change can come
        // between while the clipboard is open.
        if (m_checkMarks && m_isOwnChange) {
            DWORD ownerProcess = 0;
            GetWindowThreadProcessId(GetClipboardOwner(), &ownerProcess);
            ownChange = m_isOwnChange(m_expected, ownerProcess);
            if (ownChange)
                return;
        }
        Clock::time_point lastFormatAsked = openedAt;
        const auto mayAskNext = [&] {
            m_asking = false;
            const std::chrono::milliseconds lastFormat = since(lastFormatAsked);
            if (cut || !clip::mayAskAnotherFormat(since(openedAt)))
                return false;
            ownerStopped = m_askOwner && clip::asksAgain(lastFormat) && !answers(m_owner);
            lastFormatAsked = Clock::now();
            m_asking = !ownerStopped;
            return !ownerStopped;
        };
        if (m_checkMarks) {
            source = copySource();
            // A program the user named is treated as one that marks its copies private.
            excludedSource = excluded::isExcluded(source);
            if (excludedSource)
                return;
            const std::optional<clip::ClipboardMarks> marks = readClipboardMarks(mayAskNext);
            m_asking = false;
            if (!marks)
                return;
            marksRead = true;
            privateContents = clip::isPrivate(*marks);
            if (privateContents)
                return;
        }
        complete = copy->copyOpenClipboard(mayAskNext) && !cut;
        m_asking = false;
    }

    const DWORD m_expected;
    const HWND m_owner;
    const bool m_askOwner;
    const bool m_checkMarks;
    const CClipRecorder::OwnChangeTest m_isOwnChange;
    std::atomic<bool> m_asking{false};
    std::mutex m_mutex;
    std::condition_variable m_endedSignal;
    bool m_ended = false;
};

// A thread that opens the clipboard, kept from one go to the next (under load, starting a thread
// can take longer than the gap between two copies). Its window opens the clipboard and hears the
// reader's word to let go of it. A worker whose go is held up is retired: it ends once that go
// ends, and a new one takes the next go.
class ReadWorker {
public:
    static std::shared_ptr<ReadWorker> make() {
        auto worker = std::make_shared<ReadWorker>();
        std::thread([worker] {
            HWND window = CreateWindowExW(0, kWorkerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          GetModuleHandleW(nullptr), nullptr);
            if (!window)
                base::ReportFailure("CreateWindowExW");
            else
                SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(worker.get()));
            {
                std::lock_guard<std::mutex> lock(worker->m_mutex);
                worker->m_window = window;
            }
            while (!base::Guarded("clipboard worker thread", false, [&] { return worker->serve(window); })) {
            }
            if (window) {
                SetWindowLongPtrW(window, GWLP_USERDATA, 0);
                DestroyWindow(window);
            }
            std::lock_guard<std::mutex> lock(worker->m_mutex);
            worker->m_ended = true;
        }).detach();
        return worker;
    }
    // False while an earlier go has not ended, or once retired.
    bool start(std::shared_ptr<ClipboardGo> go) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_busy || m_stop)
            return false;
        m_next = std::move(go);
        m_busy = true;
        m_wake.notify_one();
        return true;
    }
    // The go under way is told to let go of the clipboard. The word is sent, not posted: a thread
    // that waits inside a request for data takes sent messages, and takes posted ones only later.
    void letGo(const ClipboardGo& go) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_window)
            SendNotifyMessageW(m_window, kMsgLetGo, go.number, 0);
    }
    // The thread ends once it is idle.
    void stop() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_wake.notify_one();
    }
    bool ended() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_ended;
    }

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message != kMsgLetGo)
            return DefWindowProcW(window, message, wParam, lParam);
        base::Guarded("letting go of the clipboard", [&] {
            if (auto* worker = reinterpret_cast<ReadWorker*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
                if (const std::shared_ptr<ClipboardGo> go = worker->current(); go && go->number == wParam)
                    go->letGo(window);
        });
        return 0;
    }

private:
    std::shared_ptr<ClipboardGo> current() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_current;
    }
    // `window` opens the clipboard: Wine lets a second thread open a clipboard opened without a
    // window, and the first to close it then closes it for both.
    bool serve(HWND window) {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [&] { return m_next != nullptr || m_stop; });
            if (!m_next)
                return true;
            m_current = std::move(m_next);
            const std::shared_ptr<ClipboardGo> go = m_current;
            lock.unlock();
            go->run(window);
            lock.lock();
            m_current.reset();
            m_busy = false;
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::shared_ptr<ClipboardGo> m_next, m_current;
    HWND m_window = nullptr;
    bool m_busy = false;
    bool m_stop = false;
    bool m_ended = false;
};

}  // namespace recorder

// The reader thread: a window of its own hears of every change too (a listener of its own, which
// a busy main window cannot hold up), and the changes the main window announces arrive as
// messages. Between messages it takes the waiting copy a step further when its time comes.
void CClipRecorder::State::readChanges() {
    registerClass(kReaderClass, DefWindowProcW);
    registerClass(kWorkerClass, ReadWorker::windowProc);
    HWND window = CreateWindowExW(0, kReaderClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window)
        base::ReportFailure("CreateWindowExW");
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
            noteWaiting();
        });
    }
    if (worker)
        worker->stop();
    for (const std::shared_ptr<ReadWorker>& heldUp : retired)
        heldUp->stop();
    if (window)
        DestroyWindow(window);
}

void CClipRecorder::State::handle(const MSG& message) {
    if (message.message == WM_CLIPBOARDUPDATE || message.message == kMsgAnnounce) {
        read(message.message == kMsgAnnounce && message.wParam);
    } else if (message.message == kMsgListen) {
        if (message.wParam ? !AddClipboardFormatListener(message.hwnd) : !RemoveClipboardFormatListener(message.hwnd))
            base::ReportFailure(message.wParam ? "AddClipboardFormatListener" : "RemoveClipboardFormatListener");
    } else if (message.message != kMsgRoom) {
        DispatchMessageW(&message);
    }
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
            waiting->trouble = clip::MissReason::QueueFull;
        return;
    }
    if (!waiting)
        return;
    WaitingCopy& copy = *waiting;
    if (copy.go) {
        if (!copy.go->ended()) {
            copy.nextLook = Clock::now() + clip::nextLookAfter(clip::Wait::GoHeldUp, 0);
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
    clip::ChangeWhileWaiting change;
    change.ownerGone = copy.owner && !IsWindow(copy.owner);
    change.hasOwner = GetClipboardOwner() != nullptr;
    change.holdsFormats = CountClipboardFormats() > 0;
    change.steps = now - copy.seen;
    if (!clip::isReleaseByOwner(change))
        return replaced(copy);
    trace(base::TraceLine("clipboard %lu released by its owner as %lu", copy.seen, now));
    copy.seen = now;
    copy.owner = nullptr;
    copy.nextLook = Clock::now();
}

// One go, watched for kOpenBound. The owner is asked first only when an earlier go found it
// rendering on request without answering (and it can render at all: no owner, or one of our
// windows, has nothing to render).
void CClipRecorder::State::look(WaitingCopy& copy) {
    copy.nextLook = Clock::now() + clip::nextLookAfter(clip::Wait::GoHeldUp, 0);
    HWND owner = GetClipboardOwner();
    const clip::ClipboardOwner asked = ownerOf(owner);
    if (clip::pingsBeforeGo(asked, copy.waitingFor == clip::MissReason::NotAnswering)) {
        if (!answers(owner)) {
            if (clip::givesUpOnRest(copy.copy->copied(), since(copy.lastAnswer))) {
                trace(base::TraceLine("clipboard %lu: its source stopped answering; recorded with the %u formats read",
                                      copy.seen, static_cast<unsigned>(copy.copy->copied())));
                lastRead = copy.seen;
                return finish(copy);
            }
            return wait(copy, clip::MissReason::NotAnswering, clip::Wait::NotAnswering);
        }
        copy.lastAnswer = Clock::now();
    }
    if (!startGo(copy, owner, clip::asksOwner(asked)))
        return wait(copy, clip::MissReason::NotAnswering, clip::Wait::GoHeldUp);  // earlier gos are held up
    if (copy.go->waitUntil(Clock::now() + clip::kOpenBound))
        return endOfGo(copy);
    letGo(copy);
}

// A go past its bound lets go of the clipboard. One that ends then leaves what it read; one that
// does not is held up, and its worker is retired: the next go runs in a new worker, which asks for
// no data while the held-up one still waits inside a request (see copyWhatMayBe).
void CClipRecorder::State::letGo(WaitingCopy& copy) {
    worker->letGo(*copy.go);
    if (copy.go->waitUntil(Clock::now() + clip::kLetGoWait))
        return endOfGo(copy);
    trace(base::TraceLine("clipboard %lu: a go held up %s", copy.seen,
                          copy.go->askingForData() ? "in a request for data" : "opening the clipboard"));
    retired.push_back(std::move(worker));
    worker.reset();
    retired.back()->stop();
    wait(copy, clip::MissReason::NotAnswering, clip::Wait::GoHeldUp);
}

bool CClipRecorder::State::startGo(WaitingCopy& copy, HWND owner, bool askOwner) {
    retired.erase(std::remove_if(retired.begin(), retired.end(), [](const auto& heldUp) { return heldUp->ended(); }),
                  retired.end());
    if (!worker) {
        if (retired.size() >= static_cast<std::size_t>(clip::kHeldUpWorkers))
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
        return go->cut ? wait(copy, clip::MissReason::NotAnswering, clip::Wait::NotAnswering)
                       : wait(copy, clip::MissReason::HeldOpen, clip::Wait::HeldOpen);
    if (go->changed) {
        trace(base::TraceLine("clipboard %lu: changed to %lu before it was read", copy.seen, go->after));
        return;  // a newer copy: the next step settles this one
    }
    if (go->ownChange) {
        trace(base::TraceLine("clipboard %lu: the hook library's own change", copy.seen));
        lastRead = go->after;
        waiting.reset();
        return;
    }
    copy.seen = go->after;
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
        return wait(copy, clip::MissReason::NotAnswering, clip::Wait::NotAnswering);
    copy.nextLook = Clock::now() + clip::nextLookAfter(clip::Wait::Resumed, 0);
}

// The first reason a copy waited is the one it is missed for, should a newer copy replace it.
void CClipRecorder::State::wait(WaitingCopy& copy, clip::MissReason reason, clip::Wait why) {
    if (copy.waitingFor != reason)
        trace(base::TraceLine(reason == clip::MissReason::HeldOpen ? "clipboard held open: trying again"
                                                                 : "clipboard source not answering: waiting"));
    copy.waitingFor = reason;
    if (!copy.trouble)
        copy.trouble = reason;
    copy.nextLook = Clock::now() + clip::nextLookAfter(why, copy.attempt);
    if (why == clip::Wait::HeldOpen)
        ++copy.attempt;
}

// The copy read goes to the store thread: refused when what fitted the budget shows nothing.
void CClipRecorder::State::finish(WaitingCopy& copy) {
    const std::shared_ptr<store::ClipboardCopy> read = copy.copy;
    const bool initial = copy.initial;
    const std::optional<clip::MissReason> trouble = copy.trouble;
    std::string source = std::move(copy.source);
    waiting.reset();
    store::ClipSnapshot snapshot = read->take();
    snapshot.source = std::move(source);
    if (read->leftOut())
        trace(base::TraceLine("clipboard copied without %u formats (%u MB): over the budget of %u MB",
                            static_cast<unsigned>(read->leftOut()),
                            static_cast<unsigned>(read->leftOutBytes() / store::kMegabyte),
                            static_cast<unsigned>(store::clipBudget() / store::kMegabyte)));
    if (clip::refusedForBudget(snapshot, read->leftOut()))
        return missed(clip::MissReason::TooLarge);
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
    const std::optional<clip::MissReason> waitedFor =
        copy.trouble ? copy.trouble : goUnderWay ? std::optional<clip::MissReason>(clip::MissReason::NotAnswering) : std::nullopt;
    const clip::Replaced outcome = clip::whenReplaced(read, waitedFor);
    if (outcome.recorded) {
        trace(base::TraceLine("clipboard %lu replaced before it was read whole: recorded with %u formats", copy.seen,
                            static_cast<unsigned>(read)));
        return finish(copy);
    }
    // The hook library's own change is no copy to miss.
    const bool own = copy.ownerProcess && isOwnChange && isOwnChange(copy.announced, copy.ownerProcess);
    if (own)
        trace(base::TraceLine("clipboard %lu: the hook library's own change", copy.announced));
    waiting.reset();
    if (!own)
        missed(outcome.reason);
}

// Beyond the queue's limits reading waits; the store thread says when there is room. At the end
// of the run what was read is queued whatever the limits.
bool CClipRecorder::State::queueInHand() {
    std::lock_guard<std::mutex> lock(mutex);
    const std::size_t bytes = inHand->snapshot.byteCount();
    if (!stopping && !clip::mayQueue(queuedCopies, queuedBytes, bytes, limits)) {
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
