// Hears of changes below a folder, for the sync engine's reader: the system's change notices
// (ReadDirectoryChangesW over the whole tree) in a thread of its own, with a slow poll as the safety
// net (notices are lost when the system's buffer overflows, and some volumes give none). A folder
// that is not there yet is looked for again at every poll. The notices wait in a bounded queue;
// what does not fit is counted, and a wait still ends. No <windows.h> here.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace clipsync {

class FolderWatcher {
public:
    static constexpr std::size_t kMaxNotices = 256;

    // Starts watching `folder` (UTF-8) and everything below it.
    FolderWatcher(std::string folder, std::chrono::milliseconds poll);
    // Stops the thread and joins it.
    ~FolderWatcher();
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    // Waits until a notice came, wake() was called, or `timeout` passed. True unless it timed out.
    bool waitForChange(std::chrono::milliseconds timeout);
    // Ends a wait at once (the caller is stopping).
    void wake();
    // The names (relative to the folder) changed since the last call, oldest first.
    std::vector<std::string> takeNotices();
    // Notices that found the queue full, or that the system's buffer lost: a change happened.
    std::size_t overflowed() const;
    // Whether the system's notices are being read (false while the folder is missing). Once it is,
    // every change from then on is told; what changed before is told as one change (an empty name).
    bool watching() const;

private:
    struct State;
    void run();

    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

}  // namespace clipsync
