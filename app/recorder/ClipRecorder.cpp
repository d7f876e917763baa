// CClipRecorder's face: its two threads started and stopped, the changes announced to the reader,
// the outcomes taken by the window. The reader is ClipReader.cpp, the store thread StoreThread.cpp.
#include "app/recorder/RecorderState.h"

#include "base/Barrier.h"

#include <thread>

namespace app::recorder {

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

LastText& CClipRecorder::lastText() {
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

}  // namespace app::recorder
