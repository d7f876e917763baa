#include "app/WindowTasks.h"

#include "base/Barrier.h"

#include <chrono>

namespace app {

bool CWindowTasks::Run(std::function<void()> work, DWORD timeoutMs) {
    auto task = std::make_shared<Task>();
    task->work = std::move(work);
    std::unique_lock lock(m_mutex);
    if (m_stopped || !m_window)
        return false;
    m_waiting.push_back(task);
    if (!PostMessageW(m_window, m_message, 0, 0)) {
        m_waiting.pop_back();
        return false;
    }
    const auto begun = [&] { return task->state != Task::State::Waiting; };
    if (!m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), begun))
        task->state = Task::State::Dropped;  // still waiting: it never runs now
    // A task under way finishes: what it refers to lives until then.
    m_changed.wait(lock, [&] { return task->state != Task::State::Running; });
    return task->state == Task::State::Done;
}

void CWindowTasks::RunWaiting() {
    for (;;) {
        std::shared_ptr<Task> task;
        {
            std::lock_guard lock(m_mutex);
            if (m_waiting.empty() || m_stopped)
                return;
            task = std::move(m_waiting.front());
            m_waiting.pop_front();
            if (task->state != Task::State::Waiting)
                continue;
            task->state = Task::State::Running;
        }
        m_changed.notify_all();
        base::Guarded("window task", [&] { task->work(); });
        {
            std::lock_guard lock(m_mutex);
            task->state = Task::State::Done;
        }
        m_changed.notify_all();
    }
}

void CWindowTasks::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        for (const std::shared_ptr<Task>& task : m_waiting)
            if (task->state == Task::State::Waiting)
                task->state = Task::State::Dropped;
        m_waiting.clear();
    }
    m_changed.notify_all();
}

}  // namespace app
