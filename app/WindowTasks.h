// CWindowTasks: work another thread hands to the main window's thread (what touches the window's
// controls, the hook library's pastes, pausing), waited for with a bound. A task not begun in time
// is dropped, never run later against a caller that gave up on it.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace app {

class CWindowTasks {
public:
    // Tasks are announced to `window` with `message`; the window calls RunWaiting for it.
    void Attach(HWND window, UINT message) {
        m_window = window;
        m_message = message;
    }
    // From another thread: `task` run on the window's thread. False when it was not begun within
    // `timeoutMs`, or the window stops taking tasks (then it never runs).
    bool Run(std::function<void()> task, DWORD timeoutMs);
    // On the window's thread, for the message: every task waiting, in order.
    void RunWaiting();
    // At the window's end: no task runs from now on, and every caller waiting is released.
    void Stop();

private:
    struct Task {
        std::function<void()> work;
        enum class State { Waiting, Running, Done, Dropped } state = State::Waiting;
    };

    HWND m_window = nullptr;
    UINT m_message = 0;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<Task>> m_waiting;
    bool m_stopped = false;
};

}  // namespace app
