// The store's lock: one named mutex of the user's session that both deliverables hold around
// every read-modify-write of the store's files, in whatever process they run. It is taken
// again freely by the thread that holds it. The wait is bounded, and a mutex whose holder died
// is taken over.
#pragma once

#include <chrono>

namespace store {

class StoreLock {
public:
    static constexpr std::chrono::milliseconds kDefaultWait{10000};

    explicit StoreLock(std::chrono::milliseconds wait = kDefaultWait);
    ~StoreLock();
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    // False when the wait ran out.
    bool held() const { return m_held; }

private:
    bool m_held = false;
};

}  // namespace store
