// The store lock of the native build: one process, so a process-wide recursive mutex.
#include "store/StoreLock.h"

#include <mutex>

namespace store {

namespace {

std::recursive_timed_mutex& storeMutex() {
    static std::recursive_timed_mutex mutex;
    return mutex;
}

}  // namespace

StoreLock::StoreLock(std::chrono::milliseconds wait) : m_held(storeMutex().try_lock_for(wait)) {}

StoreLock::~StoreLock() {
    if (m_held)
        storeMutex().unlock();
}

}  // namespace store
