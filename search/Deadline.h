// When a search gives up: a moment on the steady clock, or a flag another thread raises (a newer
// query). A search asks between rows, and a pattern asks as it reads the characters of one row,
// so that no text and no pattern can hold the search past it. Portable: no <windows.h>.
#pragma once

#include <atomic>
#include <chrono>

namespace search {

class Deadline {
public:
    using Clock = std::chrono::steady_clock;
    explicit Deadline(Clock::time_point end = Clock::time_point::max()) : m_end(end) {}
    static Deadline in(std::chrono::milliseconds time) { return Deadline(Clock::now() + time); }
    // The flag ends it too once raised (it must outlive this deadline's use).
    void endAlsoWhen(const std::atomic<bool>* stop) { m_stop = stop; }

    // Whether the moment has come; once it has, it stays so.
    bool passed() {
        if (!m_passed && ((m_stop && m_stop->load(std::memory_order_relaxed)) ||
                          (m_end != Clock::time_point::max() && Clock::now() >= m_end)))
            m_passed = true;
        return m_passed;
    }
    // Whether a search gave up at it.
    bool cut() const { return m_passed; }

private:
    Clock::time_point m_end;
    const std::atomic<bool>* m_stop = nullptr;
    bool m_passed = false;
};

}  // namespace search
