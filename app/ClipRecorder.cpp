#include "ClipRecorder.h"

#include "ClipRules.h"
#include "ClipboardCapture.h"
#include "FileSystem.h"
#include "StoreFile.h"
#include "StoreFormat.h"
#include "XmlDocument.h"
#include "fw/Barrier.h"
#include "fw/Trace.h"

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

using Clock = std::chrono::steady_clock;

namespace {

// The reader's own messages.
constexpr UINT kMsgAnnounce = WM_APP + 1;  // a change was announced; wParam: the contents found at the start
constexpr UINT kMsgListen = WM_APP + 2;    // wParam: whether the reader listens for changes itself
const wchar_t kReaderClass[] = L"DravixClipboardReader";

// A copy read from the clipboard and waiting to be stored, with what stood in its way.
struct ReadChange {
    store::ClipSnapshot snapshot;
    bool initial = false;
    std::optional<clip::MissReason> trouble;  // the data may be missing for this reason
};

// What a careful program (a password manager) says about what it copied; read while the
// clipboard is open.
clip::ClipboardMarks readClipboardMarks() {
    clip::ClipboardMarks marks;
    marks.excludeFromMonitoring =
        IsClipboardFormatAvailable(RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"));
    marks.viewerIgnore = IsClipboardFormatAvailable(RegisterClipboardFormatW(L"Clipboard Viewer Ignore"));
    if (HANDLE data = GetClipboardData(RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"));
        data && GlobalSize(data) >= sizeof(DWORD)) {
        if (const void* value = GlobalLock(data)) {
            DWORD allowed = 0;
            std::memcpy(&allowed, value, sizeof allowed);
            marks.canIncludeInHistory = allowed;
            GlobalUnlock(data);
        }
    }
    return marks;
}

// One try at reading the clipboard, in a thread of its own: data that the source renders only
// when asked is rendered in the source's thread, and a source that hangs holds whoever asked for
// as long as it hangs. The reader waits for the try with a bound and gives up on it (the try
// ends, unheeded, whenever the source answers).
class ClipboardRead {
public:
    static std::shared_ptr<ClipboardRead> start(const CClipRecorder::OwnChangeTest& isOwnChange);
    // Whether the try ended by `deadline` (or `giveUp` said so first).
    bool waitUntil(Clock::time_point deadline, const std::function<bool()>& giveUp) {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_done && Clock::now() < deadline && !giveUp())
            m_ended.wait_for(lock, std::chrono::milliseconds(50));
        return m_done;
    }
    // After the try ended: whether the clipboard opened, and what it held.
    bool opened = false;
    bool ownChange = false;  // the hook library's: nothing was read
    bool privateContents = false;
    DWORD sequence = 0;  // the sequence number of what was read
    store::ClipSnapshot snapshot;

    void run() {
        if (OpenClipboard(nullptr)) {
            opened = true;
            // Decided before any data is asked for: the library's offered clip is never rendered.
            sequence = GetClipboardSequenceNumber();
            DWORD owner = 0;
            GetWindowThreadProcessId(GetClipboardOwner(), &owner);
            ownChange = m_isOwnChange && m_isOwnChange(sequence, owner);
        }
        if (opened && !ownChange) {
            privateContents = clip::isPrivate(readClipboardMarks());
            if (!privateContents)
                snapshot = captureOpenClipboard();
            // Data rendered on request moves the sequence number on: what was read is this one.
            sequence = GetClipboardSequenceNumber();
        }
        if (opened)
            CloseClipboard();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_done = true;
        m_ended.notify_all();
    }

private:
    CClipRecorder::OwnChangeTest m_isOwnChange;
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_done = false;
};

// The thread the tries run on, kept from one try to the next: under load, starting a thread for
// each try can take longer than the gap between two copies. A worker still held by a source
// that hangs is left to it (it waits, idle, once the source answers) and the next try gets a new
// one.
// Tries are started by the reader thread alone.
class ReadWorker {
public:
    static void run(std::shared_ptr<ClipboardRead> read) {
        static std::shared_ptr<ReadWorker> current;
        if (!current || !current->take(read)) {
            current = std::make_shared<ReadWorker>();
            current->take(read);
            std::thread([worker = current] { worker->serve(); }).detach();
        }
    }

private:
    // False while an earlier try still runs.
    bool take(std::shared_ptr<ClipboardRead>& read) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_busy)
            return false;
        m_next = std::move(read);
        m_busy = true;
        m_wake.notify_one();
        return true;
    }
    void serve() {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [&] { return m_next != nullptr; });
            std::shared_ptr<ClipboardRead> read = std::move(m_next);
            lock.unlock();
            read->run();
            read.reset();
            lock.lock();
            m_busy = false;
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::shared_ptr<ClipboardRead> m_next;
    bool m_busy = false;
};

std::shared_ptr<ClipboardRead> ClipboardRead::start(const CClipRecorder::OwnChangeTest& isOwnChange) {
    auto read = std::make_shared<ClipboardRead>();
    read->m_isOwnChange = isOwnChange;
    ReadWorker::run(read);
    return read;
}

}  // namespace

struct CClipRecorder::State {
    State(const store::StorePaths& storePaths, HWND notified, UINT notifyMessage, OwnChangeTest ownChangeTest)
        : paths(storePaths), window(notified), message(notifyMessage), isOwnChange(std::move(ownChangeTest)) {}

    const store::StorePaths paths;
    const HWND window;
    const UINT message;
    const OwnChangeTest isOwnChange;
    clip::LastText lastText;

    std::mutex mutex;
    std::condition_variable readerReady, storerWake;
    std::atomic<bool> stopping{false};
    HWND reader = nullptr;  // the reader thread's window
    std::deque<ReadChange> toStore;
    std::deque<std::string> toTrace;  // lines of the reader, written by the storer
    std::deque<Result> results;
    bool resultsPosted = false;
    int running = 0;
    std::condition_variable stopped;

    DWORD lastRead = 0;            // the sequence number of what the reader read last (reader only)
    std::atomic<int> missedCount{0};  // copies announced and not recorded

    void readChanges();
    void read(bool initial);
    void missed(clip::MissReason reason);
    void store(ReadChange change);
    void report(Result result);
    // The reader never waits for the disk (a log file's write can, while a store write flushes
    // its files): its trace lines are made at once and written by the storer.
    void trace(std::string line);
    void writeTraces(std::unique_lock<std::mutex>& lock);
    bool stop() const { return stopping; }
};

CClipRecorder::CClipRecorder(const store::StorePaths& paths, HWND window, UINT message, OwnChangeTest isOwnChange)
    : m_state(std::make_shared<State>(paths, window, message, std::move(isOwnChange))) {
    m_state->running = 2;
    std::thread([state = m_state] { state->readChanges(); }).detach();
    std::thread([state = m_state] {
        std::unique_lock<std::mutex> lock(state->mutex);
        for (;;) {
            // What was read is stored before the thread ends.
            state->storerWake.wait(lock, [&] {
                return state->stopping || !state->toStore.empty() || !state->toTrace.empty();
            });
            state->writeTraces(lock);
            if (state->toStore.empty()) {
                if (state->stopping)
                    break;
                continue;
            }
            ReadChange change = std::move(state->toStore.front());
            state->toStore.pop_front();
            lock.unlock();
            state->store(std::move(change));
            lock.lock();
        }
        --state->running;
        state->stopped.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(m_state->mutex);
    m_state->readerReady.wait_for(lock, std::chrono::seconds(5), [&] { return m_state->reader != nullptr; });
    m_reader = m_state->reader;
}

// The copies read so far are stored before the recorder goes. A thread still waiting for a hung
// source (or the disk) is left to end with the process: it holds its own share of the state.
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

// The reader thread: a window of its own hears of every change too (a listener of its own, which
// a busy main window cannot hold up), and the changes the main window announces arrive as
// messages. Each is read at once, in order.
void CClipRecorder::State::readChanges() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kReaderClass;
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, kReaderClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
    if (!window)
        fw::ReportFailure("CreateWindowExW");
    {
        std::lock_guard<std::mutex> lock(mutex);
        reader = window;
        readerReady.notify_all();
    }
    MSG message;
    while (window && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_CLIPBOARDUPDATE || message.message == kMsgAnnounce) {
            read(message.message == kMsgAnnounce && message.wParam);
        } else if (message.message == kMsgListen) {
            if (message.wParam ? !AddClipboardFormatListener(window) : !RemoveClipboardFormatListener(window))
                fw::ReportFailure(message.wParam ? "AddClipboardFormatListener" : "RemoveClipboardFormatListener");
        } else {
            DispatchMessageW(&message);
        }
    }
    if (window)
        DestroyWindow(window);
    std::lock_guard<std::mutex> lock(mutex);
    --running;
    stopped.notify_all();
}

// Reads the clipboard as it is now, unless it was read already or the hook library changed it
// (the library's own changes are known exactly, and told without waiting for anything).
// A clipboard held open by another program is tried again: quickly at first, then every so
// often until it can be read, it changes again (the announced contents are gone: a miss), or the
// wait gives up. A source that does not hand out the data it promised is waited for up to the
// same bound; the window never waits for any of it.
void CClipRecorder::State::read(bool initial) {
    const DWORD announced = GetClipboardSequenceNumber();
    if (announced == lastRead)
        return;
    const Clock::time_point giveUpAt = Clock::now() + clip::kGiveUpAfter;
    std::optional<clip::MissReason> trouble;
    for (int attempt = 0; !stop(); ++attempt) {
        const std::shared_ptr<ClipboardRead> tried = ClipboardRead::start(isOwnChange);
        if (!tried->waitUntil(Clock::now() + clip::kSourceAnswerTimeout, [] { return false; })) {
            trouble = clip::MissReason::NotAnswering;
            trace(fw::TraceLine("clipboard %s: waiting", std::string(clip::missName(*trouble)).c_str()));
            if (!tried->waitUntil(giveUpAt, [this] { return stop(); })) {
                lastRead = announced;
                return missed(*trouble);
            }
        }
        if (tried->opened && tried->ownChange) {
            lastRead = tried->sequence;
            trace(fw::TraceLine("clipboard %lu: the hook library's own change", tried->sequence));
            return;
        }
        if (tried->opened) {
            trace(fw::TraceLine("clipboard %lu read (announced %lu): %u formats%s", tried->sequence, announced,
                                static_cast<unsigned>(tried->snapshot.formats.size()),
                                tried->privateContents ? ", private" : ""));
            // A read that got nothing (its source went before handing the data out) has not
            // read the change that may have come meanwhile: only the announced one was seen.
            lastRead = tried->snapshot.empty() ? announced : tried->sequence;
            if (tried->privateContents) {
                trace(fw::TraceLine("private clipboard not recorded"));
            } else if (!tried->snapshot.empty()) {
                std::lock_guard<std::mutex> lock(mutex);
                toStore.push_back({std::move(tried->snapshot), initial, trouble});
                storerWake.notify_one();
            } else if (trouble) {
                missed(*trouble);  // the source went before it handed its data out
            }
            return;
        }
        if (!trouble)
            trace(fw::TraceLine("clipboard held open: trying again"));
        trouble = clip::MissReason::HeldOpen;
        const bool changed = GetClipboardSequenceNumber() != announced;
        if (changed || Clock::now() > giveUpAt) {
            if (!changed)
                lastRead = announced;
            return missed(*trouble);
        }
        std::this_thread::sleep_for(clip::reopenDelay(attempt));
    }
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
        fw::WriteTrace(line);
    lock.lock();
}

void CClipRecorder::State::missed(clip::MissReason reason) {
    Result result;
    result.outcome = Outcome::Missed;
    result.reason = reason;
    report(std::move(result));
}

// The copy becomes the lowest free history record, unless it shows nothing or its text repeats
// the last text. Its files are written before the store lock is taken; the number is chosen,
// the index written and the files put in place under it, in one step.
void CClipRecorder::State::store(ReadChange change) {
    const std::optional<clip::PartRow> row = clip::snapshotRow(change.snapshot);
    Result result;
    result.initial = change.initial;
    if (!row) {
        result.outcome = change.trouble ? Outcome::Missed : Outcome::NothingToShow;
        result.reason = change.trouble.value_or(clip::MissReason::HeldOpen);
        report(std::move(result));
        return;
    }
    if (row->kind == clip::kRowText && lastText.repeats(row->content)) {
        result.outcome = Outcome::Repeat;
        report(std::move(result));
        return;
    }
    store::StagedClip staged(paths, change.snapshot);
    const std::string stamp = store::currentTimeStamp();
    int number = 0;
    const bool stored = staged.written() &&
                        store::updateStoreFile(paths.indexFile(), store::IfMissing::Create, [&](XmlDocument& index) {
                            number = store::lowestFreeHistoryNumber(index);
                            return number <= store::kMaxHistoryNumber &&
                                   staged.commit(index, store::historyClipName(number), stamp);
                        });
    if (number > store::kMaxHistoryNumber) {
        result.outcome = Outcome::HistoryFull;
    } else if (!stored) {
        result.outcome = Outcome::Missed;
        result.reason = clip::MissReason::StoreFailed;
    } else {
        fw::Trace("recorded as his%d-", number);
        if (row->kind == clip::kRowText)
            lastText.set(row->content);
        result.outcome = Outcome::Recorded;
        result.number = number;
        result.row = std::move(*row);
        result.stamp = stamp;
    }
    report(std::move(result));
}

// Outcomes wait in order; the window is told once until it takes them.
void CClipRecorder::State::report(Result result) {
    if (result.outcome == Outcome::Missed)
        trace(fw::TraceLine("copy not recorded: %s; %d missed in all", std::string(clip::missName(result.reason)).c_str(),
                            ++missedCount));
    std::lock_guard<std::mutex> lock(mutex);
    results.push_back(std::move(result));
    if (!resultsPosted)
        resultsPosted = PostMessageW(window, message, 0, 0) != 0;
}
