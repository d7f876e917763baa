// One go at the clipboard and the worker thread that makes it (the recorder's reader starts
// them, ClipReader.cpp). A go opens the clipboard once for a window of its worker, checks that the
// change it was started for is still there, reads its marks at the first go and then as much of the
// copy as the bound allows; told to let go, it closes the clipboard from inside the wait that a
// source rendering on request keeps it in. A worker whose go is held up is retired: it ends once
// that go ends, and a new one takes the next go.
#pragma once

#include "app/ClipRules.h"
#include "app/ExcludedPrograms.h"
#include "app/recorder/RecordRules.h"
#include "store/ClipboardCopy.h"
#include "base/Barrier.h"
#include "base/Handle.h"
#include "base/ScopeExit.h"
#include "base/Trace.h"
#include "fw/MessageWindow.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace app::recorder {

using Clock = std::chrono::steady_clock;

inline std::chrono::milliseconds since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

// The class of the workers' message-only windows (fw::CMessageWindow registers it once).
inline constexpr wchar_t kWorkerClass[] = L"DravixClipboardWorker";
inline constexpr UINT kMsgLetGo = WM_APP + 10;  // to a worker's window; wParam: the go to let go

// Whether the window answers a message within the bound; a program Windows finds hung (five
// seconds without taking its messages) is not waited for at all.
bool answers(HWND window);
ClipboardOwner ownerOf(HWND window);
// What a careful program (a password manager) says about what it copied; read while the
// clipboard is open. Nothing when its owner could not be asked for the one mark that is data,
// or the clipboard was taken from us meanwhile.
std::optional<app::ClipboardMarks> readClipboardMarks(const std::function<bool()>& mayAsk);
// The program behind a change: the clipboard's owner, or with no owner (data set without a
// window) the program in front. Empty when it cannot be found (an owner that has ended).
std::string copySource();

// One go at the clipboard, in a worker thread: opened once (another program may hold it), the
// change expected still there, its marks read at the first go, and then as much of the copy as
// the bound allows. A go told to let go (letGo, in its own thread, from inside the wait that a
// source rendering on request keeps it in) closes the clipboard and reads nothing more.
class ClipboardGo {
public:
    ClipboardGo(unsigned number, std::shared_ptr<store::ClipboardCopy> copy, DWORD expected, HWND owner, bool askOwner,
                bool checkMarks, OwnChangeTest isOwnChange)
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
        if (GetOpenClipboardWindow() != opener)
            return;
        // The number this go read at: once the clipboard is closed another program may copy
        // before the go ends, and that copy is not the one this go was at.
        m_afterLetGo = GetClipboardSequenceNumber();
        if (CloseClipboard())
            letGoOpen = true;
    }
    // Whether the go is inside a request for a format's data (its source may be rendering it).
    bool askingForData() const { return m_asking; }
    // The sequence number of the copy it was started for.
    DWORD expected() const { return m_expected; }

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
            after = letGoOpen ? m_afterLetGo : GetClipboardSequenceNumber();
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
            if (cut || !mayAskAnotherFormat(since(openedAt)))
                return false;
            ownerStopped = m_askOwner && asksAgain(lastFormat) && !answers(m_owner);
            lastFormatAsked = Clock::now();
            m_asking = !ownerStopped;
            return !ownerStopped;
        };
        if (m_checkMarks) {
            source = copySource();
            // A program the user named is treated as one that marks its copies private.
            excludedSource = app::excluded::isExcluded(source);
            if (excludedSource)
                return;
            const std::optional<app::ClipboardMarks> marks = readClipboardMarks(mayAskNext);
            m_asking = false;
            if (!marks)
                return;
            marksRead = true;
            privateContents = app::isPrivate(*marks);
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
    const OwnChangeTest m_isOwnChange;
    std::atomic<bool> m_asking{false};
    DWORD m_afterLetGo = 0;  // written and read in the go's own thread
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
            LetGoWindow letGo(*worker);
            HWND window = letGo.Create({kWorkerClass}) ? letGo.hwnd() : nullptr;
            {
                std::lock_guard<std::mutex> lock(worker->m_mutex);
                worker->m_window = window;
            }
            while (!base::Guarded("clipboard worker thread", false, [&] { return worker->serve(window); })) {
            }
            letGo.Destroy();
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

private:
    // The worker's window: it opens the clipboard and hears the word to let go of it.
    class LetGoWindow : public fw::CMessageWindow {
    public:
        explicit LetGoWindow(ReadWorker& worker) : m_worker(worker) {}

    protected:
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
            if (message != kMsgLetGo)
                return CMessageWindow::WindowProc(message, wParam, lParam);
            if (const std::shared_ptr<ClipboardGo> go = m_worker.current(); go && go->number == wParam)
                go->letGo(hwnd());
            return 0;
        }

    private:
        ReadWorker& m_worker;
    };


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

}  // namespace app::recorder
