// ReadDirectoryChangesW with overlapped I/O: the thread waits for a notice or the stop event, and a
// read still under way is cancelled and completed before its buffer goes.
#include "sync/FolderWatcher.h"

#include "base/Barrier.h"
#include "base/Check.h"
#include "base/Handle.h"
#include "base/Text.h"

#include <windows.h>

#include <deque>

namespace clipsync {

struct FolderWatcher::State {
    std::string folder;
    std::chrono::milliseconds poll;
    base::UniqueKernelObject stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> notices;
    std::size_t overflowed = 0;
    bool signalled = false;
    bool watching = false;

    void notice(std::string name) {
        std::lock_guard<std::mutex> lock(mutex);
        if (notices.size() < kMaxNotices)
            notices.push_back(std::move(name));
        else
            ++overflowed;
        signalled = true;
        changed.notify_all();
    }
    void setWatching(bool on) {
        std::lock_guard<std::mutex> lock(mutex);
        watching = on;
    }
    void readNotices(const std::vector<DWORD>& buffer, DWORD written);
    bool watchOpenFolder(HANDLE folder);
};

namespace {

constexpr DWORD kNoticeFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
                                FILE_NOTIFY_CHANGE_LAST_WRITE;
constexpr DWORD kBufferSize = 64 * 1024;  // the most a notice buffer of a network share may hold

base::UniqueFile openFolder(const std::string& path) {
    return base::UniqueFile(CreateFileW(base::toWide(path).c_str(), FILE_LIST_DIRECTORY,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
}

}  // namespace

// The names of one buffer of notices, each record checked against what the system wrote.
void FolderWatcher::State::readNotices(const std::vector<DWORD>& buffer, DWORD written) {
    const auto* bytes = reinterpret_cast<const BYTE*>(buffer.data());
    DWORD at = 0;
    while (at + offsetof(FILE_NOTIFY_INFORMATION, FileName) <= written) {
        const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(bytes + at);
        const DWORD nameEnd = at + offsetof(FILE_NOTIFY_INFORMATION, FileName) + info->FileNameLength;
        if (nameEnd > written)
            break;
        notice(base::toUtf8(std::wstring_view(info->FileName, info->FileNameLength / sizeof(WCHAR))));
        if (info->NextEntryOffset == 0)
            break;
        at += info->NextEntryOffset;
    }
}

// Reads notices until the stop event, or until the folder went (false then: look for it again).
// The system keeps a folder's notices only from the first read on: only then is it watched, and
// what changed before (while it was opened, or while it was missing) is told as a change.
bool FolderWatcher::State::watchOpenFolder(HANDLE folder) {
    std::vector<DWORD> buffer(kBufferSize / sizeof(DWORD));
    base::UniqueKernelObject done(CHECK_WIN32(CreateEventW(nullptr, TRUE, FALSE, nullptr)));
    if (!done)
        return false;
    for (bool first = true;; first = false) {
        OVERLAPPED overlapped = {};
        overlapped.hEvent = done.get();
        if (!CHECK_WIN32(ReadDirectoryChangesW(folder, buffer.data(), kBufferSize, TRUE, kNoticeFilter, nullptr, &overlapped,
                                               nullptr)))
            return false;
        if (first) {
            notice(std::string());
            setWatching(true);
        }
        const HANDLE events[] = {done.get(), stop.get()};
        const DWORD woke = WaitForMultipleObjects(2, events, FALSE, INFINITE);
        DWORD written = 0;
        if (woke != WAIT_OBJECT_0) {
            CancelIoEx(folder, &overlapped);
            GetOverlappedResult(folder, &overlapped, &written, TRUE);  // the buffer is the system's until then
            return true;
        }
        if (!GetOverlappedResult(folder, &overlapped, &written, FALSE))
            return false;  // the folder was removed or its volume went
        if (written == 0)
            notice(std::string());  // the system's buffer overflowed: something changed
        else
            readNotices(buffer, written);
    }
}

FolderWatcher::FolderWatcher(std::string folder, std::chrono::milliseconds poll) : m_state(std::make_shared<State>()) {
    m_state->folder = std::move(folder);
    m_state->poll = poll;
    m_thread = std::thread([this] { base::Guarded("sync folder watcher", [&] { run(); }); });
}

FolderWatcher::~FolderWatcher() {
    SetEvent(m_state->stop.get());
    wake();
    if (m_thread.joinable())
        m_thread.join();
}

void FolderWatcher::run() {
    State& state = *m_state;
    const DWORD poll = static_cast<DWORD>(state.poll.count());
    do {
        const base::UniqueFile folder = openFolder(state.folder);
        if (folder) {
            const bool stopped = state.watchOpenFolder(folder.get());
            state.setWatching(false);
            if (stopped)
                return;
            state.notice(std::string());  // it went: the reader looks again
        }
    } while (WaitForSingleObject(state.stop.get(), poll) == WAIT_TIMEOUT);
}

bool FolderWatcher::waitForChange(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_state->mutex);
    const bool woke = m_state->changed.wait_for(lock, timeout, [&] { return m_state->signalled; });
    m_state->signalled = false;
    return woke;
}

void FolderWatcher::wake() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->signalled = true;
    m_state->changed.notify_all();
}

std::vector<std::string> FolderWatcher::takeNotices() {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    std::vector<std::string> taken(m_state->notices.begin(), m_state->notices.end());
    m_state->notices.clear();
    return taken;
}

std::size_t FolderWatcher::overflowed() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->overflowed;
}

bool FolderWatcher::watching() const {
    std::lock_guard<std::mutex> lock(m_state->mutex);
    return m_state->watching;
}

}  // namespace clipsync
